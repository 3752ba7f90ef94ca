// The console forms of the copy dialogs. In korvane-cmd the destination is
// always the current PC directory (--pc-dir), so "Target Directory" accepts
// it at once; the naming mode, the port and the names asked on the fly are
// asked on a terminal and keep their values when nobody can answer.

#include <string>

#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "transfer/output_port.h"
#include "transfer/transfer_dialogs.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

int answer_destination(ConsoleHost&, Dialog&) { return kDialogOk; }

int answer_dos_name(ConsoleHost& host, Dialog& dialog) {
    auto& naming = static_cast<DosNameDialog&>(dialog);
    if (host.options().answers == AnswerMode::AlwaysYes) return kDialogOk;
    // The terminal speaks UTF-8; the dialog's texts are in the Windows character set.
    std::string line;
    const std::string prompt = naming.title + ": " + naming.old_name + " (Enter keeps it, \"-\" skips the file): ";
    if (!host.ask_line(pc_name_to_utf8(prompt, PcCharset::Windows), line)) return kDialogCancel;
    if (line == "-") return kDialogCancel;
    if (!line.empty()) naming.new_name = pc_name_from_utf8(line, PcCharset::Windows).name;
    return kDialogOk;
}

int answer_naming_options(ConsoleHost& host, Dialog& dialog) {
    auto& options = static_cast<NamingOptionsDialog&>(dialog);
    constexpr std::string_view kChoices = "lsr";
    const char current = kChoices[static_cast<std::size_t>(options.mode()) % kChoices.size()];
    if (!host.interactive()) return kDialogCancel;
    char choice = host.ask("Filenaming convention: l = Long file names, s = Short file names, r = Renaming on the fly",
                           kChoices, current);
    options.choose(static_cast<int>(kChoices.find(choice)));
    return kDialogOk;
}

int answer_output_ports(ConsoleHost& host, Dialog& dialog) {
    auto& ports = static_cast<OutputPortsDialog&>(dialog);
    if (!host.interactive()) return kDialogCancel;
    constexpr std::string_view kChoices = "f1234567";
    char choice = host.ask("Output port: f = File, 1-3 = LPT1-LPT3, 4-7 = COM1-COM4", kChoices,
                           kChoices[static_cast<std::size_t>(ports.port())]);
    ports.choose(static_cast<int>(kChoices.find(choice)));
    return kDialogOk;
}

const RegisterConsoleDialog kDestination("DLG_DEST", answer_destination);
const RegisterConsoleDialog kDosName("DLG_NOMD", answer_dos_name);
const RegisterConsoleDialog kNamingOptions("DLG_OPT", answer_naming_options);
const RegisterConsoleDialog kOutputPorts("DLG_PORT", answer_output_ports);

}  // namespace
}  // namespace korvane
