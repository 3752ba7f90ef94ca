// korvane-cmd's form of the CHECK report: its lines on standard output,
// in UTF-8.

#include <ostream>

#include "app/check_command.h"
#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

int print_check_report(ConsoleHost& host, Dialog& dialog) {
    for (const std::string& line : static_cast<CheckReportDialog&>(dialog).lines) {
        host.out() << pc_name_to_utf8(line, PcCharset::Windows) << '\n';
    }
    host.out() << std::flush;
    return kDialogOk;
}

const RegisterConsoleDialog kCheckReport("DLG_CHECK", print_check_report);

}  // namespace
}  // namespace korvane
