#include "hfs/tree_file.h"

#include <unistd.h>

#include <algorithm>

#include "core/working_files.h"
#include "hfs/hfs_context.h"
#include "hfs/volume.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

void close_working_file(HfsContext& ctx, TreeFile& tree) {
    if (tree.is_open()) {
        close(tree.handle);
        remove_working_file(ctx, tree.path);
    }
    tree = TreeFile{tree.is_catalog};
}

}  // namespace

HfsContext::~HfsContext() { release_trees(*this); }

void release_trees(HfsContext& ctx) {
    forget_volume(ctx);
    close_working_file(ctx, ctx.extentsTree);
    close_working_file(ctx, ctx.catalogTree);
}

std::uint32_t TreeFile::node_limit() const {
    return std::min<std::uint32_t>(tree_total_nodes(header), fileSize / kNodeSize);
}

bool read_node(TreeFile& tree, std::uint32_t n) {
    tree.nodeNumber = n;
    tree.recordIndex = 0;
    tree.nodeValid = false;
    const bool inTree = n == 0 || n < tree_total_nodes(tree.header);
    if (tree.is_open() && inTree) tree.nodeValid = read_tree_node(tree, n, tree.node);
    if (!tree.nodeValid) tree.node.fill(0);
    return tree.nodeValid;
}

bool write_node(TreeFile& tree, std::uint32_t n, const NodeBuffer& buffer) {
    if (!tree.is_open()) return false;
    tree.indexSuccessors.reset();
    const std::size_t at = std::size_t{n} * kNodeSize;
    if (tree.holds_memory_copy()) {
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

const NodeBuffer* held_node(const TreeFile& tree, std::uint32_t n) {
    const std::size_t at = std::size_t{n} * kNodeSize;
    if (!tree.holds_memory_copy() || n >= tree.node_limit() || at + kNodeSize > tree.memoryCopy.size()) return nullptr;
    // A node is kNodeSize bytes with no alignment of its own: an array of
    // them lies over the copy's bytes as it would over a buffer.
    return reinterpret_cast<const NodeBuffer*>(tree.memoryCopy.data() + at);
}

bool read_tree_node(const TreeFile& tree, std::uint32_t n, NodeBuffer& node) {
    if (!tree.is_open()) return false;
    const std::size_t at = std::size_t{n} * kNodeSize;
    if (tree.holds_memory_copy()) {
        if (at + kNodeSize > tree.memoryCopy.size()) return false;
        std::copy_n(tree.memoryCopy.begin() + static_cast<std::ptrdiff_t>(at), kNodeSize, node.begin());
        return true;
    }
    return pread(tree.handle, node.data(), kNodeSize, static_cast<off_t>(at)) == static_cast<ssize_t>(kNodeSize);
}

}  // namespace korvane
