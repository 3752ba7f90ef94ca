#pragma once
// The six character tables between the Macintosh character set (Mac Roman),
// the Windows character set (Windows-1252) and the MS-DOS character set
// (code page 437). Each maps a source byte to a target byte; 0 means the
// character has no equivalent and ends a translated text there.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

using CharTable = std::array<std::uint8_t, 256>;

extern const CharTable mac_to_ansi;        // names shown, logged or made long PC names
extern const CharTable mac_to_short_name;  // upper-case MS-DOS short-name characters
extern const CharTable ansi_to_mac;        // names typed or chosen on the PC side
extern const CharTable ansi_to_oem;        // PC file patterns before a directory search
extern const CharTable oem_to_mac;         // PC file names that become Macintosh names
extern const CharTable oem_to_ansi;        // PC names shown; PC folder names on their way

// Translates text in place through table; the first character without an
// equivalent (a 0 entry) ends the text.
void translate_chars(std::string& text, const CharTable& table);

// Translated copy of text.
std::string translated(std::string_view text, const CharTable& table);

}  // namespace korvane
