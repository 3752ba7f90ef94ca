// Volumes that other software made (Mac OS itself, the Linux kernel,
// genisoimage, newfs_hfs): korvane-cmd lists every folder as hls does, or,
// where hfsutils cannot read the volume, shows what the volume is known to
// hold. Copies are used: mounting rewrites a volume's header.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/listing_fixture.h"

namespace korvane::e2e {
namespace {

class ListingCorpus : public ::testing::Test {
protected:
    ScratchDir dir;
};

// A private copy of a corpus image; skips the test when the corpus is absent.
#define CORPUS_IMAGE(var, name)                              \
    const std::string var = testing::corpus_copy(dir, name); \
    if (var.empty()) GTEST_SKIP() << "corpus image absent: " << name

// The volumes hfsutils reads: every folder lists as hls lists it.
struct ComparedImage {
    const char* file;
    int hfsPartition;  // hfsutils' partition number, 0 for none
    bool onlyTheRoot;  // an empty volume: one folder to compare
};

class ListingLikeHls : public ListingCorpus, public ::testing::WithParamInterface<ComparedImage> {};

TEST_P(ListingLikeHls, EveryFolderListsAsHlsListsIt) {
    CORPUS_IMAGE(image, GetParam().file);
    const std::size_t folders = expect_same_listings(dir, image, GetParam().hfsPartition);
    EXPECT_TRUE(GetParam().onlyTheRoot ? folders == 1 : folders >= 1) << folders << " folders";
}

INSTANTIATE_TEST_SUITE_P(
        Corpus, ListingLikeHls,
        ::testing::Values(ComparedImage{"macos1995-floppy1440-19docs.img", 0,
                                        false},  // an index node, a fragmented desktop file
                          ComparedImage{"linuxkernel-floppy1440-dirty-1file.img", 0, false},  // a file thread
                          ComparedImage{"hformat-floppy1440-empty.img", 0, true},
                          ComparedImage{"macos-blank800k.dsk", 0, true},
                          ComparedImage{"mkisofs-hybrid-noapm.iso", 0, false},  // a hybrid CD without a map
                          ComparedImage{"mkisofs-hybrid-apm.iso", 1, false}));

TEST_F(ListingCorpus, HybridCdWhoseMapStatesTheWrongBlockSize) {
    // Block 0 says 2048 bytes per block, the map and the drive use 512: the
    // drive wins and the volume opens where the map puts it.
    CORPUS_IMAGE(image, "mkisofs-hybrid-apm-ddr2048.iso");
    CORPUS_IMAGE(reference, "mkisofs-hybrid-apm.iso");
    std::string output, expected;
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "-c", "DIR"}, &output), 0);
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), reference, "-c", "DIR"}, &expected), 0);
    EXPECT_FALSE(split_listings(output).empty());
    EXPECT_EQ(output, expected);
}

// hfsutils refuses volumes below 800K: what they hold is known from their makers.
TEST_F(ListingCorpus, MacOs400kFloppyWithCatalogInTwoExtents) {
    CORPUS_IMAGE(image, "macos-blank400k.dsk");
    std::string output;
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "-c", "DIR"}, &output), 0);
    const auto listed = split_listings(output);
    ASSERT_EQ(listed.size(), 1u);
    ASSERT_EQ(listed[0].entries.size(), 1u);
    const ListedEntry desktop = parse_korvane_line(listed[0].entries[0], true);
    EXPECT_EQ(desktop.name, "Desktop");
    EXPECT_EQ(desktop.signature, "FNDRERIK");
    EXPECT_EQ(desktop.size, "0");
    EXPECT_EQ(desktop.rsrc, "321");
}

TEST_F(ListingCorpus, CheckFindsNothingOnAnyVolume) {
    const std::filesystem::path corpus = KORVANE_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int checked = 0;
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        if (file.path().extension() == ".md") continue;
        SCOPED_TRACE(file.path().filename().string());
        std::string output;
        EXPECT_EQ(run_program(dir.path(), {korvane_cmd(), file.path().string() + ",ro", "-c", "CHECK"}, &output), 0);
        EXPECT_EQ(output, "No problems found.\n");
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(ListingCorpus, EmptyNewfsHfsVolumeWith2048ByteBlocks) {
    CORPUS_IMAGE(image, "newfs_hfs-600k-alloc2048-empty.img");
    std::string output;
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "-c", "DIR"}, &output), 0);
    const auto listed = split_listings(output);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].entries.empty());
    EXPECT_NE(output.find("[No file]"), std::string::npos);
}

}  // namespace
}  // namespace korvane::e2e
