#pragma once
// Making and discarding the working copies of the open volume's trees.
// Volume discovery fills ctx.geometry and ctx.mdb, then calls open_catalog_tree
// and enter_root_directory (hfs/current_directory.h).

#include "hfs/hfs_context.h"

namespace korvane {

enum class CatalogOpen {
    Complete,    // the whole catalog file was copied
    Incomplete,  // part of it could not be read; what was read is usable
};

// Discards both working copies of the previous volume and copies the catalog
// file of the volume described by ctx.mdb into a new "CAT" working file
// (registered in ctx.working_files). Shows "Copying catalog..." on the status
// line. An empty first catalog extent ("Error reading data. Restart the
// program.") and a lack of room for the working file are fatal, as the
// program cannot go on without a catalog.
CatalogOpen open_catalog_tree(HfsContext& ctx);

// Copies the extents-overflow file into an "EXT" working file. Called on
// first need by find_extent_record; false when the copy could not be made.
bool open_extents_tree(HfsContext& ctx);

// Closes and deletes both working files (at exit, and before a new volume).
void release_trees(HfsContext& ctx);

}  // namespace korvane
