#include "util/strings.h"
#include "util/char_tables.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

std::string with_extension(std::string name, std::string_view ext) {
    set_extension(name, ext);
    return name;
}

std::string numbered(std::string name, std::uint16_t number) {
    set_numbered_extension(name, number);
    return name;
}

TEST(SetExtension, ReplacesOnlyAnExtensionAmongTheLastFourCharacters) {
    EXPECT_EQ(with_extension("REPORT", "TXT"), "REPORT.txt");
    EXPECT_EQ(with_extension("REPORT.DOC", "TXT"), "REPORT.txt");
    EXPECT_EQ(with_extension("A.LONGER", "TXT"), "A.LONGER.txt");
    EXPECT_EQ(with_extension("NAME.", "TXT"), "NAME.txt");
    EXPECT_EQ(with_extension("A.B", "hqx"), "A.hqx");
    EXPECT_EQ(with_extension("korvane", "HLP"), "korvane.hlp");
}

TEST(SetNumberedExtension, WritesThreeBase32DigitsLowerCased) {
    EXPECT_EQ(numbered("NAME.TXT", 1), "NAME.001");
    EXPECT_EQ(numbered("NAME.TXT", 32), "NAME.010");
    EXPECT_EQ(numbered("NAME.TXT", 1055), "NAME.10v");
    EXPECT_EQ(numbered("NAME", 0x7FFF), "NAME.vvv");
    // Only the low 15 bits count.
    EXPECT_EQ(numbered("NAME", 0x8001), "NAME.001");
}

TEST(LatinCase, WorksByByteRangeNotByLetter) {
    std::string text = "ab\xF7\xFF\xE0z";
    to_upper_latin(text);
    EXPECT_EQ(text, "AB\xD7\xFF\xC0Z");
    to_lower_latin(text);
    EXPECT_EQ(text, "ab\xF7\xFF\xE0z");
}

}  // namespace
}  // namespace korvane
