#pragma once
// The dump window's state: one file's record, the fork shown, the position in
// it and the 1536 bytes read around that position, and what the window's
// menu commands and scroll requests do to them. The fork is read straight
// from the medium, sector by sector, through its extent records and the
// extents-overflow tree. The Qt window (gui/dump_window.h) shows it and
// korvane-cmd's DUMP prints it; neither keeps state of its own.
//
//   auto dump = DumpState::open(ctx, "ReadMe");      // null: no such file
//   dump->scroll(DumpScroll::PageDown);
//   for (const std::string& line : dump->screen_lines()) ...

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "app/dump_lines.h"
#include "hfs/file_attributes.h"

namespace korvane {

// The commands of the menu FILEDUMP.
namespace dump_cmd {
inline constexpr int kData = 100;
inline constexpr int kResource = 101;
inline constexpr int kFileParameter = 102;
inline constexpr int kBackToMainScreen = 103;
inline constexpr int kMacintosh = static_cast<int>(DumpCharacters::Macintosh);
inline constexpr int kWindows = static_cast<int>(DumpCharacters::Windows);
inline constexpr int kDos = static_cast<int>(DumpCharacters::Dos);
inline constexpr int kDecimal = 401;
inline constexpr int kHexadecimal = 402;
}  // namespace dump_cmd

// One item of FILEDUMP; command 0 is a separator.
struct DumpMenuItem {
    int command;
    std::string_view text;
};
struct DumpMenu {
    std::string_view title;
    std::span<const DumpMenuItem> items;
};
std::span<const DumpMenu> dump_menu_layout();

enum class DumpScroll { LineUp, LineDown, PageUp, PageDown, ThumbReleased, Top, Bottom };

// The keys of the window and the request each sends: Home the top, End the
// bottom, Page Up and the Up arrow a page up, Page Down and the Down arrow a
// page down.
enum class DumpKey { Home, End, PageUp, PageDown, Up, Down };
DumpScroll scroll_for_key(DumpKey key);

inline constexpr int kDumpScreenLines = 32;
inline constexpr std::uint32_t kDumpScreenBytes = kDumpScreenLines * kDumpLineBytes;

class DumpState {
public:
    // The file named exactly mac_name in the current folder, shown from its
    // data fork, or from its resource fork when the data fork is empty.
    // Null when the current folder holds no such file.
    static std::unique_ptr<DumpState> open(Context& ctx, std::string_view mac_name);

    // "Dumping file "name"", the name in the Windows character set.
    std::string title() const;

    // The 32 lines of the screen from position on.
    std::vector<std::string> screen_lines() const;

    // Moves as the scroll bar or a key asks; thumb is where the scroll bar's
    // thumb was released, in scroll_unit steps.
    void scroll(DumpScroll request, std::uint32_t thumb = 0);
    // Shows the fork from offset on (the last page for an offset at or past
    // its end), as a released thumb does.
    void move_to(std::uint32_t offset);
    // Runs a FILEDUMP command. False for "Back to Main Screen": the window
    // closes. The caller repaints after every command.
    bool run_command(int command);

    // The state of an item of FILEDUMP as the window shows it.
    bool item_enabled(int command) const;
    bool item_checked(int command) const;

    // Shows the other fork at once: from position 0, with its length and
    // scroll range, read anew.
    void show_fork(bool resource);

    bool resource_shown() const { return resource_shown_; }
    std::uint32_t fork_length() const { return fork_length_; }
    std::uint32_t position() const { return position_; }
    std::uint32_t scroll_unit() const { return scroll_unit_; }
    std::uint32_t scroll_max() const { return scroll_max_; }
    std::uint32_t thumb() const { return position_ / scroll_unit_; }
    int number_base() const { return number_base_; }
    DumpCharacters character_set() const { return character_set_; }
    const FileRecordCopy& file_record() const { return file_record_; }

    // Sectors of the fork read so far that its extents could not map (they
    // end early or point outside the volume) or the medium could not give;
    // both show as zeros.
    std::uint32_t unmapped_sectors() const { return unmapped_sectors_; }
    std::uint32_t unreadable_sectors() const { return unreadable_sectors_; }

    DumpState(Context& ctx, FileRecordCopy record);

private:
    static constexpr std::uint32_t kBufferUsed = 1536;
    static constexpr std::uint32_t kBufferSize = 2048;

    std::uint32_t physical_length(bool resource) const;
    void refill_dump_buffer();
    // The extent record of the fork shown, in file_record.
    ExtentRecordBytes fork_extents() const;
    void read_buffer_from(std::uint32_t start);
    std::uint32_t read_fork_blocks(std::uint8_t* into, std::uint32_t count, std::uint32_t start);
    std::uint32_t bottom_position() const;
    void edit_file_parameters();

    Context& ctx_;
    FileRecordCopy file_record_;
    bool resource_shown_ = false;
    std::uint32_t fork_length_ = 0;
    std::uint32_t scroll_unit_ = 128;
    std::uint32_t scroll_max_ = 0;
    std::uint32_t position_ = 0;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::uint32_t buffer_start_ = 0;
    std::uint32_t valid_end_ = 0;
    std::uint32_t offset_in_buffer_ = 0;
    int number_base_ = 10;
    DumpCharacters character_set_ = DumpCharacters::Macintosh;
    std::uint32_t unmapped_sectors_ = 0;
    std::uint32_t unreadable_sectors_ = 0;
};

// The smallest multiple of 128 by which fork_length divides (integer
// division) to at most 32,767: the bytes of one scroll-bar step.
std::uint32_t dump_scroll_unit(std::uint32_t fork_length);

}  // namespace korvane
