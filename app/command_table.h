#pragma once
// Every command of Korvane in one table: the menu item (its number, 101-142)
// and the keyword of the command language that reach it, whether it writes to
// the medium (the write guard then runs before it, whichever way it came) and
// whether it needs an open volume. The menu dispatch (app/commands.h) and the
// command language (app/command_line.h) both read it; each binds its own
// handlers to the rows.

#include <span>
#include <string_view>

namespace korvane {

// The codes of the command language's keywords.
enum class CommandCode : int {
    None = 0,
    Copy = 1,
    Cd = 2,
    CdParent = 3,
    CdRoot = 4,
    Dir = 5,
    Help = 6,
    Quit = 7,
    Type = 8,
    Cls = 9,
    Log = 10,
    Format = 11,
    Rename = 12,
    Label = 13,
    Delete = 14,
    MCopy = 15,
    Md = 16,
    Attrib = 17,
    Options = 18,
    Verify = 19,
    Next = 20,
    Lock = 21,
    Unlock = 22,
    Mode = 23,
    Rep = 24,
    Info = 25,
    Swap = 26,
    Check = 27,
    Dump = 28,
    Rescue = 29,  // Korvane's own: the rescue scan into the current PC directory
    Undo = 30,
};

// What a row's command is like.
namespace command_trait {
inline constexpr unsigned kWrites = 1;       // writes to the medium: the write guard runs first
inline constexpr unsigned kNeedsVolume = 2;  // has nothing to work on without an open volume
inline constexpr unsigned kDoesNothing = 4;  // accepted so that old scripts keep running
}  // namespace command_trait

struct CommandRow {
    CommandCode code;          // None for the rows that only the menus reach
    std::string_view keyword;  // as the language spells it; "" for rows of the menus only
    int menu_command;          // 0 for keywords that no menu item stands for
    unsigned traits;

    bool writes() const { return (traits & command_trait::kWrites) != 0; }
    bool needs_volume() const { return (traits & command_trait::kNeedsVolume) != 0; }
    bool does_nothing() const { return (traits & command_trait::kDoesNothing) != 0; }
};

// The whole table, keywords first in the order in which abbreviations are
// resolved.
std::span<const CommandRow> command_table();

// The first row, in table order, whose keyword begins with the word
// (compared in upper case): "C" is COPY, "D" DIR, "RE" RENAME. Null when none.
const CommandRow* row_for_keyword(std::string_view word);
// The first row of a keyword code; null for None.
const CommandRow* row_for_code(CommandCode code);
// The row of a menu item; null for numbers no item has.
const CommandRow* row_for_menu_command(int command);

}  // namespace korvane
