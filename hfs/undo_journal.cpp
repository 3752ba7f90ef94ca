#include "hfs/undo_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "util/byte_order.h"
#include "util/file_io.h"

namespace korvane {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic{'K', 'V', 'U', 'J'};
constexpr std::size_t kBlockHeaderSize = 12;  // magic, kind, 3 zero bytes, payload length
constexpr std::size_t kBlockHashSize = 8;
constexpr std::size_t kEntryHeaderSize = 8;  // first sector, count
constexpr std::size_t kPerSector = 8 + kJournalSectorSize;
// A Sectors block covers one write request, at most 65535 sectors.
constexpr std::uint64_t kMaxPayload = kEntryHeaderSize + std::uint64_t{0xFFFF} * kPerSector;

constexpr char kBegin = 'B';
constexpr char kSectors = 'S';
constexpr char kEnd = 'E';
constexpr char kUndoing = 'U';

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

std::uint64_t fnv(std::uint64_t hash, std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) hash = (hash ^ b) * kFnvPrime;
    return hash;
}

void store_be64(std::uint8_t* p, std::uint64_t value) {
    store_be32(p, static_cast<std::uint32_t>(value >> 32));
    store_be32(p + 4, static_cast<std::uint32_t>(value));
}

std::uint64_t load_be64(const std::uint8_t* p) { return (std::uint64_t{load_be32(p)} << 32) | load_be32(p + 4); }

// The folder of a file reaches stable storage too, so that a renamed or
// new journal is found after a crash.
void sync_folder_of(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
}

// One block as read from the file.
struct Block {
    char kind = 0;
    std::uint64_t length = 0;        // of the payload
    std::vector<std::uint8_t> head;  // the payload's first bytes (all of it, but for Sectors)
};

enum class BlockRead { Good, Bad, Unreadable };

bool known_kind(char kind) { return kind == kBegin || kind == kSectors || kind == kEnd || kind == kUndoing; }

// Reads and checks the block at offset of a file of size bytes. Only the
// first bytes of a Sectors payload are kept; the rest is hashed on the way.
BlockRead read_block(int fd, std::uint64_t offset, std::uint64_t size, Block& block) {
    std::array<std::uint8_t, kBlockHeaderSize> header{};
    if (size - offset < kBlockHeaderSize + kBlockHashSize) return BlockRead::Bad;
    if (!read_at(fd, header.data(), header.size(), offset)) return BlockRead::Unreadable;
    if (!std::equal(kMagic.begin(), kMagic.end(), header.begin())) return BlockRead::Bad;
    block.kind = static_cast<char>(header[4]);
    block.length = load_be32(header.data() + 8);
    if (!known_kind(block.kind) || block.length > kMaxPayload) return BlockRead::Bad;
    if (size - offset - kBlockHeaderSize - kBlockHashSize < block.length) return BlockRead::Bad;
    std::uint64_t hash = fnv(kFnvOffset, header);
    std::vector<std::uint8_t> chunk;
    std::uint64_t at = offset + kBlockHeaderSize;
    for (std::uint64_t left = block.length; left > 0;) {
        chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left, 1 << 20)));
        if (!read_at(fd, chunk.data(), chunk.size(), at)) return BlockRead::Unreadable;
        if (block.head.empty())
            block.head.assign(chunk.begin(), chunk.begin() + std::min<std::size_t>(chunk.size(), 16));
        hash = fnv(hash, chunk);
        at += chunk.size();
        left -= chunk.size();
    }
    std::array<std::uint8_t, kBlockHashSize> stored{};
    if (!read_at(fd, stored.data(), stored.size(), at)) return BlockRead::Unreadable;
    return load_be64(stored.data()) == hash ? BlockRead::Good : BlockRead::Bad;
}

// A bad block that reaches the end of the file, or is followed only by
// zeros, is an append the process did not finish: the journal is not
// damaged, it just ends before it.
bool only_a_torn_end(int fd, std::uint64_t offset, std::uint64_t size) {
    std::array<std::uint8_t, kBlockHeaderSize> header{};
    if (size - offset >= kBlockHeaderSize && read_at(fd, header.data(), header.size(), offset) &&
        std::equal(kMagic.begin(), kMagic.end(), header.begin()) &&
        offset + kBlockHeaderSize + load_be32(header.data() + 8) + kBlockHashSize >= size)
        return true;
    std::vector<std::uint8_t> rest(64 * 1024);
    for (std::uint64_t at = offset + kBlockHeaderSize; at < size; at += rest.size()) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(rest.size(), size - at));
        if (!read_at(fd, rest.data(), n, at)) return false;
        if (std::any_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n),
                        [](std::uint8_t b) { return b != 0; }))
            return false;
    }
    return true;
}

