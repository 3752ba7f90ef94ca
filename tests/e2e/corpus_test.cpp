// Volumes that other software made (Mac OS itself, the Linux kernel,
// genisoimage, newfs_hfs), each read from a private copy: korvane-cmd lists
// every folder as hls does and copies every file out in the three copy modes
// as hcopy extracts it, or, where hfsutils cannot read the volume, shows
// what the volume is known to hold.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/transfer/copy_oracle.h"

namespace korvane::e2e {
namespace {

using testing::corpus_copy;

class Corpus : public ::testing::Test {
protected:
    ScratchDir dir;
};

// A private copy of a corpus image; skips the test when the corpus is absent.
#define CORPUS_IMAGE(var, name)                     \
    const std::string var = corpus_copy(dir, name); \
    if (var.empty()) GTEST_SKIP() << "corpus image absent: " << name

struct ComparedImage {
    const char* file;
    int hfsPartition;  // hfsutils' partition number, 0 for none
    bool onlyTheRoot;  // an empty volume: one folder to compare
};

class CorpusLikeHfsutils : public Corpus, public ::testing::WithParamInterface<ComparedImage> {};

TEST_P(CorpusLikeHfsutils, EveryFolderListsAsHlsAndEveryFileCopiesAsHcopyInEveryMode) {
    CORPUS_IMAGE(image, GetParam().file);
    // hfsutils rewrites the header of what it mounts: Korvane copies from the untouched image.
    const std::string for_hcopy = dir / "hcopy.img";
    std::filesystem::copy_file(image, for_hcopy);
    const std::vector<MacFile> files = extract_with_hcopy(dir, for_hcopy, GetParam().hfsPartition);
    std::size_t compared = 0;
    for (CopyMode mode : {CopyMode::Data, CopyMode::Resource, CopyMode::MacBinary})
        if (!files.empty()) compared += expect_same_copies(dir, image, files, mode);  // else COPY * matches nothing
    EXPECT_GE(compared, files.size());  // every file at least as MacBinary

    const std::size_t folders = expect_same_listings(dir, image, GetParam().hfsPartition);
    EXPECT_TRUE(GetParam().onlyTheRoot ? folders == 1 : folders >= 1) << folders << " folders";
}

INSTANTIATE_TEST_SUITE_P(
        Images, CorpusLikeHfsutils,
        ::testing::Values(ComparedImage{"macos1995-floppy1440-19docs.img", 0,
                                        false},  // an index node, a fragmented desktop file
                          ComparedImage{"linuxkernel-floppy1440-dirty-1file.img", 0, false},  // a file thread
                          ComparedImage{"hformat-floppy1440-empty.img", 0, true},
                          ComparedImage{"macos-blank800k.dsk", 0, true},
                          ComparedImage{"mkisofs-hybrid-noapm.iso", 0, false},  // a hybrid CD without a map
                          ComparedImage{"mkisofs-hybrid-apm.iso", 1, false}),
        [](const auto& info) {
            std::string name = info.param.file;
            for (char& c : name)
                if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
            return name;
        });

TEST_F(Corpus, HybridCdWhoseMapStatesTheWrongBlockSize) {
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
TEST_F(Corpus, SmallVolumesListWhatTheirMakersPutOnThem) {
    const std::pair<const char*, std::vector<ListedEntry>> cases[] = {
            // a catalog in two extents
            {"macos-blank400k.dsk", {{false, "Desktop", "0", "321", "FNDRERIK", 0, 0, ""}}},
            // 2048-byte allocation blocks
            {"newfs_hfs-600k-alloc2048-empty.img", {}},
    };
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file);
        CORPUS_IMAGE(image, file);
        std::string output;
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "-c", "DIR"}, &output), 0);
        const auto listed = split_listings(output);
        ASSERT_EQ(listed.size(), 1u);
        std::vector<ListedEntry> entries;
        for (const std::string& line : listed[0].entries) {
            entries.push_back(parse_korvane_line(line, true));
            entries.back().month = entries.back().day = 0;  // dates as the maker left them
            entries.back().timeOrYear.clear();
        }
        EXPECT_EQ(entries, expected);
        EXPECT_EQ(output.find("[No file]") != std::string::npos, expected.empty());
    }
}

TEST_F(Corpus, CheckFindsNothingOnAnyVolume) {
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

}  // namespace
}  // namespace korvane::e2e
