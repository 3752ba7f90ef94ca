// The console form of "Informations about the Macintosh volume": korvane-cmd
// prints each figure as a line of its own, the label, a tab and the value,
// so that a script can pick a figure by its label.

#include <ostream>

#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "volume/volume_info.h"

namespace korvane {
namespace {

int print_volume_figures(ConsoleHost& host, Dialog& dialog) {
    for (const VolumeFigure& figure : static_cast<VolumeInfoDialog&>(dialog).figures) {
        host.out() << figure.label << '\t' << figure.value << '\n';
    }
    return kDialogOk;
}

const RegisterConsoleDialog kVolumeInfo("DLG_INFO", print_volume_figures);

}  // namespace
}  // namespace korvane