// Adds a checked block to the records; false when it does not fit where it stands.
bool take_block(const Block& block, std::uint64_t offset, std::vector<JournalRecord>& records) {
    const std::uint64_t next = offset + kBlockHeaderSize + block.length + kBlockHashSize;
    if (block.kind == kBegin) {
        if (block.length != 8) return false;
        JournalRecord record;
        record.number = load_be64(block.head.data());
        record.start = offset;
        record.end = next;
        records.push_back(record);
        return true;
    }
    if (records.empty() || records.back().undoing) return false;
    JournalRecord& record = records.back();
    if (block.kind == kSectors) {
        if (block.length < kEntryHeaderSize || record.completed) return false;
        const std::uint32_t count = load_be32(block.head.data() + 4);
        if (count == 0 || block.length != kEntryHeaderSize + std::uint64_t{count} * kPerSector) return false;
        record.entries.push_back({load_be32(block.head.data()), count, offset + kBlockHeaderSize + kEntryHeaderSize});
    } else {
        if (block.length != 8 || load_be64(block.head.data()) != record.number) return false;
        if (block.kind == kEnd) {
            if (record.completed) return false;
            record.completed = true;
        } else {
            record.undoing = true;
        }
    }
    record.end = next;
    return true;
}

}  // namespace

std::uint64_t sector_hash(const std::uint8_t* sector) { return fnv(kFnvOffset, std::span(sector, kJournalSectorSize)); }

UndoJournal::~UndoJournal() { close(); }

void UndoJournal::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool UndoJournal::fail(const char* what) {
    error_ = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool UndoJournal::open(const std::string& path, bool create) {
    close();
    path_ = path;
    records_.clear();
    damaged_ = false;
    end_ = 0;
    bool writable = true;
    fd_ = ::open(path.c_str(), O_RDWR | (create ? O_CREAT : 0) | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0 && !create && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        writable = false;  // read, so that it can say what it holds
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd_ < 0) return fail("cannot be opened");
    struct stat info {};
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode))
            errno = EISDIR;
        else if (!S_ISREG(info.st_mode))
            errno = EINVAL;
        const int error = errno;
        close();
        errno = error;
        return fail("cannot be opened");
    }
    if (!read_all()) {
        close();
        return false;
    }
    if (writable && !damaged_ && end_ < static_cast<std::uint64_t>(info.st_size) &&
        (ftruncate(fd_, static_cast<off_t>(end_)) != 0 || fsync(fd_) != 0))
        return fail("cannot be written");
    if (create && info.st_size == 0) sync_folder_of(path);
    return true;
}

bool UndoJournal::read_all() {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return fail("cannot be read");
    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t offset = 0;
    while (offset < size) {
        Block block;
        const BlockRead read = read_block(fd_, offset, size, block);
        if (read == BlockRead::Unreadable) return fail("cannot be read");
        if (read == BlockRead::Bad) {
            damaged_ = !only_a_torn_end(fd_, offset, size);
            break;
        }
        if (!take_block(block, offset, records_)) {
            damaged_ = true;
            break;
        }
        offset += kBlockHeaderSize + block.length + kBlockHashSize;
    }
    end_ = offset;
    return true;
}

bool UndoJournal::append_block(char kind, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> block(kBlockHeaderSize + payload.size() + kBlockHashSize, 0);
    std::copy(kMagic.begin(), kMagic.end(), block.begin());
    block[4] = static_cast<std::uint8_t>(kind);
    store_be32(block.data() + 8, static_cast<std::uint32_t>(payload.size()));
    std::copy(payload.begin(), payload.end(), block.begin() + kBlockHeaderSize);
    const std::size_t hashed = kBlockHeaderSize + payload.size();
    store_be64(block.data() + hashed, fnv(kFnvOffset, std::span(block.data(), hashed)));
    if (!write_at(fd_, block.data(), block.size(), end_)) {
        // A block only partly written must not stay in front of the next one.
        if (ftruncate(fd_, static_cast<off_t>(end_)) != 0) {
        }
        return fail("cannot be written");
    }
    Block taken{kind, payload.size(), {payload.begin(), payload.begin() + std::min<std::size_t>(payload.size(), 16)}};
    take_block(taken, end_, records_);
    end_ += block.size();
    return true;
}

