#include "app/folder_commands.h"

#include <functional>

#include "app/browse_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/typed_names.h"
#include "core/messages.h"
#include "core/notices.h"
#include "hfs/catalog_records.h"
#include "hfs/folder_edit.h"
#include "hfs/name_dialogs.h"
#include "hfs/volume.h"
#include "hfs/write_back.h"
#include "util/char_tables.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

// Runs change as one modification of the volume. A change that failed has
// dropped everything and said so; one that found nothing changed nothing.
FolderEditEnd modify(Context& ctx, const std::function<FolderEditEnd()>& change) {
    if (!require_open_volume(ctx) || !start_modification(ctx)) return FolderEditEnd::Failed;
    const FolderEditEnd end = change();
    if (end == FolderEditEnd::Failed) {
        ctx.outcome.failureReported = true;
        if (ctx.volume.modifying) discard_changes(ctx);
        return end;
    }
    if (!write_back(ctx)) return FolderEditEnd::Failed;
    return end;
}

// The listing after a change, and the items that depend on its selection.
void reload(Context& ctx) {
    reload_listing(ctx);
    update_menus(ctx);
}

FolderEditEnd done_if(bool succeeded) { return succeeded ? FolderEditEnd::Done : FolderEditEnd::Failed; }

// The typed name as the catalog holds names; said and counted when it cannot be.
std::optional<std::string> typed_mac_name(Context& ctx, std::string_view typed) {
    auto name = mac_name_of_typed(typed);
    if (!name) {
        // ':' has no Macintosh equivalent in names: say so rather than "a character".
        const bool colon = typed.find(':') != std::string_view::npos;
        show_notice(ctx, colon ? *name_problem(typed, kMaxNameLength) : std::string(kUntypeableName));
        ctx.outcome.failureReported = true;
    }
    return name;
}

void note_unmatched(Context& ctx, FolderEditEnd end, const std::string& typed) {
    if (end == FolderEditEnd::NotFound) ctx.unmatched_name = typed;
}

bool ask_rename(Context& ctx, Msg title, RenameDialog& dialog, std::string old_name) {
    dialog.title = std::string(message(title));
    dialog.old_name = old_name;
    dialog.new_name = old_name;
    return ctx.host.run_dialog(dialog) == kDialogOk;
}

void label_volume(Context& ctx, const std::string& typed) {
    modify(ctx, [&] { return done_if(set_volume_label(ctx, typed)); });
    reload(ctx);
}

void make_folder(Context& ctx, const std::string& typed) {
    modify(ctx, [&] { return done_if(make_directory(ctx, typed)); });
    reload(ctx);
}

void run_md_command(Context& ctx, const ParsedCommand& command) { make_folder(ctx, command.first); }

void run_delete_command(Context& ctx, const ParsedCommand& command) {
    const auto pattern = command.first.empty() ? std::optional<std::string>() : typed_mac_name(ctx, command.first);
    if (pattern) note_unmatched(ctx, modify(ctx, [&] { return delete_entries(ctx, *pattern); }), command.first);
    reload(ctx);
}

// Each selected entry in listing order through "Rename file or folder".
// The menu's Cancel ends the loop; the command line's skips the entry.
void rename_selection(Context& ctx, bool cancel_ends) {
    AppState& state = ctx.state;
    if (!require_open_volume(ctx)) return;
    if (count_selected(state) == 0) {
        show_notice(ctx, std::string(message(Msg::kNoSelectionToCopy)));
        return;
    }
    modify(ctx, [&] {
        for (int index; (index = take_first_selected(state)) >= 0;) {
            const std::string name(state.entries[static_cast<std::size_t>(index)].name());
            RenameDialog dialog;
            if (!ask_rename(ctx, Msg::kRenameTitle, dialog, translated(name, mac_to_ansi))) {
                if (cancel_ends) break;
                continue;
            }
            const auto new_name = typed_mac_name(ctx, dialog.new_name);
            if (!new_name) return FolderEditEnd::Failed;
            if (rename_named_entry(ctx, name, *new_name) == FolderEditEnd::Failed) return FolderEditEnd::Failed;
        }
        return FolderEditEnd::Done;
    });
    deselect_all(state);
    reload(ctx);
}

void run_rename_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty() || command.second.empty()) {
        rename_selection(ctx, false);
        return;
    }
    const auto old_pattern = typed_mac_name(ctx, command.first);
    const auto new_pattern = old_pattern ? typed_mac_name(ctx, command.second) : std::nullopt;
    if (new_pattern) {
        note_unmatched(ctx, modify(ctx, [&] { return rename_entries(ctx, *old_pattern, *new_pattern); }),
                       command.first);
    }
    reload(ctx);
}

void run_label_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) {
        post_command(ctx, cmd::kRenameVolume);
        return;
    }
    label_volume(ctx, command.first);
}

}  // namespace

void rename_volume_command(Context& ctx) {
    if (!require_open_volume(ctx)) return;
    RenameDialog dialog;
    if (!ask_rename(ctx, Msg::kRenameVolumeTitle, dialog, translated(ctx.mdb.volume_name(), mac_to_ansi))) return;
    label_volume(ctx, dialog.new_name);
}

void make_directory_command(Context& ctx) {
    if (!require_open_volume(ctx)) return;
    NewDirectoryDialog dialog;
    if (ctx.host.run_dialog(dialog) != kDialogOk) return;
    make_folder(ctx, dialog.folder_name);
}

void delete_selection_command(Context& ctx) {
    AppState& state = ctx.state;
    const std::size_t selected = count_selected(state);
    if (selected == 0 || !require_open_volume(ctx)) return;
    if (selected > 1 && !ctx.host.ask_ok_cancel(std::string(message(Msg::kDeleteSeveral)))) return;
    modify(ctx, [&] {
        for (int index; (index = take_first_selected(state)) >= 0;) {
            ctx.host.busy_tick();
            const std::string name(state.entries[static_cast<std::size_t>(index)].name());
            const FolderEditEnd end = delete_named_entry(ctx, name);
            if (end == FolderEditEnd::Failed || end == FolderEditEnd::Cancelled) return end;
        }
        return FolderEditEnd::Done;
    });
    reload(ctx);
}

void rename_selection_command(Context& ctx) { rename_selection(ctx, true); }

void add_folder_command_handlers(CommandHandlers& handlers) {
    handlers.add(CommandCode::Md, run_md_command);
    handlers.add(CommandCode::Delete, run_delete_command);
    handlers.add(CommandCode::Rename, run_rename_command);
    handlers.add(CommandCode::Label, run_label_command);
}

}  // namespace korvane
