#pragma once
// The one step that carries a modification to the medium, at the end of
// every modifying command: the volume header at its place, the bitmap, the
// extents file, the catalog file and the alternate copy of the header in
// the volume's second-to-last sector, in that order. (The alternate copy
// comes last: a write-back that stops just before it leaves a sound volume,
// and one that stops earlier leaves no newer alternate header than the rest.) Only what differs from
// the medium is written: the header when it changed, the bitmap when a
// block changed, and of each tree file the nodes that changed (a tree file
// whose medium contents are not known is written whole; the extents file
// changes only through the engine, which knows them). Everything is
// planned and checked before the first write, so a write-back that cannot
// be done leaves the medium untouched; with an undo journal, every planned
// write's old sectors are in the journal, on stable storage, before the
// first write reaches the medium, and the journal notes the end.

#include "hfs/hfs_context.h"

namespace korvane {

// True when the medium now holds the volume as the engine has it. A write
// that fails is reported (the medium is then out of date) and the run is
// marked as failed; the changes stay in memory so that a later write-back
// can try again. After success the bitmap is released.
bool write_back(HfsContext& ctx);

// Writes the changed nodes of one tree file (catalogTree or extentsTree)
// to the allocation blocks of its fork. False, reported, on failure.
bool write_tree_file(HfsContext& ctx, TreeFile& tree);

}  // namespace korvane
