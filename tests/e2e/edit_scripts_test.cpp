// Scripts of MD, RENAME, DELETE and LABEL run through korvane-cmd on volumes
// made by hfsutils and on copies of corpus images: hundreds of folders made
// and deleted (nested and not empty too), hundreds of files renamed until the
// catalog index is three levels deep, wildcards on both sides, a new label.
//
// korvane-cmd edits file attributes and swaps forks on volumes made by
// hfsutils and on a corpus volume. hfsutils reads every change back, CHECK
// finds nothing, and a refused change leaves the image as it was.
//
// The undo journal through korvane-cmd: every modifying command, FORMAT
// too, undone byte for byte, UNDO going back over several runs, refused once
// hfsutils has changed the medium, a write-back killed at each of its write
// requests and rolled back (or left) at the next opening, and a journal that
// cannot be written. CHECK and hfsutils read the volume after each.
#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "hfs/btree_node.h"
#include "hfs/journal_location.h"
#include "hfs/mac_date.h"
#include "tests/e2e/listing_fixture.h"
#include "tests/hfs/check_fixture.h"
#include "tests/transfer/copy_oracle.h"

namespace korvane::e2e {
namespace {

constexpr int kCommandFailed = 4;

// korvane-cmd on the image with one -c per line, answering --yes; its
// standard error, then its output, in *out when given.
int korvane(const ScratchDir& dir, const std::string& image, const std::vector<std::string>& lines,
            std::string* out = nullptr) {
    std::vector<std::string> args = {"--yes", image};
    for (const std::string& line : lines) args.insert(args.end(), {"-c", line});
    const CmdRun run = run_korvane_cmd(dir.path(), args);
    if (out) *out = run.err + run.out;
    return run.status;
}

// One file as hcopy -m extracts it.
MacFile extract(const ScratchDir& dir, const std::string& image, const std::string& hfsPath) {
    testing::hfsutils_read(dir.path(), image, {"hcopy", "-m", hfsPath, dir / "out.bin"});
    MacFile file;
    file.macbinary = read_all(dir / "out.bin");
    return file;
}

class AttributesVolume : public ::testing::Test {
protected:
    void SetUp() override {
        HfsutilsVolume volume(dir, "attributes.img", 1440, "Attributes");
        volume.add_forked_file(":", "Both forks", "APPL", "Korv", std::string(129, 'd'), "RESOURCE10");
        volume.addFile(":Plain", "plain text\n", "\xF0TXT", "ttxt");  // the Apple logo: none in Windows
        // Gaps of 8 KB: a 40 KB file needs extents-overflow records.
        const std::string local = dir / "gap";
        std::ofstream(local, std::ios::binary) << std::string(8192, 'g');
        EXPECT_EQ(volume.tool({"hmount", volume.image()}), 0);
        int files = 0;
        while (volume.tool({"hcopy", "-r", local, ":g" + std::to_string(files)}) == 0) ++files;
        for (int i = 0; i < files; i += 2) volume.tool({"hdel", ":g" + std::to_string(i)});
        volume.add_text_file(":Big", std::string(40000, 'B'));
        volume.add_forked_file(":", "Big rsrc", "rsrc", "RSED", "data", std::string(40000, 'R'));
        volume.unmount();
        image = volume.image();
    }

