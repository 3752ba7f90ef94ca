#pragma once
// CHECK for the tests that change a volume: every such test ends with the
// volume read back by hfsutils and checked by Korvane.
//   EXPECT_EQ(testing::checkProblems(image), "");

#include <string>

#include "hfs/volume_check.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane::testing {

// The problems CHECK finds on the volume of an image (one line each, with a
// last line when more were found than listed); "" for a sound volume.
inline std::string checkProblems(const std::string& image, std::uint32_t volumeStart = 0) {
    OpenedVolume volume(image, volumeStart);
    EXPECT_EQ(volume.open(), CatalogOpen::Complete);
    EXPECT_TRUE(openExtentsTree(volume.ctx));
    const CheckReport report = checkVolume(volume.ctx);
    std::string text;
    for (const std::string& line : report.problems()) text += line + "\n";
    if (report.unlisted() > 0) text += "(" + std::to_string(report.unlisted()) + " more)\n";
    return text;
}

}  // namespace korvane::testing
