// korvane-cmd lists every folder of volumes made by hfsutils exactly as hls
// reports them: names, data and resource lengths, type and creator, dates and
// the folders they hold. The volumes are bare or two to a medium in a
// partition map written by the test, and large enough for index nodes; and
// what korvane-cmd says of media it cannot open whenever a command needs a
// volume.
//
// korvane-cmd copies every file of volumes made by hfsutils to the PC in the
// three copy modes; each PC file is compared with what hcopy extracts.
// Volumes that other software made (Mac OS itself, the Linux kernel,
// genisoimage, newfs_hfs), each read from a private copy, are listed as hls
// lists them and copied as hcopy extracts them, or, where hfsutils cannot
// read the volume, show what the volume is known to hold.

#include <fcntl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/hfs/check_fixture.h"
#include "tests/support/disk_copy_builder.h"
#include "tests/transfer/copy_oracle.h"
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

    // korvane-cmd on the volume with the arguments; its exit status.
    int korvane(const std::vector<std::string>& args, std::string* out = nullptr) const {
        std::vector<std::string> all = {korvane_cmd(), image};
        all.insert(all.end(), args.begin(), args.end());
        return run_program(dir.path(), all, out);
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
    const std::string out = dir / "pc", log = dir / "copies.log";
    std::filesystem::create_directories(out);
    ASSERT_EQ(korvane({"/L:" + log, "--pc-dir", out, "-c", "COPY /D L*", "-c", "OPTIONS SHORT", "-c", "COPY /F *"}), 0);
    EXPECT_EQ(read_all(out + "/Letters/Mum.txt"), "dear mum");  // the pattern took the folder
    EXPECT_EQ(read_all(out + "/PLAINTEX.txt"), "one line\n");   // then short names, files only
    EXPECT_EQ(read_all(out + "/BOTHFORK.com"), std::string(129, 'd'));
    EXPECT_FALSE(std::filesystem::exists(out + "/LETTERS"));
    const std::string text = read_all(log);
    for (const char* line :
         {"Copying directory \"Letters\" to \"Letters\"\r\n", "Mum.txt\tMum.txt\r\n", "Plain text\tPLAINTEX.txt\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

// CHECK prints one line per problem on standard output, then its verdict, and writes nothing.
TEST_F(CopyVolumes, CheckFindsNothingThenNamesAWrongFileCount) {
    std::string output;
    ASSERT_EQ(korvane({"-c", "CHECK"}, &output), 0);
    EXPECT_EQ(output, "No problems found.\n");
    std::string bytes = read_all(image);
    bytes[1024 + 0x0D] = static_cast<char>(bytes[1024 + 0x0D] + 2);  // drNmFls, low byte
    std::ofstream(image, std::ios::binary) << bytes;
    korvane({"-c", "CH"}, &output);
    EXPECT_EQ(output,
              "The volume header counts 7 files in the root folder (drNmFls), the catalog holds 5.\n"
              "1 problem found.\n");
    EXPECT_EQ(read_all(image), bytes);
}

// Renaming on the fly in korvane-cmd: --yes accepts each proposed name;
// with nobody at a terminal every file is skipped.
TEST_F(CopyVolumes, RenamingOnTheFlyOnTheConsole) {
    const std::string accepted = dir / "accepted", skipped = dir / "skipped";
    std::filesystem::create_directories(accepted);
    std::filesystem::create_directories(skipped);
    ASSERT_EQ(korvane({"--yes", "--pc-dir", accepted, "-c", "OPTIONS ASK", "-c", "COPY /D \"Plain text\""}), 0);
    EXPECT_EQ(read_all(accepted + "/Plain text"), "one line\n");
    ASSERT_EQ(korvane({"--pc-dir", skipped, "-c", "OPTIONS ASK", "-c", "COPY /D *"}), 0);
    EXPECT_TRUE(std::filesystem::is_directory(skipped + "/Letters"));
    EXPECT_FALSE(std::filesystem::exists(skipped + "/Letters/Mum.txt"));
    EXPECT_FALSE(std::filesystem::exists(skipped + "/Plain text"));
}

// Floppies archived as DiskCopy 4.2 images (built here around volumes of
// hformat) list and copy exactly as the same volumes do as raw images, and
// the bus scan shows each as a removable direct-access drive.
TEST(DiskCopyImages, ListAndCopyLikeTheRawVolume) {
    for (const std::uint32_t kilobytes : {800u, 1440u}) {
        SCOPED_TRACE(kilobytes);
        ScratchDir dir;
        HfsutilsVolume volume(dir, "raw.hda", kilobytes, "Floppy");
        volume.add_text_file(":Read me", "on a floppy\r");
        volume.add_folder(":Letters");
        volume.add_forked_file(":Letters:", "Both forks", "APPL", "Korv", std::string(5000, 'd'),
                               std::string(700, 'r'));
        std::string big(200 * 1024 + 3, '\0');
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 11 + i / 509);
        volume.addFile(":Letters:Big", big, "BINA", "????");
        volume.unmount();
        const std::string raw = volume.image(), image = dir / "Floppy disk.image";
        korvane::testing::DiskCopyFields fields;  // 800K GCR with tags, or 1440K MFM without
        fields.diskFormat = kilobytes == 800 ? 1 : 3;
        if (kilobytes == 800) fields.tags = korvane::testing::disk_copy_tags(kilobytes * 2);
        std::ofstream(image, std::ios::binary) << korvane::testing::disk_copy_image(read_all(raw), fields);

        std::string scan, fromRaw, fromImage;
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image, "--scan"}, &scan), 0);
        EXPECT_NE(scan.find("0\t0\t0\tKORVANE\tFloppy disk.imag\t1.0\n"), std::string::npos) << scan;
        const std::string script = dir / "walk.txt";
        std::ofstream(script, std::ios::binary) << walking_script(folders_by_hls(dir, raw, 0));
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), raw}, &fromRaw, script), 0);
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), image}, &fromImage, script), 0);
        EXPECT_EQ(split_listings(fromImage).size(), 2u);
        EXPECT_EQ(fromImage, fromRaw);

        const std::vector<MacFile> files = extract_with_hcopy(dir, raw, 0);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(expect_same_copies(dir, image, files, CopyMode::MacBinary), 3u);
    }
}

