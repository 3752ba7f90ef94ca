#pragma once
// CHECK for the tests that change a volume: every such test ends with the
// volume read back by hfsutils and checked by Korvane.
//   EXPECT_EQ(testing::check_problems(image), "");

#include <string>

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

}  // namespace korvane::testing
