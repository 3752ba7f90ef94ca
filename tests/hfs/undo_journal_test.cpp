// The undo journal as untrusted input (cut anywhere, bytes spoiled: nothing
// crashes and nothing is put back that the journal cannot vouch for), its
// bound, and where it lies.
#include <cstdlib>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "hfs/journal_location.h"
#include "hfs/undo.h"
#include "hfs/undo_journal.h"
#include "hfs/write_back.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/write_fixture.h"

namespace korvane::testing {
namespace {

// One folder made and written back per name; the image after each.
std::vector<std::string> make_folders(const std::string& image, const std::vector<std::string>& names,
                                      std::uint64_t journalLimit = kDefaultJournalLimit) {
    OpenedVolume volume(image);
    EXPECT_EQ(volume.open(), CatalogOpen::Complete);
    volume.ctx.journal.limit = journalLimit;
    std::vector<std::string> states;
    for (const std::string& name : names) {
        EXPECT_NE(make_folder(volume.ctx, root_folder(volume.ctx), name), 0u) << name;
        EXPECT_TRUE(write_back(volume.ctx));
        states.push_back(read_all(image));
    }
    return states;
}

// Every sector of now is that sector in one of the states.
bool sectors_from_states(const std::string& now, const std::vector<std::string>& states) {
    for (std::size_t at = 0; at < now.size(); at += 512) {
        bool known = false;
        for (const std::string& state : states) known |= now.compare(at, 512, state, at, 512) == 0;
        if (!known) return false;
    }
    return true;
}

TEST(UndoJournalFile, CutOrSpoiledItNeverPutsBackWhatItCannotVouchFor) {
    ScratchDir dir;
    HfsutilsVolume made(dir, "v.img", 800);
    made.unmount();
    const std::string image = made.image();
    const std::string journalPath = image + kJournalSuffix;
    const std::string before = read_all(image);
    const std::vector<std::string> after = make_folders(image, {"One", "Two"});
    const std::string journal = read_all(journalPath);
    UndoJournal whole;
    ASSERT_TRUE(whole.open(journalPath, false));
    ASSERT_EQ(whole.records().size(), 2u);
    std::printf("journal of two folders made: %zu bytes\n", journal.size());
    const std::uint64_t secondStart = whole.records()[1].start;

    struct Spoiled {
        std::string name;
        std::string bytes;
        bool beforeSecond;  // the damage lies in the first change's blocks
    };
    std::vector<Spoiled> cases;
    for (std::size_t length = 0; length < journal.size(); length += 257)
        cases.push_back({"cut at " + std::to_string(length), journal.substr(0, length), false});
    for (std::size_t at = 0; at < journal.size(); at += 199) {
        std::string bytes = journal;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        cases.push_back({"byte " + std::to_string(at) + " spoiled", bytes, at < secondStart});
    }
    for (const Spoiled& spoiled : cases) {
        SCOPED_TRACE(spoiled.name);
        std::ofstream(image, std::ios::binary) << after[1];
        std::ofstream(journalPath, std::ios::binary) << spoiled.bytes;
        OpenedVolume volume(image);
        undo_last_change(volume.ctx);
        const std::string now = read_all(image);
        EXPECT_TRUE(sectors_from_states(now, {before, after[0], after[1]}));
        if (spoiled.beforeSecond) {
            EXPECT_TRUE(now == after[1]) << "a damaged journal puts nothing back";
        }
    }
}

TEST(UndoJournalFile, KeepsItsNewestChangesWithinItsBound) {
    ScratchDir dir;
    HfsutilsVolume made(dir, "v.img", 800);
    made.unmount();
    const std::string image = made.image();
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back("Folder " + std::to_string(i));
    constexpr std::uint64_t kLimit = 12000;
    const std::vector<std::string> states = make_folders(image, names, kLimit);

    UndoJournal journal;
    ASSERT_TRUE(journal.open(image + kJournalSuffix, false));
    const std::size_t kept = journal.records().size();
    EXPECT_LE(journal.size(), kLimit);
    EXPECT_GE(kept, 2u);
    EXPECT_LT(kept, names.size()) << "the oldest changes were dropped";
    OpenedVolume volume(image);
    for (std::size_t undone = 1; undone <= kept; ++undone) {
        ASSERT_TRUE(undo_last_change(volume.ctx));
        EXPECT_TRUE(read_all(image) == states[names.size() - 1 - undone]) << undone;
    }
    EXPECT_FALSE(undo_last_change(volume.ctx)) << "nothing older is kept";
    EXPECT_EQ(volume.host.notices.back(), "There is no change to undo on this medium.");
    EXPECT_EQ(check_problems(image), "");
    EXPECT_EQ(made.tool({"hmount", image}), 0);
}

TEST(UndoJournalFile, ADeviceKeepsItsJournalInTheStateFolder) {
    ScratchDir dir;
    ASSERT_EQ(setenv("XDG_STATE_HOME", dir.path().c_str(), 1), 0);
    EXPECT_EQ(journal_path_for("/dev/null"), dir / "korvane/dev_null.korvane-journal");
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(journal_path_for(dir / "disk.img"), dir / "disk.img.korvane-journal");
}

}  // namespace
}  // namespace korvane::testing