// Everything that MacBinary carries of each file, by its name, as hcopy -m
// writes it: name, type, creator, Finder flags, lengths, dates and both forks.
std::map<std::string, std::string> carried(const std::vector<MacFile>& files) {
    std::map<std::string, std::string> by_path;
    for (const MacFile& file : files) {
        const std::string& bin = file.macbinary;
        by_path[file.name] = bin.substr(1, 74) + bin.substr(83, 16) + bin[101] + file.data + file.resource();
    }
    return by_path;
}

// COPY /B writes MacBinary that hcopy -m takes, and MCOPY /B reads it, and
// what hcopy -m wrote, onto fresh volumes: each gives back every file as it was.
TEST_F(CopyVolumes, MacBinaryBothWays) {
    const std::string ours = dir / "ours", theirs = dir / "theirs";
    std::filesystem::create_directories(ours);
    std::filesystem::create_directories(theirs);
    ASSERT_EQ(korvane({"--pc-dir", ours, "-c", "COPY /B /F *", "-c", "CD Letters", "-c", "COPY /B /F *", "-c", "CD Old",
                       "-c", "COPY /B *"}),
              0);
    for (std::size_t i = 0; i < files.size(); ++i)
        std::ofstream(theirs + "/" + std::to_string(i) + ".bin", std::ios::binary) << files[i].macbinary;

    HfsutilsVolume by_hcopy(dir, "by_hcopy.img", 2048, "Hcopy");
    for (const auto& entry : std::filesystem::directory_iterator(ours))
        EXPECT_EQ(by_hcopy.tool({"hcopy", "-m", entry.path().string(), ":"}), 0) << entry.path();
    by_hcopy.unmount();
    std::vector<std::string> images = {by_hcopy.image()};
    for (const std::string& pc : {ours, theirs}) {
        HfsutilsVolume volume(dir, "mcopy.img" + std::to_string(images.size()), 2048, "Mcopy");
        volume.unmount();
        ASSERT_EQ(run_program(dir.path(), {korvane_cmd(), volume.image(), "--pc-dir", pc, "-c", "MCOPY /B *"}), 0);
        EXPECT_EQ(testing::check_problems(volume.image()), "");
        images.push_back(volume.image());
    }
    for (const std::string& image_back : images)
        EXPECT_EQ(carried(extract_with_hcopy(dir, image_back, 0)), carried(files)) << image_back;
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
    const std::time_t stamp = 981173106;  // 2001-02-03 04:05:06 UTC; the child runs with TZ=UTC
    const timespec times[2] = {{stamp, 0}, {stamp, 0}};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pc))
        utimensat(AT_FDCWD, entry.path().c_str(), times, 0);

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
