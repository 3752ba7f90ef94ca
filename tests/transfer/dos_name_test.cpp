#include "transfer/dos_name.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Mac Roman: 0x8E is e acute.
const std::string kResume = "R\x8Esum\x8E";

TEST(DosName, ShortNamesKeepEightCharactersAndAnExtension) {
    EXPECT_EQ(short_dos_name("Letter to Bob.txt", "TXT"), "LETTERTO.txt");
    EXPECT_EQ(short_dos_name("Budget 1996", "XLS"), "BUDGET19.xls");
    EXPECT_EQ(short_dos_name(kResume, "DOC"), "RESUME.doc");
    EXPECT_EQ(short_dos_name("A.B.C", "TXT"), "AB.c");
    EXPECT_EQ(short_dos_name("***", "TXT"), ".txt");
    EXPECT_EQ(short_dos_name("[draft]", "TXT"), "(DRAFT).txt");
}

TEST(DosName, ShortExtensionNeverCarriesAPathSeparator) {
    // The text after the last '.' is "/x": usable, but it must not reach the PC as is.
    std::string name = short_dos_name("evil./x", "TXT");
    EXPECT_EQ(name.find('/'), std::string::npos);
    EXPECT_EQ(name, "EVIL.x");
}

TEST(DosName, LongNamesDropOnlyForbiddenCharacters) {
    EXPECT_EQ(long_dos_name("Q&A / notes?", "TXT"), "Q&A  notes.txt");
    EXPECT_EQ(long_dos_name("photo.jpeg", "TXT"), "photo.jpeg.txt");
    EXPECT_EQ(long_dos_name("Letter.DOC", "TXT"), "Letter.DOC");
    EXPECT_EQ(long_dos_name("a\\b|c:d", "TXT"), "a_bcd.txt");  // mac_to_ansi turns '\' into '_'
}

TEST(DosName, UsableExtensionHasOneToThreeCharacters) {
    EXPECT_EQ(usable_extension("a.txt"), "txt");
    EXPECT_EQ(usable_extension("a. c "), "c");
    EXPECT_FALSE(usable_extension("name."));
    EXPECT_FALSE(usable_extension("photo.jpeg"));
    EXPECT_FALSE(usable_extension("plain"));
}

TEST(DosName, ShownNamesAreInTheWindowsCharacterSet) {
    EXPECT_EQ(shown_mac_name(kResume), "R\xE9sum\xE9");
    EXPECT_EQ(shown_pc_name("R\xC3\xA9sum\xC3\xA9.txt"), "R\xE9sum\xE9.txt");
}

}  // namespace
}  // namespace korvane