    ScratchDir dir;
    std::string image;
};

TEST_F(AttributesVolume, AttribShowsSetsAndSwapReadBackByHfsutils) {
    std::string out;
    ASSERT_EQ(korvane(dir, image, {"ATTRIB Both*"}, &out), 0);
    auto lines = split_lines(out);
    ASSERT_EQ(lines.size(), 7u) << out;
    lines[3].resize(9);  // the dates of hcopy's run
    lines[4].resize(10);
    EXPECT_EQ(lines, (std::vector<std::string>{"Filename: Both forks", "Creator: Korv", "Filetype: APPL", "Created: ",
                                               "Modified: ", "Data fork length: 129", "Resource fork length: 10"}));

    // A rename to a name taken after a swap is refused and changes nothing.
    EXPECT_EQ(
            korvane(dir, image,
                    {"ATTRIB \"Both forks\" \"name=R\xC3\xA9sum\xC3\xA9,type=TEX,creator=ab,created=2005-03-04 10:20\"",
                     "ATTRIB R* \"modified=1996-12-31 23:59\"", "SWAP R*", "ATTRIB Plain \"name=R\xC3\xA9sum\xC3\xA9\"",
                     "ATTRIB Plain \"creator=abcd\"", "CHECK"},
                    &out),
            kCommandFailed);
    EXPECT_NE(out.find("Korvane: A file or folder exists already with this name."), std::string::npos) << out;
    EXPECT_NE(out.find("No problems found."), std::string::npos) << out;

    const MacFile renamed = extract(dir, image, ":R\x8Esum\x8E");
    EXPECT_EQ(renamed.type_creator(), std::string("TEX\0ab\0\0", 8));
    EXPECT_EQ(renamed.field32(91), fields_to_mac_date(2005, 3, 4, 10, 20));
    EXPECT_EQ(renamed.field32(95), fields_to_mac_date(1996, 12, 31, 23, 59));
    EXPECT_EQ(renamed.data_fork(), "RESOURCE10");
    EXPECT_EQ(renamed.resource(), std::string(129, 'd'));
    const MacFile plain = extract(dir, image, ":Plain");
    EXPECT_EQ(plain.data_fork(), "plain text\n");
    EXPECT_EQ(plain.type_creator(), "\xF0TXTabcd") << "a type left as shown stays as stored";
    EXPECT_EQ(testing::check_problems(image), "");
}

TEST_F(AttributesVolume, RefusedChangesLeaveTheImageAsItWas) {
    const std::string before = read_all(image);
    const std::pair<std::string, std::string> cases[] = {
            {"ATTRIB Plain \"size=3\"", "\"size\" is not an attribute"},
            {"ATTRIB Plain \"type\"", "\"type\" is not of the form field=value."},
            {"ATTRIB Plain \"created=2005-3-4 10:20\"", "is not a date of the form YYYY-MM-DD HH:MM."},
            {"ATTRIB Plain \"created=2041-01-01 00:00\"", "The creation date is not a valid date."},
            {"ATTRIB Plain \"type=TEXT,modified=2005-02-30 10:00\"", "The modification date is not a valid date."},
            {"ATTRIB Plain \"name=" + std::string(32, 'n') + "\"", "A Macintosh name has at most 31 characters."},
            {"ATTRIB Plain \"name=a:b\"", "A Macintosh name cannot contain \":\"."},
            {"ATTRIB Plain \"name=\"", "A Macintosh name cannot be empty."},
            {"ATTRIB Plain \"creator=ttxt,type=TEXTS\"", "The file type has at most 4 characters."},
            {"ATTRIB Nothing \"type=TEXT\"", "No entry matches \"Nothing\""},
            {"SWAP Big", "Unable to swap data and resource forks."},
            {"SWAP \"Big rsrc\"", "Unable to swap data and resource forks."},
            {"SWAP Nothing", "No entry matches \"Nothing\""},
    };
    for (const auto& [line, message] : cases) {
        std::string out;
        EXPECT_EQ(korvane(dir, image, {line}, &out), kCommandFailed) << line;
        EXPECT_NE(out.find(message), std::string::npos) << line << "\n" << out;
        EXPECT_EQ(read_all(image), before) << line;
    }
}

// A corpus volume made by Mac OS: a data fork swapped to the resource fork
// and back, with a new type and creator.
TEST(AttributesCorpus, SwapTwiceAndRetypeAMacOsFile) {
    ScratchDir dir;
    const std::string image = testing::corpus_copy(dir, "macos1995-floppy1440-19docs.img");
    if (image.empty()) GTEST_SKIP() << "corpus not present";
    const MacFile before = extract(dir, image, ":JOHN1.DOC 2");
    ASSERT_EQ(before.resource(), "");

    std::string out;
    ASSERT_EQ(korvane(dir, image, {"SWAP \"JOHN1.DOC 2\"", "ATTRIB JOHN1.DOC* \"type=TEXT,creator=ttxt\""}, &out), 0)
            << out;
    const MacFile swapped = extract(dir, image, ":JOHN1.DOC 2");
    EXPECT_EQ(swapped.resource(), before.data_fork());
    EXPECT_EQ(swapped.data_fork(), "");
    EXPECT_EQ(swapped.type_creator(), "TEXTttxt");
    EXPECT_EQ(swapped.field32(91), before.field32(91));
    EXPECT_EQ(testing::check_problems(image), "");

    ASSERT_EQ(korvane(dir, image, {"SWAP JOHN1.DOC*"}, &out), 0) << out;
    EXPECT_EQ(extract(dir, image, ":JOHN1.DOC 2").data_fork(), before.data_fork());
    EXPECT_EQ(testing::check_problems(image), "");
}

std::string numbered(const std::string& prefix, int n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", n);
    return prefix + digits;
}

// The names hls lists in a folder, in UTF-8.
std::set<std::string> hls_names(const ScratchDir& dir, const std::string& image, const std::string& path) {
    std::set<std::string> names;
    for (const std::string& line : split_lines(testing::hfsutils_read(dir.path(), image, {"hls", "-1a", path})))
        names.insert(mac_roman_to_utf8(line));
    return names;
}

// What differs between the names hls lists and those expected: "+name" for
// one too many, "-name" for one missing.
std::vector<std::string> name_differences(const std::set<std::string>& listed, const std::set<std::string>& expected) {
    std::vector<std::string> differences;
    for (const std::string& name : listed)
        if (!expected.count(name)) differences.push_back("+" + name);
    for (const std::string& name : expected)
        if (!listed.count(name)) differences.push_back("-" + name);
    return differences;
}

TEST(FolderEditScripts, HundredsOfFoldersAndRenamesOnAnHfsutilsVolume) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "edit.img", 4096, "Edits");
    volume.tool({"hmount", volume.image()});
    std::vector<std::string> script;
    std::set<std::string> root;
    for (int i = 0; i < 400; ++i) {
        volume.add_text_file(":" + numbered("file", i), "contents of " + std::to_string(i));
        root.insert(numbered("renamed", i));
    }
    for (int i = 0; i < 300; ++i) {
        // Names in the order Mac OS keeps: "ß" and the brackets among them.
        const std::string name = numbered(i % 3 == 0 ? "Dir ß[" : "dir ]", i);
        script.push_back("MD \"" + name + "\"");
        if (i % 3 == 0 && i >= 150) continue;  // deleted below by a wildcard
        root.insert(name);
    }
    // A nested folder with a file, deleted with its parent after the question.
    script.insert(script.end(), {"CD \"Dir ß[150\"", "MD Inner", "CD Inner", "MD Deeper", "CD \\"});
    script.insert(script.end(), {"RENAME file* renamed*", "DELETE \"Dir ß[15*\""});
    for (int i = 162; i < 300; i += 3) script.push_back("DELETE \"" + numbered("Dir ß[", i) + "\"");
    script.push_back("LABEL \"Éditions été\"");
    script.push_back("MD ALREADY");
    root.insert("Already");