bool UndoJournal::append_numbered(char kind, std::uint64_t number) {
    std::array<std::uint8_t, 8> payload{};
    store_be64(payload.data(), number);
    return append_block(kind, payload);
}

bool UndoJournal::begin_record() {
    const std::uint64_t number = records_.empty() ? 1 : records_.back().number + 1;
    return append_numbered(kBegin, number);
}

bool UndoJournal::append_sectors(std::uint32_t firstSector, std::span<const std::uint64_t> newHashes,
                                 std::span<const std::uint8_t> oldSectors) {
    const std::size_t count = newHashes.size();
    if (count == 0 || count > 0xFFFF || oldSectors.size() != count * kJournalSectorSize) {
        errno = EINVAL;
        return fail("cannot be written");
    }
    std::vector<std::uint8_t> payload(kEntryHeaderSize + count * kPerSector);
    store_be32(payload.data(), firstSector);
    store_be32(payload.data() + 4, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) store_be64(payload.data() + kEntryHeaderSize + 8 * i, newHashes[i]);
    std::copy(oldSectors.begin(), oldSectors.end(),
              payload.begin() + static_cast<std::ptrdiff_t>(kEntryHeaderSize + 8 * count));
    return append_block(kSectors, payload);
}

bool UndoJournal::sync() { return fsync(fd_) == 0 || fail("cannot be written"); }

// Not flushed: the End is as durable as the medium's own writes before it,
// which reach stable storage with the system's cache too.
bool UndoJournal::end_record() { return !records_.empty() && append_numbered(kEnd, records_.back().number); }

bool UndoJournal::mark_undoing() {
    return !records_.empty() && append_numbered(kUndoing, records_.back().number) && sync();
}

bool UndoJournal::drop_last_record() {
    if (records_.empty()) return true;
    const std::uint64_t start = records_.back().start;
    if (ftruncate(fd_, static_cast<off_t>(start)) != 0 || fsync(fd_) != 0) return fail("cannot be written");
    records_.pop_back();
    end_ = start;
    return true;
}

bool UndoJournal::trim_to(std::uint64_t limit) {
    if (end_ <= limit || records_.size() <= 1 || damaged_) return true;
    // Down to three quarters, so that the file is not copied again at the
    // very next change.
    const std::uint64_t target = limit / 4 * 3;
    std::size_t keep = 0;
    while (keep + 1 < records_.size() && end_ - records_[keep].start > target) ++keep;
    const std::uint64_t from = records_[keep].start;
    const std::string fresh = path_ + ".new";
    const int out = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (out < 0) return fail("cannot be shortened");
    std::vector<std::uint8_t> chunk(1 << 20);
    bool copied = true;
    for (std::uint64_t at = from; copied && at < end_; at += chunk.size()) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), end_ - at));
        copied = read_at(fd_, chunk.data(), n, at) && write_at(out, chunk.data(), n, at - from);
    }
    copied = copied && fsync(out) == 0;
    ::close(out);
    if (!copied || std::rename(fresh.c_str(), path_.c_str()) != 0) {
        std::remove(fresh.c_str());
        return fail("cannot be shortened");
    }
    sync_folder_of(path_);
    return open(path_, true);
}

bool UndoJournal::read_entry(const JournalEntry& entry, EntryContents& contents) const {
    const std::uint64_t blockStart = entry.hashesAt - kEntryHeaderSize - kBlockHeaderSize;
    const std::size_t count = entry.count;
    std::vector<std::uint8_t> block(kBlockHeaderSize + kEntryHeaderSize + count * kPerSector + kBlockHashSize);
    if (!read_at(fd_, block.data(), block.size(), blockStart)) return false;
    const std::size_t hashed = block.size() - kBlockHashSize;
    if (fnv(kFnvOffset, std::span(block.data(), hashed)) != load_be64(block.data() + hashed)) return false;
    const std::uint8_t* payload = block.data() + kBlockHeaderSize;
    if (load_be32(payload) != entry.firstSector || load_be32(payload + 4) != entry.count) return false;
    contents.newHashes.resize(count);
    for (std::size_t i = 0; i < count; ++i) contents.newHashes[i] = load_be64(payload + kEntryHeaderSize + 8 * i);
    const std::uint8_t* old = payload + kEntryHeaderSize + 8 * count;
    contents.oldSectors.assign(old, old + count * kJournalSectorSize);
    return true;
}

}  // namespace korvane
