// CHECK on sound volumes (made by hfsutils, and the corpus made by Mac OS
// and others) finds nothing; on damaged copies it names each fault.
#include <gtest/gtest.h>

#include <filesystem>

#include "hfs/volume_check.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane {
namespace {

using testing::HfsVolume;
using testing::OpenedVolume;
using testing::readWhole;
using testing::ScratchDir;

std::vector<std::string> problemsOf(const std::string& imageSpec) {
    OpenedVolume volume(imageSpec);
    EXPECT_EQ(volume.open(), CatalogOpen::Complete);
    EXPECT_TRUE(openExtentsTree(volume.ctx));
    const CheckReport report = checkVolume(volume.ctx);
    std::vector<std::string> problems = report.problems();
    if (report.unlisted() > 0) problems.push_back("(more)");
    return problems;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// A volume with nested folders, many files, resource forks, a fragmented
// file with extents-overflow records and a catalog beyond its three extents.
class SoundVolume : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDir;
        HfsVolume volume(*dir_, "sound.img", 800);
        volume.addFolder(":Letters");
        volume.addFolder(":Letters:Old");
        volume.addFolder(":Letters:Old:Older");
        volume.addFolder(":Empty");
        for (int i = 0; i < 30; ++i) volume.addFile(":Letters:Old:note " + std::to_string(i), std::string(i * 300, 'n'));
        const std::string small = *dir_ / "small";
        std::ofstream(small) << "s";
        std::vector<std::string> args = {"hcopy", "-r"};
        for (int i = 0; i < 120; ++i) {
            args.push_back(*dir_ / ("s" + std::to_string(i)));
            std::filesystem::copy_file(small, args.back());
        }
        args.push_back(":");
        EXPECT_EQ(volume.tool(args), 0);
        for (int i = 0; i < 120; i += 2) volume.remove(":s" + std::to_string(i));
        volume.addFile(":Letters:Big", std::string(200 * 1024, 'b'));
        volume.tool({"humount"});
        image_ = new std::string(volume.image());
    }
    static void TearDownTestSuite() {
        delete image_;
        delete dir_;
    }

    static ScratchDir* dir_;
    static std::string* image_;
};

ScratchDir* SoundVolume::dir_ = nullptr;
std::string* SoundVolume::image_ = nullptr;

TEST_F(SoundVolume, NothingIsFound) { EXPECT_EQ(joined(problemsOf(*image_)), ""); }

TEST(CheckCorpus, EveryBareVolumeIsSound) {
    const std::filesystem::path corpus = KORVANE_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        const std::string head = readWhole(file.path().string()).substr(0, 1026);
        if (head.size() < 1026 || head.compare(1024, 2, "BD") != 0) continue;
        SCOPED_TRACE(file.path().filename().string());
        EXPECT_EQ(joined(problemsOf(file.path().string() + ",ro")), "");
    }
}

}  // namespace
}  // namespace korvane
