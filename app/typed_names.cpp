#include "app/typed_names.h"

#include "app/context.h"
#include "hfs/catalog_search.h"
#include "util/char_tables.h"

namespace korvane {

std::optional<std::string> mac_name_of_typed(std::string_view typed) {
    while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
    std::string name = translated(typed, ansi_to_mac);
    if (name.size() != typed.size()) return std::nullopt;
    return name;
}

std::optional<std::string> file_named_by(Context& ctx, const std::string& typed) {
    const auto pattern = mac_name_of_typed(typed);
    const auto found = pattern ? find_entry(ctx, *pattern, kFileEntry, ctx.state.current_dir_id) : std::nullopt;
    if (!found) {
        ctx.unmatched_name = typed;
        return std::nullopt;
    }
    return std::string(found->key.name);
}

}  // namespace korvane
