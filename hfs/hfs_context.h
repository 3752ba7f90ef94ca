#pragma once
// The HFS engine's records on top of the device context: the working copies
// of the catalog and extents B-trees of the open volume.

#include "device/device_context.h"
#include "hfs/tree_file.h"

namespace korvane {

struct HfsContext : DeviceContext {
    using DeviceContext::DeviceContext;

    TreeFile catalogTree;
    TreeFile extentsTree;
};

}  // namespace korvane
