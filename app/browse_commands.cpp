#include "app/browse_commands.h"

#include <string>

#include "app/listing_view.h"
#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "device/device_dialog.h"
#include "device/same_drive_dialog.h"
#include "hfs/catalog_records.h"
#include "hfs/current_directory.h"
#include "util/char_tables.h"
#include "volume/brute_force.h"
#include "volume/directory_navigation.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;

void repaint_all(Context& ctx) {
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
}

// After a move: the new directory's listing, the menus, the whole window.
void show_new_directory(Context& ctx) {
    reload_listing(ctx);
    update_menus(ctx);
    repaint_all(ctx);
}

void enter_folder(Context& ctx, std::size_t index) {
    const std::string name = entry_name(ctx.state, index);
    deselect_all(ctx.state);
    change_directory(ctx, name);
    show_new_directory(ctx);
}

}  // namespace

bool volume_is_open(const Context& ctx) {
    return ctx.state.target_id != kNoDrive && ctx.state.volume_start > 0 && ctx.catalogTree.is_open();
}

void reload_listing(Context& ctx, std::string_view pc_pattern) {
    ctx.state.first_shown = 0;
    ctx.state.end_shown = 0;
    if (ctx.catalogTree.is_open()) {
        load_listing(ctx, pc_pattern);
    } else {
        ctx.state.entries.clear();
    }
}

void change_directory_command(Context& ctx) {
    const int folder = first_selected_folder(ctx.state, -1);
    if (folder < 0) {
        set_status(ctx, message(Msg::kNoSelectionToCopy).data(), nullptr);
        ctx.outcome.failureReported = true;
        return;
    }
    enter_folder(ctx, static_cast<std::size_t>(folder));
}

void enter_folder_at(Context& ctx, std::size_t index) {
    if (index >= ctx.state.entries.size() || !is_folder(ctx.state, index)) return;
    enter_folder(ctx, index);
}

void return_to_root_command(Context& ctx) {
    if (!volume_is_open(ctx) || ctx.state.current_dir_id <= kRootDirectoryID) return;
    deselect_all(ctx.state);
    change_to_root(ctx);
    show_new_directory(ctx);
}

void return_to_parent_command(Context& ctx) {
    if (!volume_is_open(ctx) || ctx.state.current_dir_id <= kRootDirectoryID) return;
    deselect_all(ctx.state);
    change_to_parent(ctx);
    show_new_directory(ctx);
}

void brute_force_command(Context& ctx) {
    AppState& state = ctx.state;
    const int answer = state.target_id != kNoDrive ? same_drive_question(ctx) : kRescanBus;
    if (answer == kSameDriveCancel) return;
    if (answer == kRescanBus) select_device_dialog(ctx);
    if (state.target_id == kNoDrive) return;
    const std::int32_t found = brute_force_search(ctx);
    state.volume_start = found;
    if (found <= 0) {
        show_notice(ctx, std::string(message(Msg::kNoVolumeHeader)));
        ctx.outcome.failureReported = true;
        return;
    }
    open_found_volume(ctx, found);
    reload_listing(ctx);
    repaint_all(ctx);
    update_menus(ctx);
}

}  // namespace korvane
