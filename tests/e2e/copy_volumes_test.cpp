// korvane-cmd copies every file of volumes made by hfsutils to the PC in the
// three copy modes; each PC file is compared with what hcopy extracts.

#include <fcntl.h>

#include <gtest/gtest.h>

#include "tests/hfs/check_fixture.h"
#include "tests/support/disk_copy_builder.h"
#include "tests/transfer/copy_oracle.h"

namespace korvane::e2e {
namespace {

class CopyVolumes : public ::testing::Test {
protected:
    void SetUp() override {
        HfsutilsVolume volume(dir, "copies.img", 4096, "Copies");
        volume.add_text_file(":Plain text", "one line\n");
        volume.addFile(":R\x8Esum\x8E", "accented\n", "WDBN", "MSWD");
        volume.add_forked_file(":", "Both forks", "APPL", "Korv", std::string(129, 'd'), "RESOURCE10");
        volume.add_forked_file(":", "Only resources", "rsrc", "RSED", "", std::string(300, 'r'));
        volume.add_text_file(":Empty", "");
        volume.add_folder(":Letters");
        volume.add_text_file(":Letters:Mum.txt", "dear mum");
        volume.add_folder(":Letters:Old");
        volume.add_forked_file(":Letters:Old:", "Gran", "TEXT", "ttxt", "dear gran", "gran's resources");
        // Big enough for several runs of 64 sectors and an odd tail.
        std::string big(300 * 1024 + 77, '\0');
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 511);
        volume.addFile(":Letters:Big", big, "BINA", "????");
        volume.unmount();
        image = volume.image();
        files = extract_with_hcopy(dir, image, 0);
        ASSERT_EQ(files.size(), 8u);
    }

    ScratchDir dir;
    std::string image;
    std::vector<MacFile> files;
};

TEST_F(CopyVolumes, EveryModeMatchesHcopyAndAccentedNamesBecomeUtf8) {
    EXPECT_EQ(expect_same_copies(dir, image, files, CopyMode::Resource), 3u);
    EXPECT_EQ(expect_same_copies(dir, image, files, CopyMode::MacBinary), 8u);
    EXPECT_EQ(expect_same_copies(dir, image, files, CopyMode::Data), 6u);
    EXPECT_EQ(read_all(dir / "outD/R\xC3\xA9sum\xC3\xA9.doc"), "accented\n");
    EXPECT_EQ(read_all(dir / "outD/Letters/Old/Gran.txt"), "dear gran");
}

TEST_F(CopyVolumes, PatternsFilesOnlyShortNamesAndTheLog) {
    const std::string out = dir / "pc";
    std::filesystem::create_directories(out);
    const std::string log = dir / "copies.log";
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "/L:" + log, "--pc-dir", out, "-c", "COPY /D L*", "-c",
                                       "OPTIONS SHORT", "-c", "COPY /F *"}),
              0);
    EXPECT_EQ(read_all(out + "/Letters/Mum.txt"), "dear mum");  // the pattern took the folder
    EXPECT_EQ(read_all(out + "/PLAINTEX.txt"), "one line\n");   // then short names, files only
    EXPECT_EQ(read_all(out + "/BOTHFORK.com"), std::string(129, 'd'));
    EXPECT_FALSE(std::filesystem::exists(out + "/LETTERS"));
    const std::string text = read_all(log);
    EXPECT_NE(text.find("Copying directory \"Letters\" to \"Letters\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Mum.txt\tMum.txt\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Plain text\tPLAINTEX.txt\r\n"), std::string::npos) << text;

    // Two more disks with the same names into the same folder: each run
    // numbers from the start again, and still every earlier file stays.
    auto files_in = [&out] {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(out)) count += entry.is_regular_file();
        return count;
    };
    const std::size_t first_disk = files_in();
    for (int disk = 0; disk < 2; ++disk)
        ASSERT_EQ(run_program(dir.path(),
                              {korvane_cmd(), image, "--pc-dir", out, "-c", "OPTIONS SHORT", "-c", "COPY /F *"}),
                  0);
    EXPECT_EQ(files_in(), 3 * first_disk);
    EXPECT_EQ(read_all(out + "/PLAINTEX.txt"), "one line\n");
}

// CHECK prints one line per problem on standard output, then its verdict.
TEST_F(CopyVolumes, CheckFindsNothingThenNamesAWrongFileCount) {
    std::string output;
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "-c", "CHECK"}, &output), 0);
    EXPECT_EQ(output, "No problems found.\n");
    std::string bytes = read_all(image);
    bytes[1024 + 0x0D] = static_cast<char>(bytes[1024 + 0x0D] + 2);  // drNmFls, low byte
    std::ofstream(image, std::ios::binary) << bytes;
    run_program(dir.path(), {korvane_cmd(), image, "-c", "CH"}, &output);
    EXPECT_EQ(output,
              "The volume header counts 7 files in the root folder (drNmFls), the catalog holds 5.\n"
              "1 problem found.\n");
    EXPECT_EQ(read_all(image), bytes);  // nothing written
}

