#pragma once
// The rescue scan: the whole medium read in 64-sector requests (one sector
// at a time after a request that failed, skipping what cannot be read),
// every block tested for the shape of a catalog leaf node, and each file
// record of those leaves written as a PC file into the current PC
// directory, following only the three extents of its record.
//
// The files are written once the scan has met the whole medium: where the
// volume's allocation blocks lie comes from the open volume, or, when none
// is open, from the headers and nodes the scan met (the alternate header
// near the volume's end survives a wiped primary one).

#include <cstdint>
#include <functional>
#include <string>

#include "transfer/transfer_context.h"

namespace korvane {

// What the "Rescue Scanning" dialog shows while the scan runs.
struct RescueProgress {
    std::uint32_t sector = 0;  // "Sector:"
    std::string file;          // "File:", the Macintosh name in the Windows character set
    std::string pcFile;        // the PC file it was written to (UTF-8)
    std::uint32_t files = 0;   // "Number:"
    // Called after each change, so that a form can show it.
    std::function<void(const RescueProgress&)> changed;
};

struct RescueResult {
    std::uint32_t leaves = 0;      // catalog leaf nodes found
    std::uint32_t files = 0;       // PC files written
    std::uint32_t unreadable = 0;  // sectors that could not be read
    bool stopped = false;          // Esc
    bool noGeometry = false;       // leaves found, but nothing told where the blocks lie
};

// The scan of the selected drive's medium. Each rescued file is also
// announced on the status line and in the log, as a copy to the PC is; the
// status line ends with the count, and leaves that no volume header could
// place are reported in a notice.
RescueResult rescue_scan(TransferContext& ctx, RescueProgress& progress);

}  // namespace korvane
