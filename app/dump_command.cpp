#include "app/dump_command.h"

#include "app/browse_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/typed_names.h"
#include "core/notices.h"
#include "util/char_tables.h"
#include "volume/open_volume.h"

namespace korvane {
namespace {

constexpr int kRepaintAll = 255;
constexpr const char* kDumpNeedsName = "DUMP needs the name of a file: DUMP name [/R] [/H].";

// The window's choices that DUMP's switches make.
void apply_dump_switches(DumpState& dump, const ParsedCommand& command) {
    // /R asks for the resource fork even when it is empty: the data fork is not what was asked.
    if (command.switches.find('R') != std::string::npos && !dump.resource_shown()) dump.show_fork(true);
    if (command.switches.find('H') != std::string::npos) dump.run_command(dump_cmd::kHexadecimal);
}

void open_dump_window(Context& ctx, DumpState& dump) {
    DumpWindowDialog window(dump);
    ctx.host.run_dialog(window);
    set_status(ctx, nullptr, nullptr);
    reload_listing(ctx);
    update_menus(ctx);
    settle_screen(ctx);
    ctx.host.invalidate_listing(kRepaintAll);
}

// The dump of the first file that the typed name matches; null (the name
// noted as unmatched) when there is none.
std::unique_ptr<DumpState> dump_named_by(Context& ctx, const ParsedCommand& command) {
    if (!require_open_volume(ctx)) return nullptr;
    const auto name = file_named_by(ctx, command.first);
    if (!name) return nullptr;
    auto dump = DumpState::open(ctx, *name);
    if (dump) apply_dump_switches(*dump, command);
    return dump;
}

void report_incomplete_read(Context& ctx, const DumpState& dump) {
    const std::string name = "\"" + translated(dump.file_record().name, mac_to_ansi) + "\"";
    if (dump.unmapped_sectors() > 0) {
        show_notice(ctx, "The extents of " + name + " end before the fork does: the dump stops there.");
        ctx.outcome.failureReported = true;
    }
    if (dump.unreadable_sectors() > 0) {
        show_notice(ctx, "Sectors of " + name + " could not be read: they show as zeros.");
        ctx.outcome.failureReported = true;
    }
}

}  // namespace

void dump_content_command(Context& ctx) {
    const auto name = first_selected_name(ctx.state);
    if (!name) return;
    // A folder, or a name no longer in the catalog: the window closes at once.
    if (auto dump = DumpState::open(ctx, *name)) open_dump_window(ctx, *dump);
}

void run_dump_command(Context& ctx, const ParsedCommand& command) {
    if (command.first.empty()) return dump_content_command(ctx);
    if (auto dump = dump_named_by(ctx, command)) open_dump_window(ctx, *dump);
}

void print_dump_command(Context& ctx, const ParsedCommand& command,
                        const std::function<void(const std::string&)>& print_line) {
    if (command.first.empty()) {
        show_notice(ctx, kDumpNeedsName);
        ctx.outcome.failureReported = true;
        return;
    }
    auto dump = dump_named_by(ctx, command);
    if (!dump) return;
    for (std::uint32_t page = 0; page < dump->fork_length(); page += kDumpScreenBytes) {
        dump->move_to(page);
        const std::vector<std::string> lines = dump->screen_lines();
        for (std::uint32_t i = 0; i < lines.size() && page + kDumpLineBytes * i < dump->fork_length(); ++i)
            print_line(lines[i]);
        // A damaged record may claim gigabytes that no extent holds: nothing further can be read.
        if (dump->unmapped_sectors() > 0) break;
    }
    report_incomplete_read(ctx, *dump);
}

}  // namespace korvane
