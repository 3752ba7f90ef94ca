#pragma once
// Media built around volumes made by hfsutils: a driver descriptor map and an
// Apple partition map written here, the older "TS" map, volumes placed at any
// block, MS-DOS boot sectors. Shared by the volume and end-to-end tests.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/byte_order.h"
#include "volume/partition_map.h"

namespace korvane::testing {

inline std::vector<std::uint8_t> file_bytes(const std::string& path) {
    std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(::read(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    return bytes;
}

// Writes bytes at offset, growing the file as needed.
inline void write_at(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// A blank medium of the given size.
inline void make_blank_medium(const std::string& path, std::uint64_t bytes) {
    std::filesystem::remove(path);
    write_at(path, 0, {});
    std::filesystem::resize_file(path, bytes);
}

struct PartitionDef {
    std::string name;
    std::string type;
    std::uint32_t start = 0;       // in map blocks
    std::uint32_t blocks = 0;      // pmPartBlkCnt
    std::string volumeImage;       // copied to the partition's start when not empty
    std::uint32_t dataBlocks = 0;  // pmDataCnt
};

// A blank medium whose block 0 holds "ER" with the stated block size and count.
inline void write_descriptor_map(const std::string& path, std::uint64_t mediumBytes, std::uint16_t statedBlockSize) {
    make_blank_medium(path, mediumBytes);
    std::vector<std::uint8_t> block0(512, 0);
    block0[0] = 'E';
    block0[1] = 'R';
    store_be16(block0.data() + ddm::sbBlkSize, statedBlockSize);
    store_be32(block0.data() + ddm::sbBlkCount, static_cast<std::uint32_t>(mediumBytes / statedBlockSize));
    write_at(path, 0, block0);
}

// The descriptor map, then one map entry per partition from block 1 (each
// entry block_size bytes from the previous), the map's own entry first.
inline void write_partitioned_medium(const std::string& path, std::uint64_t mediumBytes, std::uint16_t block_size,
                                     std::uint16_t statedBlockSize, std::vector<PartitionDef> partitions) {
    write_descriptor_map(path, mediumBytes, statedBlockSize);
    partitions.insert(partitions.begin(), {"Apple", "Apple_partition_map", 1, 63, {}});
    for (std::size_t k = 0; k < partitions.size(); ++k) {
        const PartitionDef& p = partitions[k];
        std::vector<std::uint8_t> entry(block_size, 0);
        entry[0] = 'P';
        entry[1] = 'M';
        store_be32(entry.data() + pm::pmMapBlkCnt, static_cast<std::uint32_t>(partitions.size()));
        store_be32(entry.data() + pm::pmPyPartStart, p.start);
        store_be32(entry.data() + pm::pmPartBlkCnt, p.blocks);
        std::memcpy(entry.data() + pm::pmPartName, p.name.data(), std::min<std::size_t>(p.name.size(), 31));
        std::memcpy(entry.data() + pm::pmParType, p.type.data(), std::min<std::size_t>(p.type.size(), 31));
        store_be32(entry.data() + pm::pmDataCnt, p.dataBlocks);
        write_at(path, (k + 1) * block_size, entry);
        if (!p.volumeImage.empty()) write_at(path, std::uint64_t{p.start} * block_size, file_bytes(p.volumeImage));
    }
}

// A medium with the older map: "ER" in block 0, "TS" and the volume's first block in block 1.
inline void write_ts_medium(const std::string& path, std::uint64_t mediumBytes, std::uint32_t start,
                            const std::string& volumeImage) {
    write_descriptor_map(path, mediumBytes, 512);
    std::vector<std::uint8_t> block1(512, 0);
    block1[0] = 'T';
    block1[1] = 'S';
    store_be32(block1.data() + 2, start);
    write_at(path, 512, block1);
    write_at(path, std::uint64_t{start} * 512, file_bytes(volumeImage));
}

// A volume placed at a 512-byte block of an otherwise blank medium (no map).
inline void write_volume_at(const std::string& path, std::uint64_t mediumBytes, std::uint32_t block,
                            const std::string& volumeImage) {
    make_blank_medium(path, mediumBytes);
    write_at(path, std::uint64_t{block} * 512, file_bytes(volumeImage));
}

}  // namespace korvane::testing
