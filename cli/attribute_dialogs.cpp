// The console forms of "File Attributes" and "For spelunking fans...": the
// fields printed on standard output, one per line, in UTF-8. On a terminal
// the attributes may then be changed with a line of field=value settings;
// without one, nothing changes.

#include <ostream>

#include "app/attribute_commands.h"
#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

constexpr const char* kChangesPrompt =
        "Changes (name=, type=, creator=, created=, modified= YYYY-MM-DD HH:MM, separated by \",\"; "
        "\"advanced\" shows the details; Enter quits): ";

void print_lines(ConsoleHost& host, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) host.out() << pc_name_to_utf8(line, PcCharset::Windows) << '\n';
    host.out() << std::flush;
}

int print_spelunking(ConsoleHost& host, Dialog& dialog) {
    const auto& details = static_cast<SpelunkingDialog&>(dialog);
    print_lines(host, {"Filename: " + details.file_name, "File #: " + details.file_number,
                       "Data extents: " + details.data_extents, "Ressource extents: " + details.resource_extents});
    return kDialogOk;
}

int answer_attributes(ConsoleHost& host, Dialog& dialog) {
    auto& attributes = static_cast<AttributesDialog&>(dialog);
    print_lines(host, attributes.lines());
    for (std::string line; host.ask_line(kChangesPrompt, line) && !line.empty();) {
        if (line == "advanced") {
            print_spelunking(host, attributes.advanced);
            continue;
        }
        const std::string problem =
                apply_attribute_settings(attributes, pc_name_from_utf8(line, PcCharset::Windows).name);
        if (problem.empty()) return kDialogOk;
        host.say(pc_name_to_utf8(problem, PcCharset::Windows));
    }
    return kDialogCancel;
}

const RegisterConsoleDialog kAttributes("DLG_ATTR", answer_attributes);
const RegisterConsoleDialog kSpelunking("DLG_ATT2", print_spelunking);

}  // namespace
}  // namespace korvane
