// The console forms of "Formatting", "Data medium to format" and "Rescue
// Scanning", and the printed results of VERIFY and RESCUE. Formatting
// destroys a medium, so without a person to confirm it (a terminal) only
// --yes lets it run.

#include "cli/maintenance_dialogs.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "app/maintenance_commands.h"
#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "core/messages.h"
#include "util/pc_names.h"
#include "volume/format_dialogs.h"
#include "volume/rescue_dialog.h"

namespace korvane {
namespace {

constexpr const char* kFormatNeedsConsent =
        "FORMAT destroys the medium: give --yes, or answer on a terminal. Nothing was written.";

std::string shown(const std::string& windows_text) { return pc_name_to_utf8(windows_text, PcCharset::Windows); }

int answer_formatting(ConsoleHost& host, Dialog& dialog) {
    auto& form = static_cast<FormattingDialog&>(dialog);
    if (!host.options().driver_from.empty()) form.driver_image = host.options().driver_from;
    switch (host.options().answers) {
        case AnswerMode::AlwaysYes:
            return kDialogOk;
        case AnswerMode::AlwaysNo:
            return kDialogCancel;
        case AnswerMode::AskTerminal:
            break;
    }
    if (!host.interactive()) {
        host.say(kFormatNeedsConsent);
        return kDialogCancel;
    }
    host.err() << FormattingDialog::kTitle << ": Caution !!! All data will be destroyed.\n";
    std::string line;
    if (!host.ask_line(
                std::string(FormattingDialog::kNameLabel) + " [" + shown(form.volume_name) + "] (Enter keeps it): ",
                line))
        return kDialogCancel;
    if (!line.empty()) form.volume_name = pc_name_from_utf8(line, PcCharset::Windows).name;
    const std::string question = "Format the medium as \"" + shown(form.accepted_name()) + "\"" +
                                 (form.bare ? " (bare HFS volume)" : "") + "?";
    return host.ask(question, "yn", 'n') == 'y' ? kDialogOk : kDialogCancel;
}

int answer_capacity(ConsoleHost& host, Dialog& dialog) {
    auto& sizes = static_cast<CapacityDialog&>(dialog);
    if (!host.interactive()) return kDialogCancel;
    host.err() << CapacityDialog::kTitle << ":\n";
    for (std::size_t i = 0; i < CapacityDialog::sizes().size(); ++i) {
        const MediumSize& size = CapacityDialog::sizes()[i];
        host.err() << "  " << i + 1 << "  " << size.button << "  (" << size.group << ")\n";
    }
    std::string line;
    if (!host.ask_line("Size (empty line cancels): ", line) || line.empty()) return kDialogCancel;
    try {
        const std::size_t row = std::stoul(line);
        if (row >= 1 && row <= CapacityDialog::sizes().size()) sizes.chosen = row - 1;
    } catch (const std::exception&) {
    }
    return kDialogOk;
}

// The console has no form to leave open: Start is pressed once.
int answer_rescue(ConsoleHost&, Dialog& dialog) {
    static_cast<RescueDialog&>(dialog).start();
    return kDialogCancel;
}

const RegisterConsoleDialog kFormatting("DLG_FORM", answer_formatting);
const RegisterConsoleDialog kCapacity("DLG_CAPA", answer_capacity);
const RegisterConsoleDialog kRescue("DLG_RECUP", answer_rescue);

}  // namespace

void add_console_maintenance_handlers(CommandHandlers& handlers, ConsoleHost& host) {
    handlers.add(CommandCode::Verify, [&host](Context& ctx, const ParsedCommand&) {
        for (const VerifiedBlock& block : verify_selected_drive(ctx).errors) {
            char text[160];
            std::snprintf(text, sizeof text, "Error in block of %lu sectors beginning at %lu.",
                          static_cast<unsigned long>(block.count), static_cast<unsigned long>(block.first));
            host.out() << text << '\n';
        }
    });
    handlers.add(CommandCode::Rescue, [&host](Context& ctx, const ParsedCommand&) {
        rescue_selected_drive(ctx, [&host](const RescueProgress& progress) {
            host.out() << shown(progress.file) << '\t' << progress.pcFile << '\n';
        });
    });
}

}  // namespace korvane
