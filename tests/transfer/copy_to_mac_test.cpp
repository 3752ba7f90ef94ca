// Copies from the PC onto volumes made by hfsutils, read back with hcopy and
// checked with CHECK: names, types, the replace question, space, runs beyond
// the catalog record's three, MacBinary that is not, and stops. "Copy PC ->
// Mac" over real PC folders: what the copy is asked for, in which PC
// directory, for each button. The MacBinary header as written and as read.

#include "transfer/copy_to_mac.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "hfs/catalog_search.h"
#include "tests/hfs/check_fixture.h"
#include "tests/transfer/copy_fixture.h"
#include "transfer/copy_to_mac_dialog.h"
#include "transfer/macbinary_header.h"
#include "util/pc_directory.h"

namespace korvane::testing {
namespace {

class CopyToMac : public ::testing::Test {
protected:
    void make_volume(std::uint32_t kilobytes, const std::function<void(HfsutilsVolume&)>& fill = {}) {
        volume = std::make_unique<HfsutilsVolume>(dir, "vol.img", kilobytes, "Target");
        volume->addFile(":Readme.txt", "old");
        volume->add_folder(":Letters");
        if (fill) fill(*volume);
        volume->unmount();
        drive = std::make_unique<OpenedDrive>(volume->image());
        ASSERT_TRUE(drive->opened);
    }
    void SetUp() override { make_volume(800); }

    Context& ctx() { return drive->ctx; }
    ScriptedHost& host() { return drive->host; }
    void set_mode(std::uint16_t mode) {
        ctx().state.option_flags = static_cast<std::uint16_t>((ctx().state.option_flags & ~kCopyModeMask) | mode);
    }
    void pc_file(const std::string& name, const std::string& bytes) {
        std::ofstream(pc / name, std::ios::binary) << bytes;
    }
    // What hcopy -m makes of the Macintosh file (empty when there is none).
    std::string macbinary(const std::string& hfs_path) {
        volume->mount();
        const std::string out = dir / "out.bin";
        std::filesystem::remove(out);
        volume->tool({"hcopy", "-m", hfs_path, out});
        volume->unmount();
        return std::filesystem::exists(out) ? read_all(out) : "";
    }
    std::string data_fork(const std::string& hfs_path) {
        const std::string bin = macbinary(hfs_path);
        return bin.size() < 128 ? ""
                                : bin.substr(128, load_be32(reinterpret_cast<const std::uint8_t*>(bin.data()) + 83));
    }
    bool shown_status(const std::string& text) {
        return std::find(host().statuses.begin(), host().statuses.end(), text) != host().statuses.end();
    }

