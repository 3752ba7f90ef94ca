#include "volume/copied_drivers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "util/byte_order.h"
#include "volume/partition_map.h"

namespace korvane {
namespace {

// Bounds on what an image may hand over: map entries read, and the sectors
// of all driver partitions together (Apple's own drivers take a few dozen).
constexpr std::uint32_t kMaxMapEntries = 63;
constexpr std::uint32_t kMaxDriverSectors = 16384;
constexpr std::size_t kMaxDescriptors = (kFormatSectorBytes - ddm::ddBlock) / 8;

class ImageFile {
public:
    explicit ImageFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ImageFile() {
        if (fd_ >= 0) close(fd_);
    }
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    bool opened() const { return fd_ >= 0; }
    bool read(std::uint64_t sector, std::uint8_t* buffer, std::size_t sectors) const {
        const std::size_t bytes = sectors * kFormatSectorBytes;
        return pread(fd_, buffer, bytes, static_cast<off_t>(sector * kFormatSectorBytes)) ==
               static_cast<ssize_t>(bytes);
    }

private:
    int fd_;
};

bool is_driver_type(const SectorBytes& entry) {
    const std::string_view type(reinterpret_cast<const char*>(entry.data() + pm::pmParType),
                                strnlen(reinterpret_cast<const char*>(entry.data() + pm::pmParType), pm::kTypeSize));
    return type.starts_with("Apple_Driver") || type == "Apple_Patches";
}

bool read_partitions(const ImageFile& image, CopiedDrivers& drivers, std::string& problem) {
    SectorBytes entry{};
    std::uint32_t entries = 1;
    std::uint32_t total = 0;
    for (std::uint32_t i = 1; i <= entries && i <= kMaxMapEntries; ++i) {
        if (!image.read(i, entry.data(), 1) || entry[0] != 'P' || entry[1] != 'M') break;
        entries = load_be32(entry.data() + pm::pmMapBlkCnt);
        if (!is_driver_type(entry)) continue;
        const std::uint32_t start = load_be32(entry.data() + pm::pmPyPartStart);
        const std::uint32_t count = load_be32(entry.data() + pm::pmPartBlkCnt);
        total += std::min(count, kMaxDriverSectors + 1);
        if (count == 0 || total > kMaxDriverSectors) {
            problem = "its driver partitions are empty or larger than 8 MB.";
            return false;
        }
        DriverPartition partition{entry, start, std::vector<std::uint8_t>(std::size_t{count} * kFormatSectorBytes)};
        if (!image.read(start, partition.contents.data(), count)) {
            problem = "a driver partition lies beyond its end.";
            return false;
        }
        drivers.partitions.push_back(std::move(partition));
    }
    if (drivers.partitions.empty()) problem = "its partition map holds no driver partition.";
    return !drivers.partitions.empty();
}

// The copied partition that held a block on the image.
std::optional<std::size_t> partition_holding(const CopiedDrivers& drivers, std::uint32_t block) {
    for (std::size_t i = 0; i < drivers.partitions.size(); ++i) {
        const DriverPartition& partition = drivers.partitions[i];
        if (block >= partition.oldStart && block - partition.oldStart < partition.contents.size() / kFormatSectorBytes)
            return i;
    }
    return std::nullopt;
}

// The descriptor entries that point into a copied partition.
void read_descriptors(const SectorBytes& block0, CopiedDrivers& drivers) {
    const std::size_t count = std::min<std::size_t>(load_be16(block0.data() + ddm::sbDrvrCount), kMaxDescriptors);
    for (std::size_t i = 0; i < count; ++i) {
        std::array<std::uint8_t, 8> descriptor{};
        std::copy_n(block0.begin() + static_cast<long>(ddm::ddBlock + 8 * i), 8, descriptor.begin());
        if (partition_holding(drivers, load_be32(descriptor.data()))) drivers.descriptors.push_back(descriptor);
    }
}

// Where each copied partition goes: one after the other from sector 129.
std::vector<std::uint32_t> new_starts(const CopiedDrivers& drivers) {
    std::vector<std::uint32_t> starts;
    std::uint32_t next = kDriverPartitionStart;
    for (const DriverPartition& partition : drivers.partitions) {
        starts.push_back(next);
        next += static_cast<std::uint32_t>(partition.contents.size() / kFormatSectorBytes);
    }
    return starts;
}

}  // namespace

std::uint32_t CopiedDrivers::sectors() const {
    std::uint32_t total = 0;
    for (const DriverPartition& partition : partitions)
        total += static_cast<std::uint32_t>(partition.contents.size() / kFormatSectorBytes);
    return total;
}

std::optional<CopiedDrivers> read_drivers(const std::string& path, std::string& problem) {
    const ImageFile image(path);
    SectorBytes block0{};
    if (!image.opened() || !image.read(0, block0.data(), 1)) {
        problem = "it cannot be read.";
        return std::nullopt;
    }
    if (block0[0] != 'E' || block0[1] != 'R' || load_be16(block0.data() + ddm::sbBlkSize) != kFormatSectorBytes) {
        problem = "it has no driver descriptor map for 512-byte blocks.";
        return std::nullopt;
    }
    CopiedDrivers drivers;
    if (!read_partitions(image, drivers, problem)) return std::nullopt;
    read_descriptors(block0, drivers);
    return drivers;
}

std::vector<SectorImage> partition_map_with_drivers(const FormatParameters& params, const CopiedDrivers& drivers) {
    const std::vector<std::uint32_t> starts = new_starts(drivers);
    std::vector<std::array<std::uint8_t, 8>> descriptors = drivers.descriptors;
    for (auto& descriptor : descriptors) {
        const std::uint32_t block = load_be32(descriptor.data());
        if (const auto i = partition_holding(drivers, block))
            store_be32(descriptor.data(), starts[*i] + (block - drivers.partitions[*i].oldStart));
    }
    const auto entries = static_cast<std::uint32_t>(drivers.partitions.size() + 2);
    std::vector<SectorImage> sectors{
            {0, descriptor_map(params, descriptors)},
            {1, map_entry(kMapPartitionStart, kMapPartitionSectors, "Apple", "Apple_partition_map", 0x37, 0, entries)}};
    for (std::size_t i = 0; i < drivers.partitions.size(); ++i) {
        SectorImage entry{static_cast<std::uint32_t>(2 + i), drivers.partitions[i].entry};
        store_be32(entry.bytes.data() + pm::pmMapBlkCnt, entries);
        store_be32(entry.bytes.data() + pm::pmPyPartStart, starts[i]);
        sectors.push_back(entry);
    }
    sectors.push_back({entries, hfs_map_entry(params, entries)});
    return sectors;
}

std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> driver_contents(const CopiedDrivers& drivers) {
    const std::vector<std::uint32_t> starts = new_starts(drivers);
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> contents;
    for (std::size_t i = 0; i < drivers.partitions.size(); ++i)
        contents.emplace_back(starts[i], drivers.partitions[i].contents);
    return contents;
}

}  // namespace korvane