    volume.unmount();
    EXPECT_EQ(korvane(dir, volume.image(), script), 0);
    EXPECT_EQ(testing::check_problems(volume.image()), "");
    EXPECT_EQ(name_differences(hls_names(dir, volume.image(), ":"), root), std::vector<std::string>{});
    testing::hfsutils_read(dir.path(), volume.image(), {"hls", "-R", ":"});
    const std::string volumeLine = testing::hfsutils_read(dir.path(), volume.image());
    EXPECT_NE(mac_roman_to_utf8(volumeLine).find("\"Éditions été\""), std::string::npos) << volumeLine;
    testing::hfsutils_read(dir.path(), volume.image(), {"hcopy", "-r", ":renamed321", dir / "copied"});
    EXPECT_EQ(read_all(dir / "copied"), "contents of 321");

    testing::OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_GE(tree_depth(opened.ctx.catalogTree.header), 3);
}

TEST(FolderEditScripts, CorpusVolumesTakeTheSameScript) {
    for (const char* name :
         {"macos1995-floppy1440-19docs.img", "linuxkernel-floppy1440-dirty-1file.img", "macos-blank800k.dsk"}) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const std::string image = testing::corpus_copy(dir, name);
        if (image.empty()) GTEST_SKIP() << "corpus not present";
        std::set<std::string> expected = hls_names(dir, image, ":");
        std::vector<std::string> script;
        for (int i = 0; i < 120; ++i) {
            script.push_back("MD " + numbered("neu", i));
            script.push_back("CD " + numbered("neu", i));
            script.push_back("MD inside");
            script.push_back("CD ..");
            if (i >= 100 && i % 2 == 0) expected.insert(numbered("alt", i));
        }
        // Folders that are not empty go after the question, answered by --yes.
        script.insert(script.end(), {"RENAME neu* alt*", "DELETE alt0*"});
        for (int i = 101; i < 120; i += 2) script.push_back("DELETE " + numbered("alt", i));
        const std::string pristine = read_all(image);
        EXPECT_EQ(korvane(dir, image, script), 0);
        EXPECT_EQ(testing::check_problems(image), "");
        EXPECT_EQ(testing::changed_blocks_outside_the_trees(pristine, read_all(image)), 0u) << "a fork moved";
        EXPECT_EQ(name_differences(hls_names(dir, image, ":"), expected), std::vector<std::string>{});
        testing::hfsutils_read(dir.path(), image, {"hls", "-R", ":"});
        // The volume's own files and folders go too, both forks of each.
        EXPECT_EQ(korvane(dir, image, {"DELETE *"}), 0);
        EXPECT_EQ(testing::check_problems(image), "");
        EXPECT_EQ(hls_names(dir, image, ":"), std::set<std::string>{});
    }
}

