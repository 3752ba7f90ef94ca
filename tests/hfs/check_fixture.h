#pragma once
// CHECK for the tests that change a volume: every such test ends with the
// volume read back by hfsutils and checked by Korvane.
//   EXPECT_EQ(testing::check_problems(image), "");

#include <algorithm>
#include <string>
#include <vector>

#include "hfs/catalog_records.h"
#include "hfs/mdb_image.h"
#include "hfs/volume_check.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane::testing {

// The problems CHECK finds on the volume of an image (one line each, with a
// last line when more were found than listed); "" for a sound volume.
inline std::string check_problems(const std::string& image, std::uint32_t volume_start = 0) {
    OpenedVolume volume(image, volume_start);
    EXPECT_EQ(volume.open(), CatalogOpen::Complete);
    EXPECT_TRUE(open_extents_tree(volume.ctx));
    const CheckReport report = check_volume(volume.ctx);
    std::string text;
    for (const std::string& line : report.problems()) text += line + "\n";
    if (report.unlisted() > 0) text += "(" + std::to_string(report.unlisted()) + " more)\n";
    return text;
}

// Allocation blocks in use before the change, outside the catalog and
// extents files, whose bytes differ after it: the files' forks must not move.
inline std::uint32_t changed_blocks_outside_the_trees(const std::string& before, const std::string& after) {
    MdbImage header;
    std::copy_n(before.begin() + 1024, 512, header.bytes.begin());
    const std::uint32_t block_size = header.allocation_block_size();
    const std::size_t first = std::size_t{header.first_allocation_sector()} * 512;
    std::vector<bool> tree(header.allocation_blocks());
    for (const auto record : {header.catalog_extents(), header.extents_extents()})
        for (int i = 0; i < 3; ++i)
            for (std::uint32_t b = 0; b < extent_descriptor(record, i).block_count; ++b)
                tree[extent_descriptor(record, i).startBlock + b] = true;
    std::uint32_t changed = 0;
    for (std::uint32_t b = 0; b < header.allocation_blocks(); ++b) {
        const bool used =
                (static_cast<std::uint8_t>(before[header.bitmap_start() * 512 + b / 8]) & (0x80 >> (b % 8))) != 0;
        const std::size_t at = first + std::size_t{b} * block_size;
        if (used && !tree[b] && before.compare(at, block_size, after, at, block_size) != 0) ++changed;
    }
    return changed;
}

}  // namespace korvane::testing
