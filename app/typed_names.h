#pragma once
// Names and patterns typed in the command language, on their way to the
// catalog. The language holds them in the Windows character set; the catalog
// in the Macintosh one.

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

struct Context;

// The typed name as the catalog holds names: trailing blanks removed, then
// each character through ansi_to_mac. Nothing when a character has no
// Macintosh equivalent: such a name names no entry. (The table would end the
// name there, and "Docs:Old" would become "Docs"; a ':' is never a path
// separator here.)
std::optional<std::string> mac_name_of_typed(std::string_view typed);

// The exact name of the first file of the current folder that the typed
// name (a pattern) matches; nothing, the name noted as unmatched, when none
// does.
std::optional<std::string> file_named_by(Context& ctx, const std::string& typed);

}  // namespace korvane
