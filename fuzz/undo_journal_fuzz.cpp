// Reads a mutated undo journal and puts its last change back on a medium
// held in memory. However ruined the journal, reading it must end: no
// crash, no hang, no read outside a buffer, and no write outside the
// sectors the journal names.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "hfs/undo_journal.h"
#include "hfs/undo_put_back.h"

namespace korvane {
namespace {

constexpr std::uint32_t kMediumSectors = 4096;

// 2 MB of medium whose sectors hold their own numbers.
class MemorySectors : public SectorDevice {
public:
    MemorySectors() : bytes_(std::size_t{kMediumSectors} * kJournalSectorSize) {
        for (std::uint32_t s = 0; s < kMediumSectors; ++s)
            bytes_[std::size_t{s} * kJournalSectorSize] = static_cast<std::uint8_t>(s);
    }
    bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) override {
        if (!inside(sector, count)) return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(std::size_t{sector} * kJournalSectorSize),
                    std::size_t{count} * kJournalSectorSize, buffer);
        return true;
    }
    bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) override {
        if (!inside(sector, count)) return false;
        std::copy_n(buffer, std::size_t{count} * kJournalSectorSize,
                    bytes_.begin() + static_cast<std::ptrdiff_t>(std::size_t{sector} * kJournalSectorSize));
        return true;
    }

private:
    static bool inside(std::uint32_t sector, std::uint16_t count) {
        return sector < kMediumSectors && count <= kMediumSectors - sector;
    }
    std::vector<std::uint8_t> bytes_;
};

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    const std::string path = "/tmp/korvane-fuzz-" + std::to_string(getpid()) + ".korvane-journal";
    const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0) return 0;
    const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    UndoJournal journal;
    if (written && journal.open(path, false) && !journal.damaged() && !journal.records().empty()) {
        EntryContents contents;
        for (const JournalRecord& record : journal.records())
            for (const JournalEntry& entry : record.entries) journal.read_entry(entry, contents);
        MemorySectors medium;
        put_back_last_record(journal, medium);
    }
    unlink(path.c_str());
    return 0;
}
