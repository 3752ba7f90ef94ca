#include "hfs/undo_put_back.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace korvane {
namespace {

// What a change did to one sector, as far as its entries tell.
struct SectorHistory {
    std::set<std::uint64_t> contents;  // the old contents' hash and every hash written
    std::uint64_t old = 0;             // the hash of what the sector held before the change
    std::uint64_t last = 0;            // the hash of what the change wrote last
    bool holdsOld = false;             // the medium still holds the old contents
};

// Reads each entry's hashes; false when an entry cannot be read back.
bool read_histories(const UndoJournal& journal, const JournalRecord& record,
                    std::map<std::uint32_t, SectorHistory>& histories) {
    EntryContents contents;
    for (const JournalEntry& entry : record.entries) {
        if (!journal.read_entry(entry, contents)) return false;
        for (std::uint32_t i = 0; i < entry.count; ++i) {
            SectorHistory& history = histories[entry.firstSector + i];
            if (history.contents.empty()) {
                history.old = sector_hash(contents.oldSectors.data() + std::size_t{i} * kJournalSectorSize);
                history.contents.insert(history.old);
            }
            history.contents.insert(contents.newHashes[i]);
            history.last = contents.newHashes[i];
        }
    }
    return true;
}

bool expected_contents(const SectorHistory& history, bool completed, const std::uint8_t* sector) {
    const std::uint64_t now = sector_hash(sector);
    return completed ? now == history.last : history.contents.count(now) != 0;
}

// Reads the sectors in runs of consecutive numbers and checks each; notes
// the sectors that still hold their old contents.
PutBackResult check_medium(std::map<std::uint32_t, SectorHistory>& histories, bool completed, SectorDevice& medium) {
    constexpr std::uint16_t kRun = 64;
    std::vector<std::uint8_t> sectors(kRun * kJournalSectorSize);
    for (auto first = histories.begin(); first != histories.end();) {
        auto past = std::next(first);
        std::uint16_t count = 1;
        while (past != histories.end() && count < kRun && past->first == first->first + count) {
            ++past;
            ++count;
        }
        if (!medium.read(first->first, count, sectors.data())) return {PutBack::MediumUnreadable, first->first};
        std::size_t i = 0;
        for (auto at = first; at != past; ++at, ++i) {
            const std::uint8_t* sector = sectors.data() + i * kJournalSectorSize;
            if (!expected_contents(at->second, completed, sector)) return {PutBack::MediumChanged, at->first};
            at->second.holdsOld = sector_hash(sector) == at->second.old;
        }
        first = past;
    }
    return {};
}

// Writes the entry's old contents in runs, leaving out the sectors that
// still hold them: a change cut short before it wrote them is put back
// without writing there (the drive may take no writes at all any more).
PutBackResult put_back_entry(const JournalEntry& entry, const EntryContents& contents,
                             const std::map<std::uint32_t, SectorHistory>& histories, SectorDevice& medium) {
    const auto unchanged = [&](std::uint32_t i) { return histories.at(entry.firstSector + i).holdsOld; };
    for (std::uint32_t i = 0; i < entry.count;) {
        if (unchanged(i)) {
            ++i;
            continue;
        }
        std::uint32_t end = i + 1;
        while (end < entry.count && end - i < 0xFFFF && !unchanged(end)) ++end;
        const auto n = static_cast<std::uint16_t>(end - i);
        if (!medium.write(entry.firstSector + i, n, contents.oldSectors.data() + std::size_t{i} * kJournalSectorSize))
            return {PutBack::WriteFailed, entry.firstSector + i};
        i = end;
    }
    return {};
}

}  // namespace

PutBackResult put_back_last_record(UndoJournal& journal, SectorDevice& medium) {
    const JournalRecord record = journal.records().back();
    std::map<std::uint32_t, SectorHistory> histories;
    if (!read_histories(journal, record, histories)) return {PutBack::JournalUnreadable};
    PutBackResult result = check_medium(histories, !record.interrupted(), medium);
    if (result.outcome != PutBack::Done) return result;
    if (!record.undoing && !journal.mark_undoing()) return {PutBack::JournalUnwritable};
    EntryContents contents;
    for (auto entry = record.entries.rbegin(); entry != record.entries.rend(); ++entry) {
        if (!journal.read_entry(*entry, contents)) return {PutBack::JournalUnreadable};
        result = put_back_entry(*entry, contents, histories, medium);
        if (result.outcome != PutBack::Done) return result;
    }
    if (!journal.drop_last_record()) return {PutBack::JournalUnwritable};
    result.sectorsPutBack = static_cast<std::uint32_t>(histories.size());
    return result;
}

}  // namespace korvane
