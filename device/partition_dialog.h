#pragma once
// The "Select Partition" dialog (DLG_PART) that volume discovery opens when a
// medium holds several HFS partitions. Front ends show the rows, let the user
// choose one, and end with the row index (after confirm() said yes),
// kPartitionCancelled, or kPartitionWindowClosed.

#include <cstdint>
#include <string>
#include <vector>

#include "core/dialog.h"
#include "device/device_context.h"

namespace korvane {

inline constexpr int kPartitionCancelled = -1;
// Closed from the window menu: the drive is deselected as well.
inline constexpr int kPartitionWindowClosed = -2;
inline constexpr std::size_t kPartitionRowsShown = 8;

struct PartitionRow {
    std::string name;  // as it is to be shown
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

class PartitionDialog : public Dialog {
public:
    PartitionDialog(DeviceContext& ctx, std::vector<PartitionRow> rows);
    std::string_view name() const override { return "DLG_PART"; }

    // At most eight rows; others are not offered.
    const std::vector<PartitionRow>& rows() const { return rows_; }
    int chosen_row() const { return chosen_; }  // -1 while none
    void choose_row(int row);
    // OK: false (after "Please select a partition on the volume.") while no row is chosen.
    bool confirm();
    void help();

private:
    DeviceContext& ctx_;
    std::vector<PartitionRow> rows_;
    int chosen_ = -1;
};

// Runs the dialog: the chosen row, kPartitionCancelled (discovery then looks
// for a volume only at the start of the medium) or kPartitionWindowClosed
// (no drive selected any more).
int select_partition_dialog(DeviceContext& ctx, std::vector<PartitionRow> rows);

}  // namespace korvane
