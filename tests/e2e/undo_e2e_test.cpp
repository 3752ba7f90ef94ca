// The undo journal through korvane-cmd: every modifying command, FORMAT
// too, undone byte for byte, UNDO going back over several runs, refused once
// hfsutils has changed the medium, a write-back killed at each of its write
// requests and rolled back (or left) at the next opening, and a journal that
// cannot be written. CHECK and hfsutils read the volume after each.
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "hfs/journal_location.h"
#include "tests/e2e/listing_fixture.h"
#include "tests/hfs/check_fixture.h"

namespace korvane::e2e {
namespace {

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
