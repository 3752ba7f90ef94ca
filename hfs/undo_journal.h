#pragma once
// The undo journal of one medium: a file outside the medium that keeps, for
// each change Korvane made to it, the old contents of every sector the
// change wrote and a hash of what it wrote there, so that the change can be
// put back once it is known that the medium still holds what it wrote.
//
// The file is a sequence of blocks, each closed by a hash of its bytes:
//   Begin    a change starts (its number)
//   Sectors  first sector, count, the hashes of the new contents, then the
//            old contents of those sectors
//   End      the change's write-back completed
//   Undoing  putting the change back has started
// A change without End (or with Undoing) was interrupted. The journal is
// read like a medium, as untrusted input: a block cut short at the end of
// the file (the process died while appending) is dropped; a bad block
// before the end marks the journal damaged and ends what is read of it.
//
//   UndoJournal journal;
//   if (!journal.open(path, true)) ... journal.error() ...
//   journal.begin_record(); journal.append_sectors(...); journal.sync();

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvane {

inline constexpr std::size_t kJournalSectorSize = 512;

// The hash that stands for a sector's contents in the journal.
std::uint64_t sector_hash(const std::uint8_t* sector);

// One Sectors block: where its data lies in the file.
struct JournalEntry {
    std::uint32_t firstSector = 0;
    std::uint32_t count = 0;
    std::uint64_t hashesAt = 0;  // file offset of the new contents' hashes; the old contents follow
};

struct JournalRecord {
    std::uint64_t number = 0;
    std::uint64_t start = 0;  // file offset of its Begin block
    std::uint64_t end = 0;    // file offset just past its last block
    std::vector<JournalEntry> entries;
    bool completed = false;
    bool undoing = false;
    bool interrupted() const { return !completed || undoing; }
};

// The new contents' hashes and the old contents of one entry.
struct EntryContents {
    std::vector<std::uint64_t> newHashes;
    std::vector<std::uint8_t> oldSectors;
};

class UndoJournal {
public:
    UndoJournal() = default;
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Opens and reads the journal at path; with create, an absent journal
    // is created empty. A torn end is cut off (unless the file may only be
    // read). False (why in error()) when it cannot be opened or read.
    bool open(const std::string& path, bool create);
    bool is_open() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    const std::vector<JournalRecord>& records() const { return records_; }
    // Bad bytes were met before the end: what follows them was not read.
    bool damaged() const { return damaged_; }
    std::uint64_t size() const { return end_; }

    // Appending. Blocks reach stable storage with sync (Undoing syncs by
    // itself). False, with error(), when the file refuses.
    bool begin_record();
    bool append_sectors(std::uint32_t firstSector, std::span<const std::uint64_t> newHashes,
                        std::span<const std::uint8_t> oldSectors);
    bool sync();
    bool end_record();
    bool mark_undoing();
    // Removes the last record (it was put back or never reached the medium).
    bool drop_last_record();
    // When the file holds more than limit bytes, drops the oldest records
    // until it holds three quarters of it at most; the newest record
    // always stays.
    bool trim_to(std::uint64_t limit);

    // What an entry of this journal holds; false when it cannot be read
    // back whole or no longer matches its block's hash.
    bool read_entry(const JournalEntry& entry, EntryContents& contents) const;

private:
    bool read_all();
    bool append_block(char kind, std::span<const std::uint8_t> payload);
    bool append_numbered(char kind, std::uint64_t number);
    bool fail(const char* what);
    void close();

    int fd_ = -1;
    std::string path_;
    std::string error_;
    std::vector<JournalRecord> records_;
    std::uint64_t end_ = 0;  // where the next block goes
    bool damaged_ = false;
};

}  // namespace korvane
