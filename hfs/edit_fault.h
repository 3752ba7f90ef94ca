#pragma once
// Why a change to the trees could not complete. The engine's inner steps
// return one of these and change nothing further; the operation the command
// called reports it once (refuse_change, hfs/volume.h) and drops the
// command's changes.

namespace korvane {

enum class EditFault {
    None,
    Damaged,        // a node on the way is not what the tree says it is
    NoCatalogRoom,  // the catalog cannot grow: no space on the volume
    NoExtentsRoom,  // the extents file has no free node left
    Refused,        // already reported (a read-only volume, an incomplete copy)
};

// The notice that reports the fault ("" for None and Refused).
const char* edit_fault_text(EditFault fault);

}  // namespace korvane
