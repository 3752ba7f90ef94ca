#include "hfs/journaled_sectors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "core/notices.h"
#include "hfs/journal_location.h"
#include "hfs/undo_put_back.h"

namespace korvane {
namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::vector<std::uint64_t> hashes_of(const std::uint8_t* bytes, std::uint16_t count) {
    std::vector<std::uint64_t> hashes(count);
    for (std::uint16_t i = 0; i < count; ++i) hashes[i] = sector_hash(bytes + std::size_t{i} * kJournalSectorSize);
    return hashes;
}

}  // namespace

JournaledSectors::JournaledSectors(CoreContext& ctx, std::unique_ptr<SectorDevice> medium, std::string journalPath,
                                   std::uint64_t limit)
    : ctx_(ctx), medium_(std::move(medium)), path_(std::move(journalPath)), limit_(limit) {}

bool JournaledSectors::read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    return medium_->read(sector, count, buffer);
}

bool JournaledSectors::write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) {
    if (!covered_ahead(sector, count, buffer) && !journal_write(sector, count, buffer)) return false;
    return medium_->write(sector, count, buffer);
}

bool JournaledSectors::refuse(const std::string& why) {
    refusal_ = "The undo journal " + quoted(path_) + " " + why +
               ". The change was refused and the medium is as it was. Start Korvane with --no-journal to change "
               "this volume without an undo journal.";
    return false;
}

// A sector that cannot be read would most likely not take the write either:
// going on without the journal is no advice here.
bool JournaledSectors::refuse_unreadable(std::uint32_t sector) {
    refusal_ = "The sectors the change is to write (from sector " + std::to_string(sector) +
               " on) cannot all be read, so what they hold cannot be kept for undoing. The change was refused and "
               "the medium is as it was.";
    return false;
}

std::string JournaledSectors::take_refusal() { return std::exchange(refusal_, {}); }

// A damaged journal is kept for a look (its changes can no longer be
// undone safely) and a new one begins.
bool JournaledSectors::open_journal() {
    if (journal_.is_open()) return true;
    if (!make_journal_folder(path_)) return refuse(std::string("cannot be created: ") + std::strerror(errno));
    if (!journal_.open(path_, true)) return refuse(journal_.error());
    if (!journal_.damaged()) return true;
    const std::string aside = path_ + ".damaged";
    if (std::rename(path_.c_str(), aside.c_str()) != 0) return refuse("is damaged and cannot be set aside");
    show_notice(ctx_, "The undo journal " + quoted(path_) + " was damaged: it was set aside as " + quoted(aside) +
                              " and a new one begun. The changes before this one cannot be undone.");
    return journal_.open(path_, true) || refuse(journal_.error());
}

bool JournaledSectors::start_record() {
    if (recordOpen_) return true;
    if (!open_journal()) return false;
    if (!journal_.begin_record()) return refuse(journal_.error());
    recordOpen_ = true;
    dropFailed_ = false;
    return true;
}

// The old contents must be known before they are overwritten.
bool JournaledSectors::journal_write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) {
    if (!start_record()) return false;
    std::vector<std::uint8_t> old(std::size_t{count} * kJournalSectorSize);
    if (!medium_->read(sector, count, old.data())) return refuse_unreadable(sector);
    if (!journal_.append_sectors(sector, hashes_of(buffer, count), old)) return refuse(journal_.error());
    return journal_.sync() || refuse(journal_.error());
}

bool JournaledSectors::journal_ahead(std::span<const SectorWrite> writes) {
    if (!start_record()) return false;
    for (const SectorWrite& w : writes) {
        std::vector<std::uint8_t> old(std::size_t{w.count} * kJournalSectorSize);
        if (!medium_->read(w.sector, w.count, old.data())) return refuse_unreadable(w.sector);
        const std::vector<std::uint64_t> hashes = hashes_of(w.bytes, w.count);
        if (!journal_.append_sectors(w.sector, hashes, old)) return refuse(journal_.error());
        for (std::uint16_t i = 0; i < w.count; ++i) ahead_.emplace(w.sector + i, hashes[i]);
    }
    return journal_.sync() || refuse(journal_.error());
}

bool JournaledSectors::covered_ahead(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) {
    std::vector<std::multimap<std::uint32_t, std::uint64_t>::iterator> planned;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint64_t hash = sector_hash(buffer + std::size_t{i} * kJournalSectorSize);
        const auto [first, last] = ahead_.equal_range(sector + i);
        const auto found = std::find_if(first, last, [&](const auto& entry) { return entry.second == hash; });
        if (found == last) return false;
        planned.push_back(found);
    }
    for (const auto& entry : planned) ahead_.erase(entry);
    return true;
}

void JournaledSectors::end_change() {
    ahead_.clear();
    if (!std::exchange(recordOpen_, false)) return;
    if (!journal_.end_record()) {
        show_notice(ctx_, "The change was written, but the undo journal " + quoted(path_) +
                                  " could not note that it is complete (" + journal_.error() +
                                  "): when the volume is opened next, it is taken for an interrupted change.");
        return;
    }
    if (!journal_.trim_to(limit_))
        show_notice(ctx_,
                    "The undo journal " + quoted(path_) + " " + journal_.error() + ": it keeps its older changes.");
}

bool JournaledSectors::drop_change() {
    ahead_.clear();
    if (!std::exchange(recordOpen_, false)) return !dropFailed_;
    const PutBackResult result = put_back_last_record(journal_, *medium_);
    if (result.outcome == PutBack::Done) return true;
    dropFailed_ = true;
    show_notice(ctx_, "What the dropped change had written could not all be put back: the undo journal " +
                              quoted(path_) + " keeps it as an interrupted change, and UNDO can try again.");
    return false;
}

}  // namespace korvane
