#include "transfer/dos_name.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Mac Roman: 0x8E is e acute.
const std::string kResume = "R\x8Esum\x8E";

TEST(DosName, ShortNamesKeepEightCharactersAndLongOnesDropOnlyForbiddenCharacters) {
    const std::tuple<std::string, const char*, const char*> shorts[] = {
            {"Letter to Bob.txt", "TXT", "LETTERTO.txt"},
            {"Budget 1996", "XLS", "BUDGET19.xls"},
            {kResume, "DOC", "RESUME.doc"},
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

}  // namespace
}  // namespace korvane
