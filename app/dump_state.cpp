#include "app/dump_state.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "device/sector_io.h"
#include "hfs/allocation.h"
#include "hfs/attribute_dialogs.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

constexpr std::uint32_t kSectorBytes = 512;
constexpr std::uint32_t kLineStep = 128;
constexpr std::uint32_t kPageStep = 512;
constexpr std::uint32_t kMaxScrollSteps = 32767;

constexpr DumpMenuItem kSeparator{0, {}};

constexpr auto kFileMenu = std::to_array<DumpMenuItem>({
        {dump_cmd::kData, "Data"},
        {dump_cmd::kResource, "Resource"},
        kSeparator,
        {dump_cmd::kFileParameter, "File Parameter"},
        kSeparator,
        {dump_cmd::kBackToMainScreen, "Back to Main Screen"},
});

constexpr auto kFontsMenu = std::to_array<DumpMenuItem>({
        {dump_cmd::kMacintosh, "Ascii Macintosh"},
        {dump_cmd::kWindows, "Ansi Windows"},
        {dump_cmd::kDos, "Ascii DOS"},
});

constexpr auto kNumerationMenu = std::to_array<DumpMenuItem>({
        {dump_cmd::kDecimal, "Decimal"},
        {dump_cmd::kHexadecimal, "Hexadecimal"},
});

constexpr auto kMenus = std::to_array<DumpMenu>({
        {"&File", kFileMenu},
        {"&Fonts", kFontsMenu},
        {"&Numeration", kNumerationMenu},
});

}  // namespace

std::span<const DumpMenu> dump_menu_layout() { return kMenus; }

DumpScroll scroll_for_key(DumpKey key) {
    switch (key) {
        case DumpKey::Home:
            return DumpScroll::Top;
        case DumpKey::End:
            return DumpScroll::Bottom;
        case DumpKey::PageUp:
        case DumpKey::Up:
            return DumpScroll::PageUp;
        case DumpKey::PageDown:
        case DumpKey::Down:
            break;
    }
    return DumpScroll::PageDown;
}

std::uint32_t dump_scroll_unit(std::uint32_t fork_length) {
    // length / (128 k) <= 32767 holds exactly when length < 32768 x 128 x k.
    return kLineStep * (fork_length / ((kMaxScrollSteps + 1) * kLineStep) + 1);
}

std::unique_ptr<DumpState> DumpState::open(Context& ctx, std::string_view mac_name) {
    auto record = read_file_record(ctx, ctx.state.current_dir_id, mac_name);
    if (!record) return nullptr;
    return std::make_unique<DumpState>(ctx, std::move(*record));
}

DumpState::DumpState(Context& ctx, FileRecordCopy record) : ctx_(ctx), file_record_(std::move(record)) {
    show_fork(physical_length(false) == 0);
}

std::string DumpState::title() const { return "Dumping file \"" + translated(file_record_.name, mac_to_ansi) + "\""; }

std::uint32_t DumpState::physical_length(bool resource) const {
    return file_record_.field32(resource ? filrec::resourcePhysicalLength : filrec::dataPhysicalLength);
}

void DumpState::show_fork(bool resource) {
    resource_shown_ = resource;
    fork_length_ = physical_length(resource);
    scroll_unit_ = dump_scroll_unit(fork_length_);
    scroll_max_ = fork_length_ / scroll_unit_ + (fork_length_ % scroll_unit_ != 0 ? 1 : 0);
    position_ = 0;
    read_buffer_from(0);
}

std::vector<std::string> DumpState::screen_lines() const {
    std::vector<std::string> lines;
    lines.reserve(kDumpScreenLines);
    for (std::uint32_t i = 0; i < kDumpScreenLines; ++i) {
        const std::uint8_t* bytes = buffer_.data() + offset_in_buffer_ + kDumpLineBytes * i;
        lines.push_back(dump_line(position_ + kDumpLineBytes * i,
                                  std::span<const std::uint8_t, kDumpLineBytes>(bytes, kDumpLineBytes), number_base_,
                                  character_set_));
    }
    return lines;
}

std::uint32_t DumpState::bottom_position() const {
    if (fork_length_ == 0) return 0;  // an empty fork has nothing to step back from
    const std::uint32_t rest = fork_length_ % kPageStep;
    return fork_length_ - (rest == 0 ? kPageStep : rest);
}

void DumpState::scroll(DumpScroll request, std::uint32_t thumb) {
    switch (request) {
        case DumpScroll::LineUp:
            if (position_ >= kLineStep) position_ -= kLineStep;
            break;
        case DumpScroll::LineDown:
            if (fork_length_ - position_ >= kLineStep) position_ += kLineStep;
            break;
        case DumpScroll::PageUp:
            if (position_ > kPageStep) position_ -= kPageStep;
            break;
        case DumpScroll::PageDown:
            if (fork_length_ - position_ > kPageStep) position_ += kPageStep;
            break;
        case DumpScroll::ThumbReleased: {
            const std::uint64_t wanted = std::uint64_t{thumb} * scroll_unit_;
            return move_to(static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, fork_length_)));
        }
        case DumpScroll::Top:
            position_ = 0;
            break;
        case DumpScroll::Bottom:
            position_ = bottom_position();
            break;
    }
    refill_dump_buffer();
}

