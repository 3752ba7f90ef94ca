#pragma once
// The HFS engine's records on top of the device context: the open volume's
// header image and the working copies of its catalog and extents B-trees.

#include <cstdint>
#include <string>

#include "device/device_context.h"
#include "hfs/journal_location.h"
#include "hfs/mdb_image.h"
#include "hfs/tree_file.h"
#include "hfs/volume.h"

namespace korvane {

struct HfsContext : DeviceContext {
    using DeviceContext::DeviceContext;
    ~HfsContext() override;

    // The volume header as read by discovery; changed in memory by the
    // modifying commands and written back with the trees.
    MdbImage mdb;
    TreeFile catalogTree{true};
    TreeFile extentsTree;
    // Damaged nodes met since the volume was opened (reads that failed,
    // records outside their node, chains that loop); the listing reports them.
    std::uint32_t damagedNodes = 0;
    // Why no volume is open, for the commands that need one: set by volume
    // discovery when it opens none, empty while a volume is open.
    std::string noVolumeReason;
    // The write engine's view of the volume: device, bitmap, medium state.
    Volume volume;
    // Whether changes go through the medium's undo journal, and its bound.
    JournalSettings journal;
};

}  // namespace korvane
