#pragma once
// The file-transfer records on top of the HFS context: what copies in both
// directions share for the whole run.

#include "hfs/hfs_context.h"

namespace korvane {

struct TransferContext : HfsContext {
    using HfsContext::HfsContext;
};

}  // namespace korvane