// Renaming on the fly in korvane-cmd: --yes accepts each proposed name;
// with nobody at a terminal every file is skipped.
TEST_F(CopyVolumes, RenamingOnTheFlyOnTheConsole) {
    const std::string accepted = dir / "accepted", skipped = dir / "skipped";
    std::filesystem::create_directories(accepted);
    std::filesystem::create_directories(skipped);
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "--yes", "--pc-dir", accepted, "-c", "OPTIONS ASK", "-c",
                                       "COPY /D \"Plain text\""}),
              0);
    EXPECT_EQ(read_all(accepted + "/Plain text"), "one line\n");
    ASSERT_EQ(run_program(dir.path(),
                          {korvane_cmd(), image, "--pc-dir", skipped, "-c", "OPTIONS ASK", "-c", "COPY /D *"}),
              0);
    EXPECT_TRUE(std::filesystem::is_directory(skipped + "/Letters"));
    EXPECT_FALSE(std::filesystem::exists(skipped + "/Letters/Mum.txt"));
    EXPECT_FALSE(std::filesystem::exists(skipped + "/Plain text"));
}

// Floppies archived as DiskCopy 4.2 images (built here around volumes of
// hformat) list and copy exactly as the same volumes do as raw images, and
// the bus scan shows each as a removable direct-access drive.
TEST(DiskCopyImages, ListAndCopyLikeTheRawVolume) {
    struct Floppy {
        std::uint32_t kilobytes;
        std::uint8_t diskFormat;
        std::uint8_t formatByte;
        bool tags;
    };
    for (const Floppy floppy : {Floppy{800, 1, 0x22, true}, Floppy{1440, 3, 0x22, false}}) {
        SCOPED_TRACE(floppy.kilobytes);
        ScratchDir dir;
        HfsutilsVolume volume(dir, "raw.hda", floppy.kilobytes, "Floppy");
        volume.add_text_file(":Read me", "on a floppy\r");
        volume.add_folder(":Letters");
        volume.add_forked_file(":Letters:", "Both forks", "APPL", "Korv", std::string(5000, 'd'),
                               std::string(700, 'r'));
        std::string big(200 * 1024 + 3, '\0');
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 11 + i / 509);
        volume.addFile(":Letters:Big", big, "BINA", "????");
        volume.unmount();
        const std::string raw = volume.image();
        korvane::testing::DiskCopyFields fields;
        fields.diskFormat = floppy.diskFormat;
        fields.formatByte = floppy.formatByte;
        if (floppy.tags) fields.tags = korvane::testing::disk_copy_tags(floppy.kilobytes * 2);
        const std::string image = dir / "Floppy disk.image";
        std::ofstream(image, std::ios::binary) << korvane::testing::disk_copy_image(read_all(raw), fields);

        std::string scan;
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "--scan"}, &scan), 0);
        EXPECT_NE(scan.find("0\t0\t0\tKORVANE\tFloppy disk.imag\t1.0\n"), std::string::npos) << scan;

        std::vector<FolderListing> folders;
        ASSERT_EQ(run_program(dir.path(), {"hmount", raw}), 0);
        walk_with_hls(dir.path(), {":", {}, {}}, folders);
        run_program(dir.path(), {"humount"});
        const std::string script = dir / "walk.txt";
        std::ofstream(script, std::ios::binary) << walking_script(folders);
        std::string fromRaw, fromImage;
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), raw}, &fromRaw, script), 0);
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image}, &fromImage, script), 0);
        EXPECT_EQ(split_listings(fromImage).size(), 2u);
        EXPECT_EQ(fromImage, fromRaw);

        const std::vector<MacFile> files = extract_with_hcopy(dir, raw, 0);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(expect_same_copies(dir, image, files, CopyMode::MacBinary), 3u);
    }
}

// Finds the file of that raw Macintosh name, or fails the test.
const MacFile& named(const std::vector<MacFile>& files, const std::string& name) {
    for (const MacFile& file : files)
        if (file.name == name) return file;
    ADD_FAILURE() << name << " missing";
    return files.front();
}

// Everything that MacBinary carries, as hcopy -m writes it: name, type,
// creator, Finder flags, lengths, dates and both forks.
void expect_same_file(const MacFile& copied, const MacFile& original) {
    const std::string& ours = copied.macbinary;
    const std::string& theirs = original.macbinary;
    EXPECT_EQ(ours.substr(1, 74), theirs.substr(1, 74)) << original.name;
    EXPECT_EQ(ours.substr(83, 16), theirs.substr(83, 16)) << original.name;
    EXPECT_EQ(ours[101], theirs[101]) << original.name;
    EXPECT_EQ(copied.data, original.data) << original.name;
    EXPECT_EQ(copied.resource(), original.resource()) << original.name;
}

