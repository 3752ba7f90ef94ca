#pragma once
// Undoing changes from the selected drive's undo journal: the last change
// on request (UNDO, "Undo last change"), and a change that was interrupted
// when the volume is opened next. Both say what they did or why not.

#include "hfs/hfs_context.h"

namespace korvane {

// Puts back the sectors of the last change in the journal after checking
// that the medium still holds what that change wrote; otherwise refuses
// and says why. True when a change was undone (the volume must then be
// read again: nothing Korvane holds of it is current).
bool undo_last_change(HfsContext& ctx);

// Before a volume is read: when the journal's last change was interrupted,
// says so and asks whether to roll it back (korvane-cmd: --yes, --no).
void offer_rollback(HfsContext& ctx);

}  // namespace korvane
