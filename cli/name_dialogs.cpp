// The console forms of the dialogs that ask for a name. A terminal is asked;
// without one, --yes keeps the name the dialog offers and anything else
// cancels, since nobody can type the new name.

#include <string>

#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "hfs/name_dialogs.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

// Asks for a name offered as offered; false for Cancel.
bool ask_name(ConsoleHost& host, const std::string& prompt, std::string& name) {
    if (!host.interactive()) return host.options().answers == AnswerMode::AlwaysYes;
    // The terminal speaks UTF-8; the dialogs' texts are in the Windows character set.
    std::string line;
    const std::string shown = prompt + " (Enter keeps \"" + name + "\", \"-\" cancels): ";
    if (!host.ask_line(pc_name_to_utf8(shown, PcCharset::Windows), line) || line == "-") return false;
    if (!line.empty()) name = pc_name_from_utf8(line, PcCharset::Windows).name;
    return true;
}

int answer_rename(ConsoleHost& host, Dialog& dialog) {
    auto& rename = static_cast<RenameDialog&>(dialog);
    return ask_name(host, rename.title + ": " + rename.old_name + ", new name", rename.new_name) ? kDialogOk
                                                                                                 : kDialogCancel;
}

int answer_new_directory(ConsoleHost& host, Dialog& dialog) {
    auto& folder = static_cast<NewDirectoryDialog&>(dialog);
    return ask_name(host, folder.title + ": Directory Name:", folder.folder_name) ? kDialogOk : kDialogCancel;
}

const RegisterConsoleDialog kRename("DLG_REN", answer_rename);
const RegisterConsoleDialog kNewDirectory("DLG_NOUV", answer_new_directory);

}  // namespace
}  // namespace korvane
