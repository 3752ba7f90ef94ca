#include "app/typed_names.h"

#include "util/char_tables.h"

namespace korvane {

std::optional<std::string> mac_name_of_typed(std::string_view typed) {
    while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
    std::string name = translated(typed, ansi_to_mac);
    if (name.size() != typed.size()) return std::nullopt;
    return name;
}

}  // namespace korvane
