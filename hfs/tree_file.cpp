#include "hfs/tree_file.h"

#include <unistd.h>

#include <algorithm>

#include "core/working_files.h"
#include "hfs/hfs_context.h"
#include "hfs/volume.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

void closeWorkingFile(HfsContext& ctx, TreeFile& tree) {
    if (tree.isOpen()) {
        close(tree.handle);
        remove_working_file(ctx, tree.path);
    }
    tree = TreeFile{tree.isCatalog};
}

}  // namespace

HfsContext::~HfsContext() { releaseTrees(*this); }

void releaseTrees(HfsContext& ctx) {
    forgetVolume(ctx);
    closeWorkingFile(ctx, ctx.extentsTree);
    closeWorkingFile(ctx, ctx.catalogTree);
}


std::uint32_t TreeFile::nodeLimit() const {
    return std::min<std::uint32_t>(treeTotalNodes(header), fileSize / kNodeSize);
}

bool readNode(TreeFile& tree, std::uint32_t n) {
    tree.nodeNumber = n;
    tree.recordIndex = 0;
    tree.nodeValid = false;
    const bool inTree = n == 0 || n < treeTotalNodes(tree.header);
    if (tree.isOpen() && inTree) tree.nodeValid = readTreeNode(tree, n, tree.node);
    if (!tree.nodeValid) tree.node.fill(0);
    return tree.nodeValid;
}

bool writeNode(TreeFile& tree, std::uint32_t n, const NodeBuffer& buffer) {
    if (!tree.isOpen()) return false;
    tree.indexSuccessors.reset();
    const std::size_t at = std::size_t{n} * kNodeSize;
    if (tree.holdsMemoryCopy()) {
        if (at + kNodeSize > tree.memoryCopy.size()) return false;
        std::copy(buffer.begin(), buffer.end(), tree.memoryCopy.begin() + static_cast<std::ptrdiff_t>(at));
        std::copy(tree.header.begin(), tree.header.end(), tree.memoryCopy.begin());
        return true;
    }
    const auto position = static_cast<off_t>(at);
    const bool nodeWritten = pwrite(tree.handle, buffer.data(), kNodeSize, position) == static_cast<ssize_t>(kNodeSize);
    const bool headerWritten = pwrite(tree.handle, tree.header.data(), kNodeSize, 0) == static_cast<ssize_t>(kNodeSize);
    return nodeWritten && headerWritten;
}

bool readTreeNode(const TreeFile& tree, std::uint32_t n, NodeBuffer& node) {
    if (!tree.isOpen()) return false;
    const std::size_t at = std::size_t{n} * kNodeSize;
    if (tree.holdsMemoryCopy()) {
        if (at + kNodeSize > tree.memoryCopy.size()) return false;
        std::copy_n(tree.memoryCopy.begin() + static_cast<std::ptrdiff_t>(at), kNodeSize, node.begin());
        return true;
    }
    return pread(tree.handle, node.data(), kNodeSize, static_cast<off_t>(at)) == static_cast<ssize_t>(kNodeSize);
}

}  // namespace korvane
