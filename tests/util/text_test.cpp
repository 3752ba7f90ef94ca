// The six character tables: published mappings, the exceptions they carry,
// and translate_chars ending a text at a character without an equivalent;
// PC names between the Windows or DOS character set and UTF-8; extensions
// and letter case of names.
#include <gtest/gtest.h>

#include <string>

#include "util/char_tables.h"
#include "util/pc_names.h"
#include "util/strings.h"

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

TEST(PcNames, EveryByteOfBothCharacterSetsSurvivesARoundTrip) {
    for (PcCharset charset : {PcCharset::Windows, PcCharset::Dos}) {
        for (int byte = 1; byte < 256; ++byte) {
            const std::string name(1, static_cast<char>(byte));
            const PcName back = pc_name_from_utf8(pc_name_to_utf8(name, charset), charset);
            EXPECT_TRUE(back.exact) << byte;
            EXPECT_EQ(back.name, name) << "byte " << byte;
        }
    }
}

TEST(PcNames, FollowThePublishedMappings) {
    EXPECT_EQ(pc_name_to_utf8("\x80\x8A\x9F\xE9\xFF", PcCharset::Windows), "€ŠŸéÿ");
    EXPECT_EQ(pc_name_to_utf8("\x80\x82\x9E\xB3\xE1\xE6\xFE\xFF", PcCharset::Dos), "Çé₧│ßµ■\u00A0");
    EXPECT_EQ(pc_name_from_utf8("Café", PcCharset::Dos).name, "Caf\x82");
    EXPECT_EQ(pc_name_from_utf8("Café", PcCharset::Windows).name, "Caf\xE9");
}

TEST(PcNames, CharactersWithoutAByteBecomeAnUnderscore) {
    PcName result = pc_name_from_utf8("a\xE2\x98\x83z", PcCharset::Windows);  // a snowman
    EXPECT_FALSE(result.exact);
    EXPECT_EQ(result.name, "a_z");
    // A stray byte, an overlong slash and a lone surrogate are not characters.
    result = pc_name_from_utf8("\xFFx\xC0\xAF\xED\xA0\x80", PcCharset::Windows);
    EXPECT_FALSE(result.exact);
    EXPECT_EQ(result.name.find('/'), std::string::npos);
    EXPECT_EQ(result.name.substr(0, 2), "_x");
}

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
