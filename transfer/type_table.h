#pragma once
// The table that pairs PC extensions with Macintosh type and creator codes:
// 40 built-in rows (15 of them free), extended once per run by the optional
// database file VLCREAT.DAT in the current directory.

#include <array>
#include <string>
#include <string_view>

namespace korvane {

struct TypeRow {
    std::string extension;     // up to 3 characters; blank or empty = free row
    std::string type_creator;  // 8 characters: type, then creator
};

inline constexpr std::size_t kTypeRows = 40;
using TypeTable = std::array<TypeRow, kTypeRows>;

TypeTable builtin_type_table();

// The extension of the first row matching all 8 characters, else the 4 of
// the type, else the first 2 of the type; "TXT" without a match.
std::string extension_for_type(const TypeTable& table, std::string_view type_creator);

// The type and creator of the first row whose extension equals the path's
// (at most 3 characters after the last '.', upper-cased); "TEXT????" otherwise.
std::string type_for_extension(const TypeTable& table, std::string_view path);

// Applies one line of VLCREAT.DAT to the table. Returns false when the line
// is a definition that found no row (the caller beeps); comments and blank
// lines return true and change nothing.
bool apply_type_database_line(TypeTable& table, std::string_view line);

}  // namespace korvane
