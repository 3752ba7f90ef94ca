// The PC side of a copy: the names a Macintosh name becomes, the guard
// that keeps them in their directory, the path a form shows, the ports.
#include <gtest/gtest.h>

#include "transfer/dos_name.h"
#include "transfer/output_port.h"
#include "transfer/pc_browser.h"
#include "transfer/pc_name_guard.h"

namespace korvane {
namespace {

TEST(DosName, ShortNamesKeepEightCharactersAndLongOnesDropOnlyForbiddenCharacters) {
    const std::tuple<std::string, const char*, const char*> shorts[] = {
            {"Letter to Bob.txt", "TXT", "LETTERTO.txt"},
            {"Budget 1996", "XLS", "BUDGET19.xls"},
            {"R\x8Esum\x8E", "DOC", "RESUME.doc"},  // Mac Roman e acute
            {"A.B.C", "TXT", "AB.c"},
            {"***", "TXT", ".txt"},
            {"[draft]", "TXT", "(DRAFT).txt"},
            // The text after the last '.' is "/x": usable, but it must not reach the PC as is.
            {"evil./x", "TXT", "EVIL.x"}};
    for (const auto& [mac, extension, pc] : shorts) EXPECT_EQ(short_dos_name(mac, extension), pc) << mac;
    const std::pair<const char*, const char*> longs[] = {{"Q&A / notes?", "Q&A  notes.txt"},
                                                         {"photo.jpeg", "photo.jpeg.txt"},
                                                         {"Letter.DOC", "Letter.DOC"},
                                                         {"a\\b|c:d", "a_bcd.txt"}};  // mac_to_ansi turns '\' into '_'
    for (const auto& [mac, pc] : longs) EXPECT_EQ(long_dos_name(mac, "TXT"), pc) << mac;
}

TEST(DosName, UsableExtensionHasOneToThreeCharacters) {
    EXPECT_EQ(usable_extension("a.txt"), "txt");
    EXPECT_EQ(usable_extension("a. c "), "c");
    for (const char* name : {"name.", "photo.jpeg", "plain"}) EXPECT_FALSE(usable_extension(name)) << name;
}

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

TEST(PcNameGuard, NoNameFromAVolumeLeavesTheDirectory) {
    EXPECT_EQ(safe_pc_component("a/b"), "a_b");
    EXPECT_EQ(safe_pc_component("/"), "_");
    EXPECT_EQ(safe_pc_component(std::string("x\0y", 3)), "x_y");
    EXPECT_EQ(safe_pc_component("."), "_");
    EXPECT_EQ(safe_pc_component(".."), "__");
    // No name is hidden: a leading '.' gets a '_' before it.
    EXPECT_EQ(safe_pc_component("../etc"), "_.._etc");
    EXPECT_EQ(safe_pc_component("..."), "_...");
    EXPECT_EQ(safe_pc_component(".txt"), "_.txt");
    EXPECT_EQ(safe_pc_component(""), "");
}

TEST(OutputPorts, Names) {
    EXPECT_EQ(port_from_name("lpt2"), 2);
    EXPECT_EQ(port_from_name("COM4"), 7);
    EXPECT_EQ(port_from_name("FILE"), 0);
    EXPECT_FALSE(port_from_name("COM5").has_value());
    EXPECT_EQ(port_name(5), "COM2");
}

}  // namespace
}  // namespace korvane
