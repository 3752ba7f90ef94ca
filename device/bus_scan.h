#pragma once
// The bus scan behind the device dialog and `korvane-cmd --scan`: one header
// entry per host adapter followed by one entry per usable drive.

#include <cstdint>
#include <string>
#include <vector>

#include "device/transport.h"

namespace korvane {

inline constexpr std::uint8_t kHeaderTarget = 0xFF;

struct DeviceListEntry {
    std::uint8_t adapter = 0;
    // Header: 1 + the drive entries that follow. Drive: the peripheral type.
    std::uint8_t kind = 0;
    std::uint8_t target = kHeaderTarget;  // 0xFF for a header entry
    std::string vendor;                   // INQUIRY bytes 8-15 (empty for a header)
    std::string product;                  // INQUIRY bytes 16-31, or the adapter's manager name
    std::string revision;                 // INQUIRY bytes 32-35

    bool is_header() const { return target == kHeaderTarget; }
};

struct BusScan {
    std::vector<DeviceListEntry> entries;  // as long as the scan found
    std::uint16_t adapter_count = 0;
    std::uint16_t drive_count = 0;
};

// Scans every adapter for direct-access and optical-memory drives; each
// drive gets up to five INQUIRY attempts and is listed even when all fail.
BusScan scan_bus(Transport& transport);

// One entry as `korvane-cmd --scan` prints it: adapter, kind, target,
// vendor, product, revision, tab-separated (texts without trailing blanks).
std::string scan_line(const DeviceListEntry& entry);

// Whether a peripheral type is a drive Korvane works with.
bool is_usable_drive_type(std::uint16_t type);

}  // namespace korvane