// A volume with a folder of files, a file with both forks and a text file,
// and a PC file to copy onto it.
struct UndoWorld {
    ScratchDir dir;
    std::string base;  // the volume as hfsutils made it
    std::string image = dir / "vol.img";
    std::string pcDir = dir / "pc";

    UndoWorld() {
        HfsutilsVolume volume(dir, "base.img", 800, "Undo");
        volume.add_folder(":Docs");
        volume.add_text_file(":Docs:Plan", "a plan");
        volume.add_text_file(":Docs:Notes", std::string(3000, 'n'));
        volume.add_forked_file(":", "Letter", "TEXT", "ttxt", "data fork", std::string(700, 'r'));
        volume.unmount();
        base = read_all(volume.image());
        std::filesystem::create_directory(pcDir);
        std::ofstream(pcDir + "/report.txt", std::ios::binary) << std::string(5000, 'x');
        fresh();
    }

    void fresh() const {
        std::ofstream(image, std::ios::binary | std::ios::trunc) << base;
        std::filesystem::remove(image + kJournalSuffix);
    }
    std::string bytes() const { return read_all(image); }
    // hfsutils lists the root folder (the volume is readable by another implementation).
    std::string hls_root() const { return testing::hfsutils_read(dir.path(), image, {"hls", "-a1", ":"}); }
    // korvane-cmd with the arguments, HOME in the test's folder.
    CmdRun korvane(const std::vector<std::string>& args) const { return run_korvane_cmd(dir.path(), args); }
    CmdRun change(const std::string& line, const std::string& options = "") const {
        return korvane({"--yes", "--pc-dir", pcDir, image + options, "-c", line});
    }
    CmdRun undo() const { return korvane({image, "-c", "UNDO"}); }
};

