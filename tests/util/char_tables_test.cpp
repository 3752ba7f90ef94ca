// The six character tables: published mappings, the exceptions they carry,
// and translate_chars ending a text at a character without an equivalent.
#include <gtest/gtest.h>

#include "util/char_tables.h"

namespace korvane {
namespace {

TEST(CharTables, PublishedMappingsAndTheirExceptions) {
    // Each table with pairs of source byte, target byte (0: no equivalent, ends a name).
    const std::pair<const CharTable*, std::vector<int>> tables[] = {
            // Ä, é, ß; the no-break space, "\" and “ become "_".
            {&mac_to_ansi, {0x80, 0xC4, 0x8E, 0xE9, 0xA7, 0xDF, 0xCA, 0x5F, 0x5C, 0x5F, 0xD2,
                            0x5F, 0xD4, 0x91, 0xDB, 0xA4, 0xD0, '-',  0xF7, '"',  'A',  'A'}},
            {&mac_to_short_name,
             {'a', 'A', '[', '(', '.', 0, ' ', 0, 0x12, '_', 0x80, 0x8E, 0x8E, 'E', 0xA7, 0xE1, 0xA0, 0, 0xD5, 0x27}},
            {&ansi_to_mac, {':', 0, 0x80, 0, 0x9B, 0xCF, 0xB2, '2', 0xDF, 0xA7, 0xFE, 0xA5}},
            {&ansi_to_oem, {0xC4, 0x8E, 0xE9, 0x82, 0xC0, 'A', 0xA6, '|', 0xA4, '_', ':', 0, 0x0A, 0}},
            {&oem_to_mac, {0x8E, 0x80, 0xE1, 0xA7, 0xB0, 0, 0xE4, 0xB7}},
            {&oem_to_ansi, {0x0A, 0x0A, 0x0D, 0x0D, 0x09, 0, 0x8E, 0xC4, 0xC4, 0, 0xE3, '_', 0xAC, 0xBE}},
    };
    for (std::size_t t = 0; t < std::size(tables); ++t) {
        const auto& [table, pairs] = tables[t];
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
            EXPECT_EQ((*table)[pairs[i]], pairs[i + 1]) << "table " << t << ", byte " << pairs[i];
    }
    for (int c = 0; c < 256; ++c) EXPECT_NE(mac_to_ansi[c], 0) << c;  // a Macintosh name never ends early
    for (int mac = 0x80; mac <= 0x9F; ++mac) EXPECT_EQ(ansi_to_mac[mac_to_ansi[mac]], mac) << mac;
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
