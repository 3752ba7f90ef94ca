#include "volume/directory_navigation.h"

#include <string>

#include "hfs/catalog_records.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

void write_log(HfsContext& ctx, const std::string& line) {
    if (ctx.log.is_open()) ctx.log.write(line);
}

// The current_path text without the blanks that fill its field.
std::string path_name(const AppState& state) {
    std::string name = state.current_path;
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

}  // namespace

bool change_directory(HfsContext& ctx, std::string_view mac_name) {
    const auto found = find_entry(ctx, mac_name, kDirectoryEntry, ctx.state.current_dir_id);
    if (!found || found->data.size() < dirrec::dir_id + 4) return false;
    const std::uint32_t dir_id = load_be32(found->data.data() + dirrec::dir_id);
    const std::string name(found->key.name);
    // A directory without its thread could not be left again: do not enter it.
    if (!find_entry(ctx, "*", kDirectoryThread, dir_id)) return false;
    if (!enter_directory(ctx, ctx.state.current_dir_id, name)) return false;
    write_log(ctx, "*cd " + path_name(ctx.state) + "\r\n");
    return true;
}

bool change_to_parent(HfsContext& ctx) {
    const auto thread = find_entry(ctx, "*", kDirectoryThread, ctx.state.current_parent_id);
    if (!thread || thread->data.size() < thdrec::name + 1) return false;
    const std::uint32_t grandparent = load_be32(thread->data.data() + thdrec::parentID);
    const std::string name(thread_name(thread->data));
    if (!enter_directory(ctx, grandparent, name)) return false;
    write_log(ctx, "*cd..\n");
    return true;
}

bool change_to_root(HfsContext& ctx) {
    if (!enter_directory(ctx, kRootParentID, "*")) return false;
    write_log(ctx, "*cd\\\n");
    return true;
}

}  // namespace korvane