TEST(UndoJournal, EveryModifyingCommandIsUndoneByteForByte) {
    UndoWorld world;
    for (const char* line : {"MD New", "DELETE Docs", "RENAME Letter Note", "MCOPY report.txt",
                             "ATTRIB Letter \"type=APPL,creator=KVRN,created=1990-01-02 03:04\"", "LABEL Renamed",
                             "SWAP Letter", "FORMAT Blank /V"}) {
        SCOPED_TRACE(line);
        world.fresh();
        const CmdRun made = world.change(line);
        EXPECT_EQ(made.status, 0) << made.err;
        EXPECT_NE(world.bytes(), world.base);
        const CmdRun undone = world.undo();
        EXPECT_EQ(undone.status, 0) << undone.err;
        EXPECT_TRUE(undone.said("The last change was undone")) << undone.err;
        EXPECT_TRUE(world.bytes() == world.base) << "the medium is as before the command";
        EXPECT_EQ(testing::check_problems(world.image), "");
        EXPECT_EQ(world.hls_root(), "Docs\nLetter\n");
    }
}

TEST(UndoJournal, UndoGoesBackOverRunsAndRefusesWhatHfsutilsChanged) {
    UndoWorld world;
    ASSERT_EQ(world.change("MD First").status, 0);
    const std::string afterFirst = world.bytes();
    ASSERT_EQ(world.change("MD Second").status, 0);
    EXPECT_EQ(world.undo().status, 0);
    EXPECT_TRUE(world.bytes() == afterFirst);
    const CmdRun second = world.undo();
    EXPECT_EQ(second.status, 0);
    EXPECT_TRUE(second.said("The journal holds no earlier change.")) << second.err;
    EXPECT_TRUE(world.bytes() == world.base);
    const CmdRun none = world.undo();
    EXPECT_EQ(none.status, 4);
    EXPECT_TRUE(none.said("There is no change to undo on this medium.")) << none.err;

    // A change made by another program since: the last change is no longer Korvane's.
    ASSERT_EQ(world.change("MD Mine").status, 0);
    ASSERT_EQ(run_program(world.dir.path(), {"hmount", world.image}), 0);
    ASSERT_EQ(run_program(world.dir.path(), {"hmkdir", ":Theirs"}), 0);
    run_program(world.dir.path(), {"humount"});
    const std::string theirs = world.bytes();
    const CmdRun refused = world.undo();
    EXPECT_EQ(refused.status, 4);
    EXPECT_TRUE(refused.said("The last change cannot be undone: the medium no longer holds what that change wrote"))
            << refused.err;
    EXPECT_TRUE(world.bytes() == theirs);
    EXPECT_EQ(testing::check_problems(world.image), "");
    EXPECT_EQ(world.hls_root(), "Docs\nLetter\nMine\nTheirs\n");
}