void DumpState::move_to(std::uint32_t offset) {
    // The last scroll step may reach past the fork: it shows the last page instead.
    position_ = offset < fork_length_ ? offset : bottom_position();
    refill_dump_buffer();
}

void DumpState::refill_dump_buffer() {
    const bool page_held = std::uint64_t{position_} + kPageStep <= valid_end_ || valid_end_ >= fork_length_;
    if (position_ >= buffer_start_ && page_held && position_ - buffer_start_ <= kBufferUsed) {
        offset_in_buffer_ = position_ - buffer_start_;
        return;
    }
    read_buffer_from(position_ - position_ % kSectorBytes);
}

void DumpState::read_buffer_from(std::uint32_t start) {
    buffer_start_ = start;
    offset_in_buffer_ = position_ - start;
    std::fill(buffer_.begin(), buffer_.end(), std::uint8_t{0});
    valid_end_ = read_fork_blocks(buffer_.data(), kBufferUsed, start);
}

ExtentRecordBytes DumpState::fork_extents() const {
    return ExtentRecordBytes(
            file_record_.data.data() + (resource_shown_ ? filrec::resource_extents : filrec::data_extents),
            kExtentRecordSize);
}

std::uint32_t DumpState::read_fork_blocks(std::uint8_t* into, std::uint32_t count, std::uint32_t start) {
    // Past the fork's end there is nothing to read (and length - start would wrap).
    if (start >= fork_length_) return start;
    count = std::min(count, fork_length_ - start);
    const std::uint32_t sectors = (count + kSectorBytes - 1) / kSectorBytes;
    const ExtentRecordBytes extents = fork_extents();
    const std::uint32_t file_id = file_record_.field32(filrec::fileNumber);
    const std::uint8_t fork_type = resource_shown_ ? kResourceFork : kDataFork;
    std::uint32_t end = start;
    for (std::uint32_t i = 0; i < sectors; ++i) {
        const std::uint32_t sector = physical_sector(ctx_, start / kSectorBytes + i, extents, file_id, fork_type);
        if (sector == 0) {
            unmapped_sectors_ += sectors - i;
            break;
        }
        DeviceRequest request;
        request.operation = kOpRead;
        request.target = ctx_.state.target_id;
        request.sector = sector;
        request.count = 1;
        request.buffer = into + kSectorBytes * i;
        // A sector the medium refuses stays zero; the ones after it still show.
        if (transfer(ctx_, request) != 0) {
            std::memset(into + kSectorBytes * i, 0, kSectorBytes);
            ++unreadable_sectors_;
        }
        end += kSectorBytes;
    }
    // Bytes read past the end of a fork of odd length are not the fork's.
    end = std::min(end, fork_length_);
    std::memset(into + (end - start), 0, sectors * kSectorBytes - (end - start));
    return end;
}

bool DumpState::run_command(int command) {
    switch (command) {
        case dump_cmd::kData:
        case dump_cmd::kResource: {
            const bool resource = command == dump_cmd::kResource;
            if (resource != resource_shown_ && item_enabled(command)) show_fork(resource);
            return true;
        }
        case dump_cmd::kFileParameter:
            edit_file_parameters();
            return true;
        case dump_cmd::kBackToMainScreen:
            return false;
        case dump_cmd::kMacintosh:
        case dump_cmd::kWindows:
        case dump_cmd::kDos:
            character_set_ = static_cast<DumpCharacters>(command);
            return true;
        case dump_cmd::kDecimal:
            number_base_ = 10;
            return true;
        case dump_cmd::kHexadecimal:
            number_base_ = 16;
            return true;
        default:
            return true;
    }
}

void DumpState::edit_file_parameters() {
    // The same guard as "Edit Attributes" of the main window: the dialog may write.
    if (!check_writable(ctx_)) return;
    const auto written = edit_file_attributes(ctx_, file_record_);
    if (!written) return;
    // The forks stay where they are; the record takes its new name and dates.
    if (auto renewed = read_file_record(ctx_, file_record_.parentID, written->name)) file_record_ = std::move(*renewed);
}

bool DumpState::item_enabled(int command) const {
    if (command == dump_cmd::kData) return physical_length(false) != 0;
    if (command == dump_cmd::kResource) return physical_length(true) != 0;
    return true;
}

bool DumpState::item_checked(int command) const {
    switch (command) {
        case dump_cmd::kData:
            return !resource_shown_;
        case dump_cmd::kResource:
            return resource_shown_;
        case dump_cmd::kMacintosh:
        case dump_cmd::kWindows:
        case dump_cmd::kDos:
            return static_cast<int>(character_set_) == command;
        case dump_cmd::kDecimal:
            return number_base_ == 10;
        case dump_cmd::kHexadecimal:
            return number_base_ == 16;
        default:
            return false;
    }
}

}  // namespace korvane