// COPY /B writes MacBinary that hcopy -m takes, and MCOPY /B reads it back
// onto a fresh volume: both give back every file as it was.
TEST_F(CopyVolumes, MacBinaryBothWays) {
    const std::string out = dir / "bin";
    std::filesystem::create_directories(out);
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "--pc-dir", out, "-c", "COPY /B /F *", "-c", "CD Letters",
                                       "-c", "COPY /B /F *", "-c", "CD Old", "-c", "COPY /B *"}),
              0);

    HfsutilsVolume theirs(dir, "theirs.img", 2048, "Theirs");
    for (const auto& entry : std::filesystem::directory_iterator(out))
        EXPECT_EQ(theirs.tool({"hcopy", "-m", entry.path().string(), ":"}), 0) << entry.path();
    theirs.unmount();
    HfsutilsVolume ours(dir, "ours.img", 2048, "Ours");
    ours.add_folder(":In");
    ours.unmount();
    ASSERT_EQ(
            run_program(dir.path(), {korvane_cmd(), ours.image(), "--pc-dir", out, "-c", "CD In", "-c", "MCOPY /B *"}),
            0);
    EXPECT_EQ(testing::check_problems(ours.image()), "");

    // And the MacBinary files that hcopy -m wrote.
    const std::string hcopied = dir / "hcopied";
    std::filesystem::create_directories(hcopied);
    for (std::size_t i = 0; i < files.size(); ++i)
        std::ofstream(hcopied + "/" + std::to_string(i) + ".bin", std::ios::binary) << files[i].macbinary;
    HfsutilsVolume from_hcopy(dir, "from_hcopy.img", 2048, "Hcopy");
    from_hcopy.unmount();
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), from_hcopy.image(), "--pc-dir", hcopied, "-c", "MCOPY /B *.BIN"}),
              0);
    EXPECT_EQ(testing::check_problems(from_hcopy.image()), "");

    for (const std::string& image_back : {theirs.image(), ours.image(), from_hcopy.image()}) {
        const std::vector<MacFile> back = extract_with_hcopy(dir, image_back, 0);
        ASSERT_EQ(back.size(), files.size()) << image_back;
        for (const MacFile& original : files) expect_same_file(named(back, original.name), original);
    }
}

// A PC tree copied in by MCOPY comes back from hcopy byte for byte, with the
// type table's types and the PC file's date (to the minute).
TEST(CopyToMacVolumes, PcTreeComesBackFromHcopy) {
    ScratchDir dir;
    const std::string pc = dir / "pc";
    std::map<std::string, std::string> expected;  // Macintosh path -> bytes
    auto add = [&](const std::string& pc_path, const std::string& mac_path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(pc + "/" + pc_path).parent_path());
        std::ofstream(pc + "/" + pc_path, std::ios::binary) << bytes;
        expected[mac_path] = bytes;
    };
    std::string binary(70000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 31 + i / 253);
    add("NOTES.TXT", ":Notes.txt", "line one\r\nline two\r\n");
    add("data.bin", ":data.bin", binary);
    add("Empty.txt", ":Empty.txt", "");
    add("R\xC3\xA9sum\xC3\xA9.txt", ":R\x8Esum\x8E.txt", "accented");
    add("Deep/Er/Und/Tiefer/Bottom.txt", ":Deep:Er:Und:Tiefer:Bottom.txt", "at the bottom");
    for (int i = 0; i < 300; ++i) {
        const std::string name = "f" + std::to_string(1000 + i) + ".txt";
        add("Many/" + name, ":Many:" + name,
            std::string(static_cast<std::size_t>(i * 7), static_cast<char>('a' + i % 26)));
    }
    std::tm when{};
    when.tm_year = 101, when.tm_mon = 1, when.tm_mday = 3, when.tm_hour = 4, when.tm_min = 5, when.tm_sec = 6;
    const std::time_t stamp = timegm(&when);  // the child runs with TZ=UTC
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pc)) {
        const timespec times[2] = {{stamp, 0}, {stamp, 0}};
        utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
    }

    HfsutilsVolume volume(dir, "tree.img", 4096, "Tree");
    volume.unmount();
    ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), volume.image(), "--pc-dir", pc, "-c", "MCOPY *"}), 0);
    EXPECT_EQ(testing::check_problems(volume.image()), "");
    const std::vector<MacFile> back = extract_with_hcopy(dir, volume.image(), 0);
    ASSERT_EQ(back.size(), expected.size());
    const std::uint32_t created = fields_to_mac_date(2001, 2, 3, 4, 5);
    for (const MacFile& file : back) {
        ASSERT_TRUE(expected.count(file.hfs_path())) << file.hfs_path();
        EXPECT_EQ(file.data, expected[file.hfs_path()]) << file.hfs_path();
        EXPECT_EQ(file.resource_length(), 0u) << file.hfs_path();
        EXPECT_EQ(file.type_creator(), "TEXT????") << file.hfs_path();
        EXPECT_EQ(file.field32(91), created) << file.hfs_path();
        EXPECT_EQ(file.field32(95), created + 1) << file.hfs_path();
    }
}

}  // namespace
}  // namespace korvane::e2e
