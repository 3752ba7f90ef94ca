#include "volume/directory_navigation.h"

#include <string>

#include "util/byte_order.h"
#include "hfs/catalog_records.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"

namespace korvane {
namespace {

void writeLog(HfsContext& ctx, const std::string& line) {
    if (ctx.log.is_open()) ctx.log.write(line);
}

// The current_path text without the blanks that fill its field.
std::string pathName(const AppState& state) {
    std::string name = state.current_path;
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

}  // namespace

bool changeDirectory(HfsContext& ctx, std::string_view macName) {
    const auto found = findEntry(ctx, macName, kDirectoryEntry, ctx.state.current_dir_id);
    if (!found || found->data.size() < dirrec::dirID + 4) return false;
    const std::uint32_t dirID = loadBE32(found->data.data() + dirrec::dirID);
    const std::string name(found->key.name);
    // A directory without its thread could not be left again: do not enter it.
    if (!findEntry(ctx, "*", kDirectoryThread, dirID)) return false;
    if (!enterDirectory(ctx, ctx.state.current_dir_id, name)) return false;
    writeLog(ctx, "*cd " + pathName(ctx.state) + "\r\n");
    return true;
}

bool changeToParent(HfsContext& ctx) {
    const auto thread = findEntry(ctx, "*", kDirectoryThread, ctx.state.current_parent_id);
    if (!thread || thread->data.size() < thdrec::name + 1) return false;
    const std::uint32_t grandparent = loadBE32(thread->data.data() + thdrec::parentID);
    const std::string name(threadName(thread->data));
    if (!enterDirectory(ctx, grandparent, name)) return false;
    writeLog(ctx, "*cd..\n");
    return true;
}

bool changeToRoot(HfsContext& ctx) {
    if (!enterDirectory(ctx, kRootParentID, "*")) return false;
    writeLog(ctx, "*cd\\\n");
    return true;
}

}  // namespace korvane
