#include "device/partition_dialog.h"

#include <utility>

#include "core/messages.h"
#include "core/notices.h"

namespace korvane {

PartitionDialog::PartitionDialog(DeviceContext& ctx, std::vector<PartitionRow> rows)
    : ctx_(ctx), rows_(std::move(rows)) {
    if (rows_.size() > kPartitionRowsShown) rows_.resize(kPartitionRowsShown);
}

void PartitionDialog::choose_row(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) chosen_ = row;
}

bool PartitionDialog::confirm() {
    if (chosen_ >= 0) return true;
    show_notice(ctx_, std::string(message(Msg::kSelectPartition)));
    return false;
}

void PartitionDialog::help() { ctx_.host.show_help(help_key()); }

int select_partition_dialog(DeviceContext& ctx, std::vector<PartitionRow> rows) {
    PartitionDialog dialog(ctx, std::move(rows));
    int answer = ctx.host.run_dialog(dialog);
    if (answer == kPartitionWindowClosed) {
        // Closing the window gives up the drive; no row may be taken from it.
        ctx.state.target_id = kNoDrive;
        return kPartitionWindowClosed;
    }
    if (answer < 0 || static_cast<std::size_t>(answer) >= dialog.rows().size()) return kPartitionCancelled;
    return answer;
}

}  // namespace korvane
