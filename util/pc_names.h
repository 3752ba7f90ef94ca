#pragma once
// Names of PC files at the file-system boundary. Linux names are UTF-8; the
// engine holds PC names in the Windows character set (Windows-1252) or, for
// directory search results shown MS-DOS style, code page 437, so that every
// character table applies unchanged. A name read from a directory keeps its
// real UTF-8 form for every later file-system call: only shown names and
// names turned into Macintosh names go through these conversions.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

enum class PcCharset {
    Windows,  // Windows-1252
    Dos,      // code page 437
};

// Stands for a character the PC character set cannot hold.
inline constexpr char kUnmappedPcChar = '_';

// The Unicode character of one byte of the character set.
char32_t pc_char_to_unicode(std::uint8_t byte, PcCharset charset);

// Every byte has a character, so this never fails and round-trips exactly.
std::string pc_name_to_utf8(std::string_view name, PcCharset charset);

struct PcName {
    std::string name;
    // False when some character (or a malformed UTF-8 byte) had no byte in
    // the character set and became kUnmappedPcChar.
    bool exact = true;
};
PcName pc_name_from_utf8(std::string_view utf8, PcCharset charset);

}  // namespace korvane
