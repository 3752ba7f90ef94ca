// The console form of "Copy PC -> Mac": on a terminal the lists are printed,
// numbered, and one line at a time browses or copies. Without a person to
// answer there is nothing to choose from, so MCOPY without a name then does
// nothing and says how to name the files instead.

#include <sstream>
#include <string>

#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "cli/console_output.h"
#include "transfer/copy_to_mac_dialog.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

constexpr const char* kPrompt =
        "numbers = Selection, a = All Files, d N = Directory N, cd N|..|\\|/drive, m MASK = Filename, "
        "Enter = Cancel/Exit: ";

std::string shown(const std::string& windows_text) { return pc_name_to_utf8(windows_text, PcCharset::Windows); }

void print_form(ConsoleHost& host, const CopyToMacDialog& dialog) {
    std::ostream& out = host.out();
    out << "Copy PC -> Mac  Path : " << shown(dialog.shown_path()) << "  Filename: " << dialog.mask() << '\n';
    const std::vector<std::string> files = dialog.shown_files();
    out << "Files  Total " << dialog.total_text() << '\n';
    for (std::size_t i = 0; i < files.size(); ++i) out << "  " << i + 1 << "  " << shown(files[i]) << '\n';
    const std::vector<std::string> directories = dialog.shown_directories();
    out << "Directories\n";
    for (std::size_t i = 0; i < directories.size(); ++i) out << "  " << i + 1 << "  " << shown(directories[i]) << '\n';
    out << "Drives";
    for (const std::string& drive : dialog.drives()) out << "  " << drive;
    out << '\n' << std::flush;
}

// A 1-based number of a list row; false when the word is not one.
bool row_number(const std::string& word, std::size_t count, std::size_t& row) {
    std::size_t number = 0;
    std::size_t used = 0;
    try {
        number = std::stoul(word, &used);
    } catch (const std::exception&) {
        return false;
    }
    if (used != word.size() || number == 0 || number > count) return false;
    row = number - 1;
    return true;
}

int change_directory(CopyToMacDialog& dialog, const std::string& where) {
    if (where == "..") return dialog.go_to_parent();
    if (where == "\\") return dialog.go_to_root();
    if (!where.empty() && where.front() == '/') return dialog.open_drive(where);
    std::size_t row = 0;
    return row_number(where, dialog.shown_directories().size(), row) ? dialog.open_directory(row) : -1;
}

// "1 3 4": the files to copy; false when a word is not a file's number.
bool select_files(CopyToMacDialog& dialog, const std::string& line) {
    std::istringstream words(line);
    std::vector<std::size_t> rows;
    for (std::string word; words >> word;) {
        std::size_t row = 0;
        if (!row_number(word, dialog.shown_files().size(), row)) return false;
        rows.push_back(row);
    }
    dialog.select_files(std::move(rows));
    return true;
}

// One answer line; true when it ran a copy.
bool copied_by(CopyToMacDialog& dialog, const std::string& line) {
    if (line == "a") return dialog.copy_all_files();
    const std::string argument = line.size() > 2 ? line.substr(line.find(' ') + 1) : std::string();
    if (line.starts_with("d ")) {
        std::size_t row = 0;
        return row_number(argument, dialog.shown_directories().size(), row) && dialog.copy_directory(row);
    }
    if (line.starts_with("cd ")) {
        change_directory(dialog, argument);
        return false;
    }
    if (line.starts_with("m ")) {
        dialog.set_mask(argument);
        return false;
    }
    return select_files(dialog, line) && dialog.copy_selection();
}

int answer_copy_to_mac(ConsoleHost& host, Dialog& dialog) {
    auto& copy = static_cast<CopyToMacDialog&>(dialog);
    if (!host.interactive()) return kDialogCancel;
    for (;;) {
        print_form(host, copy);
        std::string line;
        if (!host.ask_line(kPrompt, line) || line.empty() || line == "x") return kDialogCancel;
        if (copied_by(copy, line)) return kDialogOk;
    }
}

const RegisterConsoleDialog kCopyToMac("DLG_MCOP", answer_copy_to_mac);

}  // namespace

void add_console_mcopy_handler(CommandHandlers& handlers, ConsoleHost& host) {
    const CommandHandler* found = handlers.find(CommandCode::MCopy);
    if (found == nullptr) return;
    handlers.add(CommandCode::MCopy, [&host, copy = *found](Context& ctx, const ParsedCommand& command) {
        if (command.first.empty() && !host.interactive()) {
            host.say("MCOPY without a name needs a terminal to choose the files; name them: MCOPY name-or-pattern");
            ctx.outcome.failureReported = true;
            return;
        }
        copy(ctx, command);
    });
}

}  // namespace korvane
