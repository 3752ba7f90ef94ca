#pragma once
// CHECK: a read-only consistency check of the open volume. It reads the
// volume header image, the volume bitmap on the medium and the working
// copies of both B-trees, changes none of them (not even the trees' node
// buffers), and lists what does not agree, in plain words. It talks to no
// one: the command that runs it shows the report.
//
// The volume is untrusted input: every walk is bounded by the sizes of the
// structures, so a ruined volume yields a long report, never a hang.

#include "hfs/check_report.h"
#include "hfs/hfs_context.h"

namespace korvane {

// Checks the volume that ctx describes. The catalog working copy must have
// been made (open_catalog_tree) and the extents copy too (open_extents_tree);
// a tree without a working copy is reported as unreadable. The alternate
// volume header is not looked at: Mac OS itself lets it grow old.
CheckReport check_volume(HfsContext& ctx);

}  // namespace korvane
