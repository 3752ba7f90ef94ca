#include "app/attribute_commands.h"

#include <optional>

#include "app/browse_commands.h"
#include "app/commands.h"
#include "app/listing_view.h"
#include "app/typed_names.h"
#include "core/notices.h"
#include "hfs/catalog_search.h"
#include "hfs/fork_swap.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;
constexpr const char* kSwapFailed = "Unable to swap data and resource forks.";
constexpr const char* kSettingsTooLong = "Too many changes for one ATTRIB line: give them in several.";

void show_changed_listing(Context& ctx) {
    reload_listing(ctx);
    update_menus(ctx);
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
}

void swap_named(Context& ctx, const std::string& mac_name) {
    if (swap_forks(ctx, ctx.state.current_dir_id, mac_name) == SwapResult::Swapped) return;
    show_notice(ctx, kSwapFailed);
    ctx.outcome.failureReported = true;
}

void set_attributes(Context& ctx, const std::string& mac_name, std::string_view settings) {
    const auto file = read_file_record(ctx, ctx.state.current_dir_id, mac_name);
    if (!file) return;
    AttributesDialog dialog = attributes_dialog_for(ctx, *file);
    if (const std::string problem = apply_attribute_settings(dialog, settings); !problem.empty()) {
        show_notice(ctx, problem);
        ctx.outcome.failureReported = true;
        return;
    }
    const auto attributes = edited_attributes(ctx, dialog, *file);
    if (attributes && write_file_attributes(ctx, *file, *attributes)) reload_listing(ctx);
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string apply_setting(AttributesDialog& dialog, std::string_view field, std::string_view value) {
    if (field == "name") {
        dialog.file_name = std::string(value);
    } else if (field == "type") {
        dialog.file_type = std::string(value);
    } else if (field == "creator") {
        dialog.creator = std::string(value);
    } else if (field == "created" || field == "modified") {
        const auto date = parse_date_text(trimmed(value));
        if (!date) return "\"" + std::string(value) + "\" is not a date of the form YYYY-MM-DD HH:MM.";
        (field == "created" ? dialog.created : dialog.modified) = *date;
    } else {
        return "\"" + std::string(field) + "\" is not an attribute: name, type, creator, created or modified.";
    }
    return "";
}

}  // namespace

std::string apply_attribute_settings(AttributesDialog& dialog, std::string_view settings) {
    AttributesDialog edited = dialog;
    for (std::size_t start = 0; start <= settings.size();) {
        std::size_t end = settings.find(',', start);
        if (end == std::string_view::npos) end = settings.size();
        const std::string_view setting = settings.substr(start, end - start);
        const std::size_t equals = setting.find('=');
        if (equals == std::string_view::npos) return "\"" + std::string(setting) + "\" is not of the form field=value.";
        const std::string problem =
                apply_setting(edited, trimmed(setting.substr(0, equals)), setting.substr(equals + 1));
        if (!problem.empty()) return problem;
        start = end + 1;
    }
    dialog = edited;
    return "";
}

void edit_attributes_command(Context& ctx) {
    const auto name = first_selected_name(ctx.state);
    if (name && edit_attributes(ctx, *name)) show_changed_listing(ctx);
}

void swap_forks_command(Context& ctx) {
    if (const auto name = first_selected_name(ctx.state)) swap_named(ctx, *name);
    show_changed_listing(ctx);
}

void run_attrib_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) return post_command(ctx, cmd::kEditAttributes);
    if (!require_open_volume(ctx)) return;
    const auto name = file_named_by(ctx, command.first);
    if (!name) return;
    if (command.second.size() >= kCommandArgumentMax) {
        // The language cuts longer arguments: the end of a name or a date would be lost.
        show_notice(ctx, kSettingsTooLong);
        ctx.outcome.failureReported = true;
    } else if (command.second.empty()) {
        if (edit_attributes(ctx, *name)) show_changed_listing(ctx);
    } else {
        set_attributes(ctx, *name, command.second);
    }
}

void run_swap_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) return swap_forks_command(ctx);
    if (!require_open_volume(ctx)) return;
    const auto name = file_named_by(ctx, command.first);
    if (!name) return;
    swap_named(ctx, *name);
    show_changed_listing(ctx);
}

}  // namespace korvane
