// The six character tables: published mappings, the exceptions they carry,
// and translate_chars ending a text at a character without an equivalent.
#include <gtest/gtest.h>

#include "util/char_tables.h"

namespace korvane {
namespace {

TEST(CharTables, MacintoshToWindows) {
    EXPECT_EQ(mac_to_ansi[0x80], 0xC4);  // Ä
    EXPECT_EQ(mac_to_ansi[0x8E], 0xE9);  // é
    EXPECT_EQ(mac_to_ansi[0xA7], 0xDF);  // ß
    EXPECT_EQ(mac_to_ansi[0xCA], 0x5F);  // no-break space
    EXPECT_EQ(mac_to_ansi[0x5C], 0x5F);
    EXPECT_EQ(mac_to_ansi[0xD2], 0x5F);
    EXPECT_EQ(mac_to_ansi[0xD4], 0x91);  // ‘
    EXPECT_EQ(mac_to_ansi[0xDB], 0xA4);
    EXPECT_EQ(mac_to_ansi[0xD0], '-');
    EXPECT_EQ(mac_to_ansi[0xF7], '"');
    EXPECT_EQ(mac_to_ansi['A'], 'A');
    for (int c = 0; c < 256; ++c) EXPECT_NE(mac_to_ansi[c], 0) << c;  // never ends a name
}

TEST(CharTables, ShortNames) {
    EXPECT_EQ(mac_to_short_name['a'], 'A');
    EXPECT_EQ(mac_to_short_name['['], '(');
    EXPECT_EQ(mac_to_short_name['.'], 0);
    EXPECT_EQ(mac_to_short_name[' '], 0);
    EXPECT_EQ(mac_to_short_name[0x12], '_');
    EXPECT_EQ(mac_to_short_name[0x80], 0x8E);
    EXPECT_EQ(mac_to_short_name[0x8E], 'E');
    EXPECT_EQ(mac_to_short_name[0xA7], 0xE1);
    EXPECT_EQ(mac_to_short_name[0xA0], 0);
    EXPECT_EQ(mac_to_short_name[0xD5], 0x27);
}

TEST(CharTables, WindowsToMacintoshRoundTripsTheLetters) {
    for (int mac = 0x80; mac <= 0x9F; ++mac) EXPECT_EQ(ansi_to_mac[mac_to_ansi[mac]], mac) << mac;
    EXPECT_EQ(ansi_to_mac[':'], 0);
    EXPECT_EQ(ansi_to_mac[0x80], 0);  // €
    EXPECT_EQ(ansi_to_mac[0x9B], 0xCF);
    EXPECT_EQ(ansi_to_mac[0xB2], '2');
    EXPECT_EQ(ansi_to_mac[0xDF], 0xA7);
    EXPECT_EQ(ansi_to_mac[0xFE], 0xA5);
}

TEST(CharTables, WindowsToMsDos) {
    EXPECT_EQ(ansi_to_oem[0xC4], 0x8E);
    EXPECT_EQ(ansi_to_oem[0xE9], 0x82);
    EXPECT_EQ(ansi_to_oem[0xC0], 'A');
    EXPECT_EQ(ansi_to_oem[0xA6], '|');
    EXPECT_EQ(ansi_to_oem[0xA4], '_');
    EXPECT_EQ(ansi_to_oem[':'], 0);
    EXPECT_EQ(ansi_to_oem[0x0A], 0);
}

TEST(CharTables, MsDosToMacintoshAndWindows) {
    EXPECT_EQ(oem_to_mac[0x8E], 0x80);
    EXPECT_EQ(oem_to_mac[0xE1], 0xA7);
    EXPECT_EQ(oem_to_mac[0xB0], 0);
    EXPECT_EQ(oem_to_mac[0xE4], 0xB7);
    EXPECT_EQ(oem_to_ansi[0x0A], 0x0A);
    EXPECT_EQ(oem_to_ansi[0x0D], 0x0D);
    EXPECT_EQ(oem_to_ansi[0x09], 0);
    EXPECT_EQ(oem_to_ansi[0x8E], 0xC4);
    EXPECT_EQ(oem_to_ansi[0xC4], 0);
    EXPECT_EQ(oem_to_ansi[0xE3], '_');
    EXPECT_EQ(oem_to_ansi[0xAC], 0xBE);
}

TEST(CharTables, TranslationEndsAtACharacterWithoutEquivalent) {
    std::string name = "R\xE9sum\xE9: draft";
    translate_chars(name, ansi_to_mac);
    EXPECT_EQ(name, "R\x8Esum\x8E");
    EXPECT_EQ(translated("caf\x8E", mac_to_ansi), "caf\xE9");
    EXPECT_EQ(translated("", oem_to_mac), "");
}

}  // namespace
}  // namespace korvane
