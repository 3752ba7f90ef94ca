// korvane-cmd lists every folder of volumes made by hfsutils exactly as hls
// reports them: names, data and resource lengths, type and creator, dates and
// the folders they hold. The volumes are bare or two to a medium in a
// partition map written by the test, and large enough for index nodes; and
// what korvane-cmd says of media it cannot open whenever a command needs a
// volume.

#include <gtest/gtest.h>

#include "tests/e2e/listing_fixture.h"
#include "tests/volume/medium_builder.h"
#include "util/byte_order.h"

namespace korvane::e2e {
namespace {

// Folders, files with both forks, types and creators, Mac Roman accented
// names and the characters whose order Mac OS fixes in its own way.
void fill_mixed_volume(HfsutilsVolume& volume) {
    volume.add_folder(":Letters");
    volume.add_folder(":Projects");
    volume.add_folder(":Projects:Archive");
    volume.add_folder(":Projects:Archive:Deep");
    volume.add_folder(":Empty");
    volume.add_folder(std::string(":Sc\x8fnes"));
    volume.add_text_file(":ReadMe", "Welcome\r");
    volume.addFile(":Letters:Lettre \x88 Fran\x8doise", "Dear Fran\x8doise\r", "TEXT", "MSWD");
    volume.add_text_file(":Letters:R\x8esum\x8e", "CV\r");
    volume.add_text_file(":Letters:resume", "cv\r");
    volume.add_text_file(":Letters:RESUME 2", "CV 2\r");
    volume.add_forked_file(":", "Caf\x8e Men\x9f", "TEXT", "ttxt", "Coffee 2.00\r", std::string(700, 'R'));
    volume.add_forked_file(":Projects:", "Tool", "APPL", "KRVN", "", std::string(3000, 'C'));
    volume.add_forked_file(std::string(":Sc\x8fnes:"), "Fa\215ade", "PICT", "8BIM", std::string(12000, 'P'), "preview");
    // Characters whose weights differ from plain code order.
    for (const char* name : {"Stra\247e", "Strasse", "Stz", "[bracket]", "x]y", "Zebra", "\xe5gal", "Agal",
                             "no\312break", "no break", "\x80rger", "Arger", "Brot"}) {
        volume.add_text_file(std::string(":Projects:Archive:") + name, name);
    }
    volume.addFile(":Projects:Archive:Deep:Bottom", std::string(5000, 'b'), "BINA", "????");
}

class ListingVolumes : public ::testing::Test {
protected:
    ScratchDir dir;
};

TEST_F(ListingVolumes, BareVolumeListsLikeHls) {
    HfsutilsVolume volume(dir, "bare.hda", 2048, "Korvane D\x8emo");
    fill_mixed_volume(volume);
    volume.unmount();
    EXPECT_EQ(expect_same_listings(dir, volume.image(), 0), 7u);

    // The header names the volume, converted to UTF-8 (a listing starts at "KB free : ").
    std::string output;
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), volume.image(), "-c", "DIR"}, &output), 0);
    const auto listed = split_listings(output);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].header[2], " Vol: Korvane D\xc3\xa9mo");
}

TEST_F(ListingVolumes, SecondOfTwoPartitionsChosenOnTheCommandLine) {
    HfsutilsVolume first(dir, "first.img", 800, "First");
    first.add_text_file(":Only in first", "1");
    first.unmount();
    HfsutilsVolume second(dir, "second.img", 1600, "Second");
    fill_mixed_volume(second);
    second.unmount();
    const std::string medium = dir / "two.hda";
    korvane::testing::write_partitioned_medium(
            medium, 4u << 20, 512, 512,
            {{"First", "Apple_HFS", 64, 1600, first.image()}, {"Second", "Apple_HFS", 1664, 3200, second.image()}});
    EXPECT_EQ(expect_same_listings(dir, medium, 2, {"--partition", "1"}), 7u);
    EXPECT_EQ(expect_same_listings(dir, medium, 1, {"--partition", "0"}), 1u);
}

// A catalog of more than 2048 nodes (the most its header's map record can
// allocate) is still read to its end: every one of 9000 files is listed, in
// leaves split unevenly (the names come in an order that is not the catalog's).
TEST_F(ListingVolumes, CatalogBeyondTwoThousandFortyEightNodes) {
    HfsutilsVolume volume(dir, "large.hda", 40960, "Large");
    volume.add_folder(":Crowd");
    volume.add_folder(":Crowd:Inner");
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 9000; ++i) {
        const int n = (i * 37) % 9000;
        files.emplace_back("File " + std::to_string(n) + (n % 3 ? "" : " \x8e"), std::string(n % 420, 'x'));
    }
    volume.add_files(":Crowd:", files);
    volume.add_files(":Crowd:Inner:", {{"Item 1", "i"}, {"Item 2", "i"}});
    volume.unmount();
    const std::string header = read_all(volume.image()).substr(1024, 512);
    ASSERT_GT(load_be32(reinterpret_cast<const std::uint8_t*>(header.data()) + 0x92) / 512, 2048u);  // drCTFlSize
    EXPECT_EQ(expect_same_listings(dir, volume.image(), 0), 3u);
}

TEST(NoVolume, KorvaneCmdSaysWhyNoVolumeIsOpen) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "good.img", 800, "Good");
    volume.unmount();
    const std::string& image = volume.image();
    const std::vector<std::uint8_t> good = testing::file_bytes(image);
    auto with_block_size = [&](std::uint32_t size) {
        std::vector<std::uint8_t> bytes = good;
        store_be32(bytes.data() + 1024 + 0x14, size);
        const std::string path = dir / ("block" + std::to_string(size) + ".img");
        testing::write_at(path, 0, bytes);
        return path;
    };
    const std::string twoPartitions = dir / "two.hda";
    testing::write_partitioned_medium(twoPartitions, 4 << 20, 512, 512,
                                      {{"One", "Apple_HFS", 64, 1600, image}, {"Two", "Apple_HFS", 1664, 1600, image}});

    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* reason;
    };
    const std::vector<Case> cases = {
            {"header unreadable", {image + ",bad=2"}, "The volume header cannot be read"},
            {"block size 0", {with_block_size(0)}, "allocation blocks of 0 bytes"},
            {"block size 513", {with_block_size(513)}, "allocation blocks of 513 bytes"},
            {"block size 1000", {with_block_size(1000)}, "allocation blocks of 1000 bytes"},
            {"2048-byte sectors", {image + ",sector=2048"}, "sectors of 2048 bytes are not supported"},
            {"two images", {image, with_block_size(512)}, "No drive was chosen"},
            {"two partitions", {twoPartitions}, "--partition N"},
    };
    for (Case c : cases) {
        c.args.insert(c.args.end(), {"-c", "DIR", "-c", "COPY *"});
        const std::string errors = run_korvane_cmd(dir.path(), c.args).err;
        EXPECT_NE(errors.find("No Macintosh volume is open. "), std::string::npos) << c.name << ": " << errors;
        EXPECT_NE(errors.find(c.reason), std::string::npos) << c.name << ": " << errors;
    }
    // With -v the status line gives the same reason, not "not a Macintosh volume".
    const std::string verbose = run_korvane_cmd(dir.path(), {twoPartitions, "-v", "-c", "DIR"}).err;
    EXPECT_EQ(verbose.find("This is not a Macintosh volume."), std::string::npos) << verbose;
}

}  // namespace
}  // namespace korvane::e2e
