#include "app/dir_command.h"

#include <algorithm>

#include "app/browse_commands.h"
#include "app/device_commands.h"
#include "app/menu_state.h"
#include "app/typed_names.h"
#include "core/messages.h"
#include "util/char_tables.h"
#include "util/pc_names.h"
#include "util/strings.h"
#include "volume/directory_navigation.h"
#include "volume/listing_header.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

// A text in the Windows character set as a printable UTF-8 line without trailing blanks.
std::string printable(std::string text) {
    std::replace(text.begin(), text.end(), '\0', ' ');
    trim_trailing_spaces(text);
    return pc_name_to_utf8(text, PcCharset::Windows);
}

std::string entry_line(const ListingEntry& entry) {
    std::string name = translated(entry.name(), mac_to_ansi);
    return pc_name_to_utf8(name, PcCharset::Windows) + "\t" + printable(std::string(entry.display_text()));
}

}  // namespace

void run_dir_command(Context& ctx, const ParsedCommand& command) {
    ctx.menus.set_checked(cmd::kExtendedListing, (ctx.state.option_flags & kListingExtended) != 0);
    if (!require_open_volume(ctx)) return;
    if (command.first.empty()) {
        reload_listing(ctx);
        return;
    }
    // A pattern the catalog's character set cannot hold matches nothing.
    const bool typeable = mac_name_of_typed(command.first).has_value();
    reload_listing(ctx, typeable ? std::string_view(command.first) : std::string_view());
    if (!typeable) ctx.state.entries.clear();
    if (ctx.state.entries.empty() && volume_is_open(ctx)) ctx.unmatched_name = command.first;
}

void run_cd_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) {
        post_command(ctx, cmd::kChangeDirectory);
        return;
    }
    if (!require_open_volume(ctx)) return;
    const std::optional<std::string> name = mac_name_of_typed(command.first);
    if (!name || !change_directory(ctx, *name)) ctx.unmatched_name = command.first;
    reload_listing(ctx);
}

void run_cd_parent_command(Context& ctx, const ParsedCommand&) {
    if (!require_open_volume(ctx)) return;
    change_to_parent(ctx);
    reload_listing(ctx);
}

void run_cd_root_command(Context& ctx, const ParsedCommand&) {
    if (!require_open_volume(ctx)) return;
    change_to_root(ctx);
    reload_listing(ctx);
}

void run_log_command(Context& ctx, const ParsedCommand&) { post_command(ctx, cmd::kSelectDrive); }

void add_browse_command_handlers(CommandHandlers& handlers) {
    handlers.add(CommandCode::Dir, run_dir_command);
    handlers.add(CommandCode::Cd, run_cd_command);
    handlers.add(CommandCode::CdParent, run_cd_parent_command);
    handlers.add(CommandCode::CdRoot, run_cd_root_command);
    handlers.add(CommandCode::Log, run_log_command);
}

std::vector<std::string> listing_text_lines(const Context& ctx) {
    std::vector<std::string> lines;
    if (!volume_is_open(ctx)) return lines;
    const ListingHeader header = listing_header(ctx);
    for (const std::string* text : {&header.free, &header.used, &header.volume, &header.directory}) {
        lines.push_back(printable(*text));
    }
    if (ctx.state.entries.empty()) lines.push_back(std::string(message(Msg::kNoFile)));
    for (const ListingEntry& entry : ctx.state.entries) lines.push_back(entry_line(entry));
    return lines;
}

}  // namespace korvane
