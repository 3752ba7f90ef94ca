#pragma once
// Every write of a format, in the order it is made: the zeroed start of the
// medium, then the structures (the partition map first on a partitioned
// medium) and the driver partitions. Planned before the first write, so
// that the undo journal takes the old contents of all of them at once.

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "hfs/journaled_sectors.h"
#include "volume/copied_drivers.h"
#include "volume/format_layout.h"

namespace korvane {

class FormatWrites {
public:
    // mac_name in the Macintosh character set; now the creation date. The
    // driver partitions are the copied ones when drivers is given.
    FormatWrites(const FormatParameters& params, FormatStyle style, const std::string& mac_name, std::uint32_t now,
                 const CopiedDrivers* drivers);
    // The writes point into the plan's own buffers.
    FormatWrites(const FormatWrites&) = delete;
    FormatWrites& operator=(const FormatWrites&) = delete;

    std::span<const SectorWrite> all() const { return writes_; }
    std::span<const SectorWrite> zeroing() const { return all().first(zeroingWrites_); }
    std::span<const SectorWrite> building() const { return all().subspan(zeroingWrites_); }
    std::uint32_t zeroed_sectors() const { return zeroedSectors_; }

private:
    void add_run(std::uint32_t sector, const std::vector<std::uint8_t>& bytes);

    std::uint32_t zeroedSectors_ = 0;
    std::vector<std::uint8_t> zeros_;
    std::vector<SectorImage> structures_;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> drivers_;
    std::vector<SectorWrite> writes_;
    std::size_t zeroingWrites_ = 0;
};

}  // namespace korvane
