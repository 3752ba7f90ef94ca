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
    if (tree.isOpen() && inTree) {
        const off_t position = static_cast<off_t>(n) * static_cast<off_t>(kNodeSize);
        tree.nodeValid = pread(tree.handle, tree.node.data(), kNodeSize, position) == static_cast<ssize_t>(kNodeSize);
    }
    if (!tree.nodeValid) tree.node.fill(0);
    return tree.nodeValid;
}

bool writeNode(TreeFile& tree, std::uint32_t n, const NodeBuffer& buffer) {
    if (!tree.isOpen()) return false;
    tree.indexSuccessors.reset();
    const off_t position = static_cast<off_t>(n) * static_cast<off_t>(kNodeSize);
    const bool nodeWritten = pwrite(tree.handle, buffer.data(), kNodeSize, position) == static_cast<ssize_t>(kNodeSize);
    const bool headerWritten = pwrite(tree.handle, tree.header.data(), kNodeSize, 0) == static_cast<ssize_t>(kNodeSize);
    if (std::size_t{n} * kNodeSize + kNodeSize <= tree.memoryCopy.size()) {
        std::copy(buffer.begin(), buffer.end(), tree.memoryCopy.begin() + std::size_t{n} * kNodeSize);
        std::copy(tree.header.begin(), tree.header.end(), tree.memoryCopy.begin());
    }
    return nodeWritten && headerWritten;
}

}  // namespace korvane
