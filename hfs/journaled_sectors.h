#pragma once
// The volume's sectors with the medium's undo journal in front of them:
// before a sector is written, its old contents and a hash of the new go to
// the journal and reach stable storage. A change's record begins with its
// first write and ends when its write-back completed (end_change); a change
// that is dropped has what it wrote put back and leaves the journal
// (drop_change), so that the medium is exactly as before it. When the
// journal cannot take a write, the write is refused and the medium is not
// touched; refusal() says why.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "core/core_context.h"
#include "hfs/undo_journal.h"
#include "hfs/volume.h"

namespace korvane {

// One write request of a write-back, planned before the first is made.
struct SectorWrite {
    std::uint32_t sector = 0;
    std::uint16_t count = 0;
    const std::uint8_t* bytes = nullptr;
};

class JournaledSectors : public SectorDevice {
public:
    JournaledSectors(CoreContext& ctx, std::unique_ptr<SectorDevice> medium, std::string journalPath,
                     std::uint64_t limit);

    bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) override;
    bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) override;

    // Journals writes that follow, with one flush: a write-back learns
    // before its first write whether the journal takes all of it.
    bool journal_ahead(std::span<const SectorWrite> writes);
    // The change's write-back completed: its record ends, and the oldest
    // records go when the journal grew beyond its bound.
    void end_change();
    // The change is dropped: what it wrote goes back, its record goes.
    // False (said) when it could not all be put back; asked again before
    // the next change begins, it answers the same.
    bool drop_change();
    // Why the journal refused a write ("" when it did not), for the notice
    // that reports the refused change; cleared when taken.
    std::string take_refusal();

private:
    bool open_journal();
    bool start_record();
    bool journal_write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer);
    bool covered_ahead(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer);
    bool refuse(const std::string& why);
    bool refuse_unreadable(std::uint32_t sector);

    CoreContext& ctx_;
    std::unique_ptr<SectorDevice> medium_;
    std::string path_;
    std::uint64_t limit_;
    UndoJournal journal_;
    bool recordOpen_ = false;
    // Sectors journaled ahead, each with the hash of a contents it will get
    // (a sector may be planned more than once: a format zeroes, then writes).
    std::multimap<std::uint32_t, std::uint64_t> ahead_;
    std::string refusal_;
    bool dropFailed_ = false;
};

}  // namespace korvane
