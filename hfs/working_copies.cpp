#include "hfs/working_copies.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "core/working_files.h"
#include "hfs/catalog_records.h"
#include "hfs/fork_copy.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

inline constexpr const char* kCatalogIncomplete =
        "The catalog could not be read completely: some entries may be missing.";

// Creates the empty working file of tree; fatal when there is no room for
// sizeNeeded bytes or the file cannot be made.
void create_working_file(HfsContext& ctx, TreeFile& tree, const char* prefix, std::uint32_t sizeNeeded) {
    tree.handle = create_temp_file(ctx, tree.path, prefix, sizeNeeded);
}

// Reads node 0 into the header buffer; a missing header reads as zeros, so
// the tree then has no nodes and every lookup finds nothing.
void load_header(TreeFile& tree) {
    if (pread(tree.handle, tree.header.data(), kNodeSize, 0) != static_cast<ssize_t>(kNodeSize)) tree.header.fill(0);
    repair_free_nodes(tree.header);
}

}  // namespace

CatalogOpen open_catalog_tree(HfsContext& ctx) {
    release_trees(ctx);
    TreeFile& tree = ctx.catalogTree;
    ctx.damagedNodes = 0;
    tree.fileSize = ctx.mdb.catalog_file_size();
    create_working_file(ctx, tree, "CAT", tree.fileSize);
    set_status(ctx, std::string(message(Msg::kCopyingCatalog)).c_str(), nullptr);
    if (extent_descriptor(ctx.mdb.catalog_extents(), 0).block_count == 0) {
        fatal_notice(ctx, std::string(message(Msg::kErrorReadingData)));
    }
    const ForkCopyResult copy =
            copy_fork_to_file(ctx, ctx.mdb.catalog_extents(), tree.handle, kCatalogFileID, tree.fileSize, kDataFork);
    load_header(tree);
    tree.complete = copy.complete && copy.unreadableSectors == 0;
    if (!copy.complete) {
        show_notice(ctx, kCatalogIncomplete);
        return CatalogOpen::Incomplete;
    }
    return CatalogOpen::Complete;
}

bool open_extents_tree(HfsContext& ctx) {
    TreeFile& tree = ctx.extentsTree;
    if (tree.is_open()) return true;
    set_status(ctx, std::string(message(Msg::kCopyingExtents)).c_str(), nullptr);
    tree.fileSize = ctx.mdb.extents_file_size();
    create_working_file(ctx, tree, "EXT", tree.fileSize);
    const ForkCopyResult copy =
            copy_fork_to_file(ctx, ctx.mdb.extents_extents(), tree.handle, kExtentsFileID, tree.fileSize, kDataFork);
    load_header(tree);
    tree.complete = copy.complete && copy.unreadableSectors == 0;
    return true;
}

}  // namespace korvane