    ScratchDir dir;
    std::unique_ptr<HfsutilsVolume> volume;
    std::unique_ptr<OpenedDrive> drive;
    PcDestination pc;
};

TEST_F(CopyToMac, ModesNamesTypesAndCounts) {
    pc_file("ARCHIVE.HQX", "(This file must be converted with BinHex 4.0)");
    pc_file("PLAN.XYZ", "resource bytes");
    std::FILE* log = std::tmpfile();
    ctx().log.adopt(log);
    ASSERT_EQ(copy_pc_matching(ctx(), "archive.*"), 0);
    set_mode(kCopyResourceFork);
    ASSERT_EQ(copy_pc_matching(ctx(), "PLAN.XYZ"), 0);
    EXPECT_EQ(copy_pc_matching(ctx(), "NOTHING*"), kNoPcEntry);

    EXPECT_EQ(macbinary(":Archive.hqx").substr(65, 8), "TEXTBNHQ");
    const std::string plan = macbinary(":Plan.xyz");
    EXPECT_EQ(plan.substr(65, 8), "TEXT????");
    EXPECT_EQ(plan.substr(83, 8), std::string("\0\0\0\0\0\0\0\x0E", 8));  // no data, 14 bytes of resources
    EXPECT_EQ(plan.substr(128, 14), "resource bytes");
    EXPECT_TRUE(shown_status("Copy of \"PLAN.XYZ\" to \"Plan.xyz\""));
    std::rewind(log);
    char line[100] = {};
    ASSERT_NE(std::fgets(line, sizeof line, log), nullptr);
    EXPECT_STREQ(line, "ARCHIVE.HQX\tArchive.hqx\r\n");
    EXPECT_FALSE(ctx().outcome.failureReported);
    EXPECT_EQ(check_problems(volume->image()), "");  // counts and valences agree
}

struct ReplaceCase {
    const char* what;
    Choice answer;
    std::size_t pc_bytes;  // of README.TXT
    bool numbered_taken;   // "Readme.txt (007)" exists already
    const char* old_file_after;
    const char* new_file;  // where the copy went, "" for nowhere
    int result;
};

TEST(CopyToMacReplace, TheQuestionsAnswers) {
    const ReplaceCase cases[] = {
            {"No takes the numbered name", Choice::No, 3, false, "old", "Readme.txt (007)", 0},
            {"No raises the number past a taken one", Choice::No, 3, true, "old", "Readme.txt (008)", 0},
            {"Yes replaces", Choice::Yes, 3, false, "new", "Readme.txt", 0},
            {"Cancel stops", Choice::Cancel, 3, false, "old", "", 1},
            {"Yes without space keeps the old file", Choice::Yes, 900 * 1024, false, "old", "", 1},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        PcDestination pc;
        HfsutilsVolume volume(dir, "vol.img", 800, "Target");
        volume.addFile(":Readme.txt", "old");
        if (c.numbered_taken) volume.addFile(":Readme.txt (007)", "seven");
        volume.unmount();
        OpenedDrive drive(volume.image());
        ASSERT_TRUE(drive.opened);
        std::ofstream(pc / "README.TXT", std::ios::binary) << std::string(c.pc_bytes, 'n');
        drive.host.choices.push_back(c.answer);
        drive.ctx.running_file_count = 6;
        EXPECT_EQ(copy_pc_matching(drive.ctx, "README.TXT"), c.result);
        EXPECT_EQ(drive.host.questions.at(0), "The file README.TXT already exists. OK to replace it?");
        EXPECT_EQ(drive.ctx.outcome.failureReported, c.result != 0);
        volume.mount();
        const std::string out = dir / "out";
        EXPECT_EQ(volume.tool({"hcopy", "-r", ":Readme.txt", out}), 0);
        EXPECT_EQ(read_all(out), std::string(c.old_file_after) == "new" ? "nnn" : "old");
        if (*c.new_file) {
            EXPECT_EQ(volume.tool({"hcopy", "-r", std::string(":") + c.new_file, out}), 0);
            EXPECT_EQ(read_all(out), std::string(c.pc_bytes, 'n'));
        }
        if (c.numbered_taken) {
            EXPECT_EQ(volume.tool({"hcopy", "-r", ":Readme.txt (007)", out}), 0);
            EXPECT_EQ(read_all(out), "seven");
        }
        volume.unmount();
        EXPECT_EQ(drive.host.showed("The file it was to replace is kept."), c.pc_bytes > 3);
        EXPECT_EQ(check_problems(volume.image()), "");
    }
}

TEST_F(CopyToMac, YesNeverReplacesAFolder) {
    pc_file("LETTERS", "a file");
    host().choices.push_back(Choice::Yes);
    EXPECT_EQ(copy_pc_matching(ctx(), "LETTERS"), 0);
    EXPECT_TRUE(host().showed("Letters is a folder on the Macintosh volume and a file cannot replace it"));
    EXPECT_TRUE(ctx().outcome.failureReported);
    EXPECT_EQ(check_problems(volume->image()), "");
}

// Holes of 10 blocks between files: a fork of 60 blocks takes six runs, three
// of them recorded in the extents-overflow tree.
TEST_F(CopyToMac, ForksOfMoreThanThreeRunsContinueInTheExtentsTree) {
    make_volume(800, [](HfsutilsVolume& v) {
        for (int i = 0; i < 16; ++i) v.addFile(":f" + std::to_string(100 + i), std::string(10 * 512, 'f'));
        for (int i = 0; i < 16; i += 2) v.remove(":f" + std::to_string(100 + i));
        v.addFile(":last", std::string(300 * 1024, 'l'));  // the free space after the holes is further on
    });
    std::string big(60 * 512 - 7, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13 + i / 512);
    pc_file("BIG.BIN", big);
    ASSERT_EQ(copy_pc_matching(ctx(), "BIG.BIN"), 0);
    const auto found = find_entry(ctx(), "Big.bin", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    std::uint32_t in_record = 0;
    for (std::size_t i = 0; i < 3; ++i) in_record += load_be16(found->data, filrec::data_extents + 4 * i + 2);
    EXPECT_LT(in_record, 60u);
    EXPECT_EQ(data_fork(":Big.bin"), big);
    EXPECT_EQ(check_problems(volume->image()), "");
}

TEST_F(CopyToMac, MacBinaryNamesAndRefusals) {
    set_mode(kCopyMacBinary);
    MacBinaryFields fields;
    const std::string long_name(40, 'L');
    fields.name = long_name;
    fields.type = {'A', 'P', 'P', 'L'};
    fields.finder_flags = 0x2001;
    fields.data_length = 3;
    auto header = make_macbinary_header(fields);
    pc_file("A.BIN", std::string(header.begin(), header.end()) + "abc");
    pc_file("B.BIN", std::string(header.begin(), header.end()) + "abc");  // the same name again
    header[86] = 200;                                                     // a data fork longer than the file
    pc_file("C.BIN", std::string(header.begin(), header.end()) + "abc");
    pc_file("D.BIN", "not one");
    host().choices.push_back(Choice::No);
    EXPECT_EQ(copy_pc_matching(ctx(), "?.BIN"), 1);  // C stops the copy at the top level
    EXPECT_EQ(data_fork(":" + long_name.substr(0, 31)), "abc");
    const std::string numbered = macbinary(":" + long_name.substr(0, 25) + " (002)");
    ASSERT_GE(numbered.size(), 128u);
    EXPECT_EQ(numbered.substr(65, 4), "APPL");
    EXPECT_EQ(numbered[73], 0x20);
    EXPECT_EQ(numbered[101], 0x01);
    EXPECT_TRUE(shown_status("Not a MacBinary file."));
    EXPECT_TRUE(host().showed("Not a MacBinary file. File C.BIN was not copied."));
    EXPECT_TRUE(ctx().outcome.failureReported);
    EXPECT_EQ(check_problems(volume->image()), "");
}

TEST_F(CopyToMac, UnreadableFilesAreNamedAndAnyNameCopies) {
    ASSERT_EQ(mkfifo((pc / "A.FIFO").c_str(), 0644), 0);
    pc_file("\xE6\x97\xA5.TXT", "not in the PC character set");
    ASSERT_EQ(copy_pc_matching(ctx(), "*"), 0);
    EXPECT_TRUE(host().showed("The PC file A.FIFO cannot be read; it was not copied."));
    EXPECT_TRUE(ctx().outcome.failureReported);
    EXPECT_EQ(data_fork(":_.txt"), "not in the PC character set");
    EXPECT_EQ(check_problems(volume->image()), "");
}

TEST_F(CopyToMac, FoldersEscAndWhatWasCopiedStays) {
    std::filesystem::create_directories(pc / "TREE/DEEP");
    pc_file("TREE/ONE.TXT", "one");
    pc_file("TREE/DEEP/TWO.TXT", "two");
    pc_file("TREE/THREE.TXT", "three");
    host().escapes = {false, false, false, true};  // TREE, DEEP, TWO, then Esc before ONE
    EXPECT_EQ(copy_pc_matching(ctx(), "TREE"), 1);
    EXPECT_EQ(data_fork(":Tree:Deep:Two.txt"), "two");
    EXPECT_EQ(data_fork(":Tree:One.txt"), "");
    EXPECT_EQ(check_problems(volume->image()), "");
}

namespace fs = std::filesystem;

TEST(ExactNamePattern, EscapesEveryWildcardCharacter) {
    const std::pair<const char*, const char*> cases[] = {
            {"plain.txt", "plain.txt"}, {"a*", "a\\*"}, {"wh?t", "wh\\?t"}, {"[x]\\y", "\\[x]\\\\y"}};
    for (const auto& [name, pattern] : cases) EXPECT_EQ(exact_name_pattern(name), pattern) << name;
}

struct CopyToMacDialogTest : ::testing::Test {
    struct Call {
        std::string pattern;
        std::string directory;
        bool operator==(const Call&) const = default;
    };
    ScriptedHost host;
    TransferContext ctx{host};
    ScratchDir dir;
    fs::path saved = fs::current_path();
    std::vector<Call> calls;
    std::vector<int> results;  // what the copy answers, in order; 0 once they run out

    CopyToMacDialogTest() {
        for (const auto& [name, bytes] : {std::pair{"a*", 3}, {"ab", 5}, {"b.txt", 7}})
            std::ofstream(dir / name) << std::string(static_cast<std::size_t>(bytes), 'x');
        fs::create_directories(dir / "sub");
        fs::create_directories(dir / ".hidden");
        fs::current_path(dir.path());
    }
    ~CopyToMacDialogTest() override { fs::current_path(saved); }

    CopyToMacDialog dialog() {
        return CopyToMacDialog(ctx, [this](TransferContext&, std::string_view pattern) {
            calls.push_back({std::string(pattern), current_directory()});
            const int result = results.empty() ? 0 : results.front();
            if (!results.empty()) results.erase(results.begin());
            return result;
        });
    }
};

TEST_F(CopyToMacDialogTest, AStopOrAnAbortLeavesTheRestSelected) {
    CopyToMacDialog copy = dialog();
    results = {0, 1};
    copy.select_files({0, 1, 2});
    EXPECT_TRUE(copy.copy_selection());
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(copy.selected_files(), (std::vector<std::size_t>{1, 2}));

    calls.clear();
    host.escapes = {false, true};
    EXPECT_TRUE(copy.copy_selection());
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(copy.selected_files(), std::vector<std::size_t>{2});
}

TEST_F(CopyToMacDialogTest, AllFilesCopiesTheMaskAndDirectoryItsName) {
    CopyToMacDialog copy = dialog();
    EXPECT_TRUE(copy.copy_all_files());
    EXPECT_EQ(copy.set_mask("*.txt"), 0);  // what the mask lists is checked in the window's tests
    EXPECT_TRUE(copy.copy_all_files());

    const std::vector<std::string> directories = copy.shown_directories();
    ASSERT_EQ(directories, (std::vector<std::string>{"[..]", "[.hidden]", "[sub]"}));
    EXPECT_FALSE(copy.copy_directory(0));
    EXPECT_FALSE(copy.copy_directory(1));
    EXPECT_TRUE(copy.copy_directory(2));
    EXPECT_EQ(calls, (std::vector<Call>{{"*", dir.path()}, {"*.txt", dir.path()}, {"sub", dir.path()}}));
}

// Name, type, creator, flags, lengths, dates and the version bytes are
// compared with what hcopy -m writes in the end-to-end copies; here what
// hcopy leaves out: the window position, the reserved zeros, the checksum.
TEST(MacBinaryHeader, FieldsLieAtTheirOffsetsBigEndian) {
    MacBinaryFields fields;
    fields.name = "  Read Me";
    fields.finder_flags = 0x0123;
    fields.vertical = 0x4567;
    fields.horizontal = 0x89AB;
    auto h = make_macbinary_header(fields);
    EXPECT_EQ(h[1], 7);
    EXPECT_EQ(std::string(h.begin() + 2, h.begin() + 9), "Read Me");
    EXPECT_EQ(h[74], 0);  // every reader requires it
    EXPECT_EQ(h[75], 0x45);
    EXPECT_EQ(h[77], 0x89);
    for (std::size_t i : {79u, 80u, 81u, 82u, 99u, 100u, 102u, 120u, 121u, 126u, 127u}) EXPECT_EQ(h[i], 0) << i;
    EXPECT_EQ(h[124] << 8 | h[125], macbinary_crc(std::span(h).first(124)));
    const std::string check = "123456789";  // XMODEM's check value
    EXPECT_EQ(macbinary_crc(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())), 0x31C3);
}

// A header written by Korvane, then changed one way or another.
struct HeaderCase {
    const char* what;
    std::size_t offset;
    std::uint8_t value;
    std::uint64_t file_size;
    bool fix_crc;
    bool accepted;
};

TEST(MacBinaryHeader, ReaderChecksWhatReadersCheck) {
    const HeaderCase cases[] = {
            {"as written", 0, 0, 512, false, true},
            {"byte 0 set", 0, 1, 512, true, false},
            {"byte 74 set", 74, 1, 512, true, false},
            {"no name", 1, 0, 512, true, false},
            {"name of 64", 1, 64, 512, true, false},
            {"wrong checksum", 125, 0x55, 512, false, false},
            {"resource fork past the end", 0, 0, 393, false, false},
            {"data fork past the end", 90, 0, 256, true, false},
            {"MacBinary I: no checksum", 122, 0, 512, false, true},
    };
    for (const HeaderCase& c : cases) {
        MacBinaryFields fields;
        fields.name = "Both";
        fields.finder_flags = 0x4123;
        fields.data_length = 129;
        fields.resource_length = 10;
        fields.created = 7;
        auto h = make_macbinary_header(fields);
        h[c.offset] = c.value;
        if (std::string_view(c.what).starts_with("MacBinary I")) h[123] = h[124] = h[125] = 0;
        if (c.offset == 90) h[87] = h[88] = h[89] = h[90] = 0;  // no resource fork: data must fit
        if (c.fix_crc) {
            const std::uint16_t crc = macbinary_crc(std::span(h).first(124));
            h[124] = static_cast<std::uint8_t>(crc >> 8);
            h[125] = static_cast<std::uint8_t>(crc);
        }
        const auto read = read_macbinary_header(h, c.file_size);
        EXPECT_EQ(read.has_value(), c.accepted) << c.what;
        if (!read || !c.accepted) continue;
        EXPECT_EQ(read->name, "Both") << c.what;
        EXPECT_EQ(read->finder_flags, 0x4123) << c.what;
        EXPECT_EQ(read->resource_offset, 384u) << c.what;
        EXPECT_EQ(read->created, 7u) << c.what;
    }
}

// Where the resource fork starts is compared with hcopy -m's files in the
// end-to-end copies; here the longest data fork, past 32 bits.
TEST(MacBinaryHeader, ResourceForkOffsetOfTheLongestDataFork) {
    EXPECT_EQ(macbinary_resource_offset(0xFFFFFFFFu), 128u + 0x100000000u);
}

}  // namespace
}  // namespace korvane::testing
