#include "volume/format_writes.h"

#include <algorithm>

namespace korvane {
namespace {

constexpr std::uint16_t kSectorsPerRequest = 64;

}  // namespace

FormatWrites::FormatWrites(const FormatParameters& params, FormatStyle style, const std::string& mac_name,
                           std::uint32_t now, const CopiedDrivers* drivers)
    : zeroedSectors_(format_zeroed_sectors(params)),
      zeros_(std::size_t{kSectorsPerRequest} * kFormatSectorBytes, 0),
      structures_(volume_structures(params, style, mac_name, now)) {
    for (std::uint32_t sector = 0; sector < zeroedSectors_; sector += kSectorsPerRequest) {
        const auto count =
                static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, zeroedSectors_ - sector));
        writes_.push_back({sector, count, zeros_.data()});
    }
    zeroingWrites_ = writes_.size();
    if (style == FormatStyle::Partitioned) {
        const std::vector<SectorImage> map =
                drivers ? partition_map_with_drivers(params, *drivers) : partition_map_sectors(params);
        structures_.insert(structures_.begin(), map.begin(), map.end());
        if (drivers)
            drivers_ = driver_contents(*drivers);
        else
            drivers_.emplace_back(kDriverPartitionStart, driver_image(params));
    }
    for (const SectorImage& image : structures_) writes_.push_back({image.sector, 1, image.bytes.data()});
    for (const auto& [start, contents] : drivers_) add_run(start, contents);
}

// Whole sectors of bytes, 64 to a request.
void FormatWrites::add_run(std::uint32_t sector, const std::vector<std::uint8_t>& bytes) {
    const auto sectors = static_cast<std::uint32_t>(bytes.size() / kFormatSectorBytes);
    for (std::uint32_t done = 0; done < sectors; done += kSectorsPerRequest) {
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(kSectorsPerRequest, sectors - done));
        writes_.push_back({sector + done, count, bytes.data() + std::size_t{done} * kFormatSectorBytes});
    }
}

}  // namespace korvane
