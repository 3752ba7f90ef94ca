#include "volume/partition_dialog_choice.h"

#include "device/partition_dialog.h"
#include "util/char_tables.h"

namespace korvane {

std::optional<std::uint32_t> choose_partition(HfsContext& ctx, const std::vector<MapPartition>& partitions) {
    std::vector<PartitionRow> rows;
    for (const MapPartition& partition : partitions) {
        rows.push_back({translated(partition.name, mac_to_ansi), partition.start, partition.size});
    }
    const int row = select_partition_dialog(ctx, rows);
    if (row == kPartitionWindowClosed) ctx.state.target_id = kNoDrive;
    if (row < 0 || static_cast<std::size_t>(row) >= partitions.size()) return std::nullopt;
    return partitions[static_cast<std::size_t>(row)].start;
}

}  // namespace korvane
