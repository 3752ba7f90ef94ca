#pragma once
// Putting back the last change of an undo journal: every sector it wrote
// is first checked to hold what the change left there (for a completed
// change, its last contents; for an interrupted one, its old contents or
// any contents the change wrote), then the journal notes that the undo has
// started, the old contents go back (newest entry first, so that the
// oldest contents of a sector written twice win; a sector that still holds
// them is not written) and the change leaves the journal. Nothing is
// written when a check fails.

#include <cstdint>

#include "hfs/undo_journal.h"
#include "hfs/volume.h"

namespace korvane {

enum class PutBack {
    Done,
    MediumChanged,      // a sector no longer holds what the change left there
    MediumUnreadable,   // a sector could not be read to check it
    JournalUnreadable,  // an entry could not be read back whole
    JournalUnwritable,  // the journal refused the note or the removal
    WriteFailed,        // a write to the medium failed: the undo is not complete
};

struct PutBackResult {
    PutBack outcome = PutBack::Done;
    std::uint32_t sector = 0;  // the sector concerned, for MediumChanged and MediumUnreadable
    std::uint32_t sectorsPutBack = 0;
};

// Puts back the journal's last record on medium. The journal must hold one.
PutBackResult put_back_last_record(UndoJournal& journal, SectorDevice& medium);

}  // namespace korvane
