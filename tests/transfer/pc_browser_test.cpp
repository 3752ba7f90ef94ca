#include "transfer/pc_browser.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ShowPath, ShortensLongPathsToThirtyCharacters) {
    EXPECT_EQ(show_path("/home/someone/projects/01234/"), "/home/someone/projects/01234/");    // 29
    EXPECT_EQ(show_path("/home/someone/projects/012345/"), "/home/someone/projects/012345/");  // exactly 30
    // Without the second directory it still needs 31: the rest starts after the third.
    EXPECT_EQ(show_path("c:/projects/clients/archive/1996/march/"), "c:/projects/.../1996/march/");
    // Without the second directory it fits: the rest starts after the second.
    EXPECT_EQ(show_path("c:/projects/clients/archive/199/"), "c:/projects/.../archive/199/");
}

TEST(ShowPath, NeverShowsMoreThanThirtyCharacters) {
    std::string shown = show_path("/a-very-long-directory-name/another-one-just-as-long/x/");
    EXPECT_LE(shown.size(), kShownPathMax);
    EXPECT_EQ(shown.substr(0, 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 3), "/x/");
    // Few directories: the end of the path, whole characters only.
    shown = show_path(
            "/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
            "\xC3\xA9/");
    EXPECT_LE(shown.size(), kShownPathMax);
    EXPECT_NE(static_cast<unsigned char>(shown[3]) & 0xC0, 0x80);
}

}  // namespace
}  // namespace korvane
