#pragma once
// Texts of the copies to the PC that go beyond the message table, and the
// filling of "%s" placeholders.

#include <string>
#include <string_view>

namespace korvane {

inline constexpr std::string_view kIncompleteCopy =
        "File %s is incomplete: part of it could not be read from the medium.";
inline constexpr std::string_view kFolderSkipped =
        "Folder %s cannot be created as a PC directory; it was not copied.";

// The template with its first "%s" replaced by first and the second by second.
std::string format_text(std::string_view text, std::string_view first, std::string_view second = {});

}  // namespace korvane
