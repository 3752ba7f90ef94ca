#pragma once
// Small in-place edits of names held as bytes in one of the PC or Macintosh
// character sets.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Removes leading blanks; true when any were removed.
bool strip_leading_spaces(std::string& text);
void trim_trailing_spaces(std::string& text);

// By byte range, not by letter: 'a'-'z' and 0xE0-0xFE go up by 0x20 (so 0xF7
// becomes 0xD7); 0xFF stays.
void to_upper_latin(std::string& text);
// 'A'-'Z' and 0xC0-0xDE go down by 0x20.
void to_lower_latin(std::string& text);

// Replaces the extension with ext (at most 3 characters, letters lower-cased):
// a last '.' among the last four characters ends the stem, otherwise a '.' is
// appended. REPORT.DOC -> REPORT.txt, A.LONGER -> A.LONGER.txt.
void set_extension(std::string& name, std::string_view ext);
// Three base-32 digits ("0"-"9", then letters) of the low 15 bits of number:
// NAME.TXT with 1055 -> NAME.10v.
void set_numbered_extension(std::string& name, std::uint16_t number);

}  // namespace korvane
