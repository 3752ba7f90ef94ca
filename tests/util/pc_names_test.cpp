#include "util/pc_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>

namespace korvane {
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

// A name made in the Windows character set is created on the Linux file
// system in UTF-8 and read back from the directory as the same bytes.
TEST(PcNames, ConvertAtTheFileSystemBoundary) {
    char dir_template[] = "/tmp/korvane-names-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string windows_name = "R\xE9sum\xE9 \x80 \x93quoted\x94.txt";
    const std::string utf8_name = pc_name_to_utf8(windows_name, PcCharset::Windows);
    int fd = open((dir + "/" + utf8_name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    close(fd);

    DIR* listing = opendir(dir.c_str());
    ASSERT_NE(listing, nullptr);
    std::string found;
    while (dirent* entry = readdir(listing)) {
        if (entry->d_name[0] != '.') found = entry->d_name;
    }
    closedir(listing);
    EXPECT_EQ(found, "Résumé € “quoted”.txt");
    EXPECT_EQ(pc_name_from_utf8(found, PcCharset::Windows).name, windows_name);
    unlink((dir + "/" + utf8_name).c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace korvane
