#pragma once
// Macintosh names for PC files copied onto the volume.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// The Macintosh name of a PC file named dos_name (MS-DOS character set): its
// first 31 bytes, 'A'-'Z' lower-cased from the second character on, then
// converted to the Macintosh character set (which ends it at the first
// character without an equivalent). "Untitled" when nothing is left.
std::string make_mac_name(std::string_view dos_name);

// name followed by " (007)" for number 7, the name cut so that the whole
// stays within 31 characters.
std::string with_clash_suffix(std::string_view name, std::uint32_t number);

}  // namespace korvane
