// korvane-cmd copies every file of the volumes other software made (Mac OS
// itself, the Linux kernel, genisoimage) out in the three copy modes; each PC
// file is compared with what hcopy extracts from a private copy of the image.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/transfer/copy_oracle.h"

namespace korvane::e2e {
namespace {

struct CorpusImage {
    const char* file;
    int hfs_partition;  // hfsutils' partition number, 0 for a bare volume
};

class CopyCorpus : public ::testing::TestWithParam<CorpusImage> {};

TEST_P(CopyCorpus, EveryFileInEveryModeMatchesHcopy) {
    const std::filesystem::path source = std::filesystem::path(KORVANE_CORPUS_DIR) / GetParam().file;
    if (!std::filesystem::exists(source)) GTEST_SKIP() << "corpus image absent: " << source;
    ScratchDir dir;
    // hfsutils rewrites the header of what it mounts; Korvane reads the
    // untouched copy.
    const std::string for_hcopy = dir / "hcopy.img", for_korvane = dir / "korvane.img";
    std::filesystem::copy_file(source, for_hcopy);
    std::filesystem::copy_file(source, for_korvane);
    const std::vector<MacFile> files = extract_with_hcopy(dir, for_hcopy, GetParam().hfs_partition);
    std::size_t compared = 0;
    for (CopyMode mode : {CopyMode::Data, CopyMode::Resource, CopyMode::MacBinary})
        compared += expect_same_copies(dir, for_korvane, files, mode);
    EXPECT_GE(compared, files.size());  // every file at least as MacBinary
}

INSTANTIATE_TEST_SUITE_P(Images, CopyCorpus,
                         ::testing::Values(CorpusImage{"macos1995-floppy1440-19docs.img", 0},
                                           CorpusImage{"linuxkernel-floppy1440-dirty-1file.img", 0},
                                           CorpusImage{"macos-blank800k.dsk", 0},
                                           CorpusImage{"mkisofs-hybrid-noapm.iso", 0},
                                           CorpusImage{"mkisofs-hybrid-apm.iso", 1}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace korvane::e2e
