#pragma once
// The text of the dump window: one 80-column line per 16 bytes of a fork,
// holding the line's offset, the bytes in hexadecimal in two groups of eight
// and the bytes as characters through one of three character tables.
//
//   00000016 41 42 43 00 00 00 00 00  00 00 00 00 00 00 00 00 ABC_____________
//
// Columns 0-7 the offset (decimal or lower-case hexadecimal, eight digits
// with leading zeros), 9-31 bytes 0-7 ("xx " each), 34-56 bytes 8-15, 58-73
// the characters, spaces elsewhere. The characters are in the Windows
// character set, as the window shows them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace korvane {

inline constexpr std::size_t kDumpLineBytes = 16;
inline constexpr std::size_t kDumpLineWidth = 80;

// How bytes show in the character column; the values are the commands of
// the "Fonts" menu that choose them.
enum class DumpCharacters : int {
    Macintosh = 200,  // through the Macintosh-to-Windows table: control characters as "_"
    Windows = 201,    // the byte itself
    Dos = 202,        // through the DOS-to-Windows table
};

// One line. number_base is 10 or 16 and applies to the offset only; a
// decimal offset above 99,999,999 takes the digits it needs. A character
// that the table maps to 0 leaves a space.
std::string dump_line(std::uint32_t offset, std::span<const std::uint8_t, kDumpLineBytes> bytes, int number_base,
                      DumpCharacters characters);

// A line as a screen or a terminal can show it: the characters that would
// move the cursor or have no glyph in the Windows character set (control
// characters, and the five codes it leaves undefined) become spaces.
std::string shown_dump_line(std::string line);

}  // namespace korvane
