#include "util/pc_names.h"

#include <gtest/gtest.h>
#include <string>

namespace korvane::testing {
namespace {

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

}  // namespace
}  // namespace korvane::testing