// The process is killed at each write request of a command in turn. The
// next opening offers to roll the change back: --no leaves the medium as the
// kill left it, --yes puts it back as before the command.
TEST(UndoJournal, AWriteBackKilledAtEachRequestIsRolledBackOnOpening) {
    UndoWorld world;
    for (const char* line : {"MD New", "MCOPY report.txt", "DELETE Docs"}) {
        int untouched = 0, interrupted = 0;
        for (int k = 1;; ++k) {
            SCOPED_TRACE(std::string(line) + " killed at write " + std::to_string(k));
            world.fresh();
            const CmdRun killed = world.change(line, ",killwrite=" + std::to_string(k));
            if (killed.status == 0) break;  // the command made fewer requests
            ASSERT_EQ(killed.status, -1) << "killed: " << killed.err;
            const std::string left = world.bytes();
            const CmdRun leave = world.korvane({"--no", world.image, "-c", "DIR"});
            EXPECT_TRUE(world.bytes() == left);
            if (left == world.base) {
                ++untouched;
            } else {
                ++interrupted;
                EXPECT_TRUE(leave.said("was interrupted before it was completely written")) << leave.err;
                EXPECT_TRUE(leave.said("The interrupted change was left as it is")) << leave.err;
            }
            const CmdRun rollBack = world.korvane({"--yes", world.image, "-c", "CHECK"});
            EXPECT_EQ(rollBack.status, 0) << rollBack.err;
            EXPECT_TRUE(world.bytes() == world.base) << "as before the command";
            EXPECT_EQ(world.hls_root(), "Docs\nLetter\n");
        }
        std::printf("%s: %d kill points left the medium untouched, %d were rolled back\n", line, untouched,
                    interrupted);
        EXPECT_GT(interrupted, 0) << line;
    }
    // An UNDO killed half-way is finished at the next opening.
    world.fresh();
    ASSERT_EQ(world.change("MD New").status, 0);
    EXPECT_EQ(world.korvane({world.image + ",killwrite=3", "-c", "UNDO"}).status, -1);
    const CmdRun asked = world.korvane({"--no", world.image});
    EXPECT_TRUE(asked.said("Undoing the last change Korvane made to this medium was interrupted.")) << asked.err;
    const CmdRun finished = world.korvane({"--yes", world.image, "-c", "CHECK"});
    EXPECT_TRUE(finished.said("The interrupted undo was finished")) << finished.err;
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_TRUE(world.bytes() == world.base);
}

TEST(UndoJournal, AJournalThatCannotBeWrittenRefusesTheChange) {
    UndoWorld world;
    std::filesystem::create_directory(world.image + kJournalSuffix);  // stands where the journal would be made
    for (const char* line : {"MD New", "MCOPY report.txt"}) {
        const CmdRun refused = world.change(line);
        EXPECT_EQ(refused.status, 4) << line;
        EXPECT_TRUE(refused.said("The undo journal \"" + world.image + kJournalSuffix + "\" cannot be opened"))
                << refused.err;
        EXPECT_TRUE(refused.said("Start Korvane with --no-journal")) << refused.err;
        EXPECT_TRUE(world.bytes() == world.base) << line;
    }
    const CmdRun without = world.korvane({"--no-journal", world.image, "-c", "MD New", "-c", "UNDO"});
    EXPECT_EQ(without.status, 4);
    EXPECT_TRUE(without.said("Korvane runs without an undo journal (--no-journal)")) << without.err;
    EXPECT_TRUE(std::filesystem::is_directory(world.image + kJournalSuffix));
    EXPECT_EQ(testing::check_problems(world.image), "");
    EXPECT_EQ(world.hls_root(), "Docs\nLetter\nNew\n");
}

// A small file system of its own, where only root may make one.
class SmallFileSystem {
public:
    SmallFileSystem(const std::string& folder, const std::string& size) : folder_(folder) {
        std::filesystem::create_directory(folder);
        mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) umount(folder_.c_str());
    }
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

// The journal runs out of room while a second file is copied in: what the
// first one had written is put back too, and the medium is as before.
TEST(UndoJournal, AJournalWithoutRoomRefusesTheChangeAndPutsBackWhatItHadWritten) {
    UndoWorld world;
    SmallFileSystem small(world.dir / "small", "832k");
    if (!small.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const std::string image = world.dir / "small/vol.img";
    std::ofstream(image, std::ios::binary) << world.base;
    std::ofstream(world.pcDir + "/zz.txt", std::ios::binary) << std::string(40000, 'b');
    const CmdRun refused = world.korvane({"--yes", "--pc-dir", world.pcDir, image, "-c", "MCOPY *.txt"});
    EXPECT_EQ(refused.status, 4);
    EXPECT_TRUE(refused.said("cannot be written: No space left on device. The change was refused")) << refused.err;
    EXPECT_TRUE(read_all(image) == world.base);
    EXPECT_EQ(testing::check_problems(image), "");
    EXPECT_EQ(testing::hfsutils_read(world.dir.path(), image, {"hls", "-a1", ":"}), "Docs\nLetter\n");
}

}  // namespace
}  // namespace korvane::e2e
