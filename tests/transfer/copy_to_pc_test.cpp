// Copies to the PC from volumes made by hfsutils: the bytes, names, dates,
// messages and log lines, and the guards that keep a crafted volume or a
// planted entry in the destination from sending bytes anywhere else.
//
// The PC side of a copy: the extensions of the type table, the names a
// Macintosh name becomes, the guard that keeps them in their directory, the
// path a form shows, the ports.

#include "transfer/copy_to_pc.h"

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "app/copy_commands.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "tests/transfer/copy_fixture.h"
#include "transfer/dos_name.h"
#include "transfer/output_port.h"
#include "transfer/pc_browser.h"
#include "transfer/pc_name_guard.h"
#include "transfer/transfer_dialogs.h"
#include "transfer/type_table.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

const std::uint32_t kMarch1955 = 0x60000000u;

class CopyToPc : public ::testing::Test {
protected:
    void SetUp() override {
        volume = std::make_unique<HfsutilsVolume>(dir, "vol.img", 1440, "Copies");
        volume->addFile(":Read Me", "hello world\n");
        volume->add_forked_file(":Both", "Both", "APPL", "Korv", std::string(129, 'D'), "RESOURCE10");
        volume->add_forked_file(":Spreadsheet", "Spreadsheet", "XLS5", "XCEL", "cells", "");
        volume->add_folder(":Letters");
        volume->addFile(":Letters:Mum", "dear mum");
        volume->add_folder(":Letters:Old");
        volume->addFile(":Letters:Old:Gran", "dear gran");
        volume->add_forked_file(":Old", "Old", "TEXT", "ttxt", "old", "", kMarch1955);
        // Long enough to be copied in several pieces; last in key order.
        volume->addFile(":Zebra", std::string(100 * 1024, 'Z'));
        volume->unmount();
        drive = std::make_unique<OpenedDrive>(volume->image());
        ASSERT_TRUE(drive->opened);
        ctx().state.long_names_available = true;
    }

    Context& ctx() { return drive->ctx; }
    ScriptedHost& host() { return drive->host; }
    void set_mode(std::uint16_t mode) {
        ctx().state.option_flags = static_cast<std::uint16_t>((ctx().state.option_flags & ~kCopyModeMask) | mode);
    }

    ScratchDir dir;
    std::unique_ptr<HfsutilsVolume> volume;
    std::unique_ptr<OpenedDrive> drive;
    PcDestination dest;
};

// The bytes, the log line and the date in UTC are compared with hcopy's in the
// end-to-end copies; here the status line, a date before 1970 in local time,
// and an empty fork, which makes no file.
TEST_F(CopyToPc, StatusDateBefore1970AndEmptyForks) {
    EXPECT_EQ(copy_matching(ctx(), "Old"), kCopyDone);
    ASSERT_FALSE(host().statuses.empty());
    EXPECT_EQ(host().statuses.back(), "Copy of \"Old\" to \"Old.txt\"");
    expect_mac_date(dest / "Old.txt", kMarch1955);
    EXPECT_FALSE(ctx().outcome.failureReported);

    set_mode(kCopyResourceFork);
    EXPECT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
    EXPECT_TRUE(host().showed("File Read Me has no resources fork."));
    EXPECT_FALSE(fs::exists(dest / "Read Me.txt"));
    EXPECT_EQ(copy_matching(ctx(), "Nothing like it"), kCopyNoEntry);
}

TEST_F(CopyToPc, ShortNamesAndNumberedExtensionOnAClash) {
    ctx().state.output_options = kNamingShort;
    std::ofstream(dest / "README.txt") << "keep me";
    ctx().running_file_count = 32;  // the next file is number 33: base 32 "011"
    ASSERT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
    EXPECT_EQ(read_all(dest / "README.txt"), "keep me");
    EXPECT_EQ(read_all(dest / "README.011"), "hello world\n");
    // Folders keep their whole name wherever long names exist, whatever the naming mode.
    ASSERT_EQ(copy_matching(ctx(), "Letters"), kCopyDone);
    EXPECT_TRUE(fs::exists(dest / "Letters/Old/GRAN.txt"));
    ctx().state.long_names_available = false;
    ctx().state.output_options = kNamingLong;
    ASSERT_EQ(copy_matching(ctx(), "Letters"), kCopyDone);
    EXPECT_TRUE(fs::exists(dest / "LETTERS/OLD/GRAN.txt"));
}

TEST_F(CopyToPc, PlantedLinksFifosAndFoldersThatCannotBeMadeAreNeverWrittenThrough) {
    // A file at the first choice, then a dangling link and a FIFO at the
    // numbered names the copy tries next: it writes through neither.
    std::ofstream(dest / "Read Me.txt") << "keep me";
    fs::create_symlink(dest.outside("escaped"), dest / "Read Me.001");
    ASSERT_EQ(mkfifo((dest / "Read Me.002").c_str(), 0666), 0);
    ASSERT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
    EXPECT_FALSE(fs::exists(dest.outside("escaped")));
    EXPECT_TRUE(fs::is_fifo(dest / "Read Me.002"));
    EXPECT_EQ(read_all(dest / "Read Me.txt"), "keep me");
    EXPECT_EQ(read_all(dest / "Read Me.003"), "hello world\n");
    EXPECT_FALSE(ctx().outcome.failureReported);

    // Typed names meet the same: the link and the FIFO are refused, untouched.
    ctx().state.output_options = kNamingAsk;
    for (const char* typed : {"Read Me.001", "Read Me.002"}) {
        host().dialog_answers.push_back([typed](Dialog& dialog) {
            dynamic_cast<DosNameDialog&>(dialog).new_name = typed;
            return kDialogOk;
        });
        ASSERT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
        EXPECT_TRUE(host().showed(std::string(typed) + " already exists. Aborting the copy..."));
    }
    EXPECT_FALSE(fs::exists(dest.outside("escaped")));
    EXPECT_TRUE(fs::is_fifo(dest / "Read Me.002"));
    EXPECT_TRUE(ctx().outcome.failureReported);

    // A file named like the folder: the folder is reported and skipped, and
    // none of its files lands in the parent directory.
    ctx().outcome.failureReported = false;
    ctx().state.output_options = kNamingLong;
    std::ofstream(dest / "Letters") << "a file";
    ASSERT_EQ(copy_matching(ctx(), "Letters"), kCopyDone);
    EXPECT_TRUE(host().showed("Folder Letters cannot be created"));
    EXPECT_FALSE(fs::exists(dest / "Mum.txt"));
    EXPECT_EQ(read_all(dest / "Letters"), "a file");
    EXPECT_TRUE(ctx().outcome.failureReported);
}

TEST_F(CopyToPc, RenamingOnTheFlyAsksAndKeepsOnlyTheName) {
    ctx().state.output_options = kNamingAsk;
    host().dialog_answers.push_back([](Dialog& dialog) {
        auto& naming = dynamic_cast<DosNameDialog&>(dialog);
        EXPECT_EQ(naming.title, "File name on the DOS volume");
        EXPECT_EQ(naming.old_name, "Read Me");
        naming.new_name = "../../elsewhere/notes.txt";
        return kDialogOk;
    });
    ASSERT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
    EXPECT_EQ(read_all(dest / "notes.txt"), "hello world\n");

    // Cancel skips the file without a word.
    std::size_t notices = host().notices.size();
    ASSERT_EQ(copy_matching(ctx(), "Both"), kCopyDone);
    EXPECT_EQ(host().notices.size(), notices);
    EXPECT_FALSE(fs::exists(dest / "Both.com"));
}

TEST_F(CopyToPc, PortsGetTheRawBytesOnly) {
    const std::string port = dest.outside("lpt1");
    std::ofstream(port, std::ios::binary);
    ctx().port_devices[1] = port;
    ctx().state.output_options = 0x102;  // renaming on the fly, but LPT1: no name is asked
    std::FILE* log = std::tmpfile();
    ctx().log.adopt(log);
    ASSERT_EQ(copy_matching(ctx(), "Read Me"), kCopyDone);
    EXPECT_EQ(read_all(port), "hello world\n");
    EXPECT_TRUE(host().dialogs.empty());
    EXPECT_EQ(std::ftell(log), 0);
    EXPECT_TRUE(fs::is_empty(dest.path()));

    ctx().port_devices[2] = dest.outside("no-such-dir/lp1");
    ctx().state.output_options = 0x200;
    EXPECT_EQ(copy_matching(ctx(), "*"), kCopyStop);
    EXPECT_TRUE(host().showed("Error opening file:"));
}

TEST_F(CopyToPc, EscStopsTheCopy) {
    host().escapes = {false, true};  // the root's node, then the first record inside "Letters"
    EXPECT_EQ(copy_matching(ctx(), "*"), kCopyStop);
    EXPECT_TRUE(fs::is_directory(dest / "Letters"));
    EXPECT_FALSE(fs::exists(dest / "Letters/Mum.txt"));
    EXPECT_EQ(fs::current_path(), fs::path(dest.path()));
    EXPECT_TRUE(ctx().outcome.failureReported);

    // Within a long file, between two of its pieces: the partial file goes.
    host().escapes = {false, false, true};  // the root's node, after the first piece, after the second
    EXPECT_EQ(copy_matching(ctx(), "Zebra"), kCopyStop);
    EXPECT_TRUE(host().showed("The copy was stopped. File Zebra was not copied."));
    EXPECT_FALSE(fs::exists(dest / "Zebra.txt"));
    EXPECT_TRUE(host().escapes.empty());
}

TEST_F(CopyToPc, TypeDatabaseIsReadOnceFromTheCurrentDirectory) {
    std::ofstream(dest / "VLCREAT.DAT") << "# mine\nXLT XLS5XCEL\n";
    ASSERT_EQ(copy_matching(ctx(), "Spreadsheet"), kCopyDone);
    EXPECT_TRUE(fs::exists(dest / "Spreadsheet.xls"));  // row 8 still comes first
    std::ofstream(dest / "VLCREAT.DAT") << "KOR APPLKorv\n";
    ASSERT_EQ(copy_matching(ctx(), "Both"), kCopyDone);
    EXPECT_TRUE(fs::exists(dest / "Both.com"));  // the file is not read again
    EXPECT_EQ(ctx().type_table[22].extension, "XLT");
}

TEST_F(CopyToPc, SelectionCommandCopiesTheMarkedEntriesAfterTheDestination) {
    ctx().state.target_id = kNoDrive;
    copy_selection_to_pc(ctx());
    EXPECT_TRUE(host().showed("Select drive in the 'Mac Drive' menu"));
    ctx().state.target_id = 0;
    ctx().state.entries.clear();
    copy_selection_to_pc(ctx());
    EXPECT_TRUE(host().showed("No selected file or folder. Please select an item to copy toward the PC"));

    load_listing(ctx());
    drive->select("Read Me");
    drive->select("Letters");
    host().dialog_answers.push_back([](Dialog& dialog) {
        auto& destination = dynamic_cast<DestinationDialog&>(dialog);
        EXPECT_EQ(destination.default_button_text(), "Copy in current directory");
        EXPECT_EQ(destination.create_directory("Target"), 0);
        return kDialogOk;
    });
    copy_selection_to_pc(ctx());
    EXPECT_EQ(read_all(dest / "Target/Read Me.txt"), "hello world\n");
    EXPECT_TRUE(fs::exists(dest / "Target/Letters/Old/Gran.txt"));
    EXPECT_FALSE(fs::exists(dest / "Target/Both.com"));
    EXPECT_EQ(count_selected(ctx().state), 0u);  // each mark went as its entry was copied
}

// Selected entries are names: one called "a*" is that entry alone. After a
// stop, exactly the entries not copied stay selected.
TEST(CopyToPcSelection, SelectedNamesAreNotPatternsAndAStopLeavesTheRestSelected) {
    SmallVolumeCopy world("Stars");
    for (const char* name : {"a*", "ab", "ac", "b", "c"}) world.volume.addFile(std::string(":") + name, name);
    Context& ctx = world.open();
    ctx.menus.set_checked(cmd::kUseCurrentDirectory, true);
    load_listing(ctx);
    world.drive->select("a*");
    copy_selection_to_pc(ctx);
    EXPECT_EQ(read_all(world.dest / "a.txt"), "a*");
    EXPECT_FALSE(fs::exists(world.dest / "ab.txt"));
    EXPECT_FALSE(fs::exists(world.dest / "ac.txt"));

    for (const char* name : {"ab", "b", "c"}) world.drive->select(name);
    world.host().escapes = {false, true};  // "ab" is copied, the stop comes before "b"
    copy_selection_to_pc(ctx);
    EXPECT_TRUE(fs::exists(world.dest / "ab.txt"));
    EXPECT_FALSE(fs::exists(world.dest / "b.txt"));
    std::vector<std::string> still_selected;
    for (std::size_t i = 0; i < ctx.state.entries.size(); ++i)
        if (is_selected(ctx.state, i)) still_selected.push_back(entry_name(ctx.state, i));
    EXPECT_EQ(still_selected, (std::vector<std::string>{"b", "c"}));
    EXPECT_TRUE(ctx.outcome.failureReported);

    // An entry the catalog no longer holds is reported, and the copy stops there.
    for (auto& entry : ctx.state.entries)
        if (entry.name() == "b") entry.bytes[ListingEntry::kNameOffset] = 'q';
    copy_selection_to_pc(ctx);
    EXPECT_TRUE(world.host().showed("q is no longer on the volume; the copy stopped there."));
    EXPECT_FALSE(fs::exists(world.dest / "c.txt"));
}

// A numbered name is never one already taken, not even by a file of the same
// run: "b?" clashes with "b" and the count would give it the name of "b.003".
// Copying the volume twice into one place, as two disks with the same names
// would be, keeps every file, in every naming mode.
TEST(CopyToPcNumbering, NumberedNamesAreAlwaysFree) {
    SmallVolumeCopy world("Clash");
    for (const char* name : {"b", "b.003", "b?"}) world.volume.addFile(std::string(":") + name, name);
    Context& ctx = world.open();
    ASSERT_EQ(copy_matching(ctx, "*"), kCopyDone);
    EXPECT_EQ(read_all(world.dest / "b.003"), "b.003");
    EXPECT_EQ(read_all(world.dest / "b.txt"), "b");
    for (std::uint32_t naming : {kNamingLong, kNamingShort, kNamingLong}) {
        ctx.state.output_options = naming;
        ctx.running_file_count = 0;
        ASSERT_EQ(copy_matching(ctx, "*"), kCopyDone);
    }
    std::map<std::string, int> copies;
    for (const auto& entry : fs::directory_iterator(world.dest.path())) ++copies[read_all(entry.path())];
    EXPECT_EQ(copies, (std::map<std::string, int>{{"b", 4}, {"b.003", 4}, {"b?", 4}}));
}

// A volume whose names try to leave the destination or to hide: folders
// "." and "..", a folder of two blanks, files "/" and "../../evil".
TEST(CopyToPcCrafted, NoNameFromTheVolumeLeavesTheDestinationOrHides) {
    SmallVolumeCopy world("Crafted");
    for (const char* folder : {":..", ":.", ":  "}) world.volume.add_folder(folder);
    for (const auto& [path, text] : std::map<std::string, std::string>{{":..:x", "in dot dot"},
                                                                       {":.:y", "in dot"},
                                                                       {":../../evil", "evil"},
                                                                       {":/", "slash"},
                                                                       {":  :z", "in blanks"}})
        world.volume.addFile(path, text);
    Context& ctx = world.open();
    for (std::uint32_t naming : {kNamingLong, kNamingShort}) {
        ctx.state.output_options = naming;
        for (bool long_names : {true, false}) {
            ctx.state.long_names_available = long_names;
            EXPECT_EQ(copy_matching(ctx, "*"), kCopyDone);
        }
    }
    // Only the destination itself stands beside it; everything went inside.
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(world.dest.outside("")))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"dest"});
    EXPECT_EQ(read_all(world.dest / "__/x.txt"), "in dot dot");
    EXPECT_EQ(read_all(world.dest / "_/y.txt"), "in dot");
    EXPECT_EQ(read_all(world.dest / "_....evil.txt"), "evil");
    EXPECT_EQ(read_all(world.dest / "_.txt"), "slash");
    // Folders with nothing usable in their names are "_", like such files.
    EXPECT_EQ(read_all(world.dest / "_/z.txt"), "in blanks");
    EXPECT_EQ(read_all(world.dest / "_/Z.txt"), "in blanks");
    EXPECT_FALSE(world.host().showed("cannot be created"));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(world.dest.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A sector of the file that cannot be read: the copy goes on with zeros in
// its place, and the user is told once which file is incomplete.
TEST(CopyToPcDamaged, UnreadableSectorsAreZerosAndTheFileIsNamedOnce) {
    SmallVolumeCopy world("Damaged");
    world.volume.addFile(":Fragile", std::string(3000, 'F'));
    Context& probe = world.open();
    auto found = find_entry(probe, "Fragile", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    const std::uint32_t sector = probe.geometry.firstAllocSector +
                                 load_be16(found->data.data() + filrec::data_extents) * probe.geometry.sectorsPerBlock;
    Context& ctx = world.open(",bad=" + std::to_string(sector + 1));
    ASSERT_EQ(copy_matching(ctx, "Fragile"), kCopyDone);
    const std::string copied = read_all(world.dest / "Fragile.txt");
    ASSERT_EQ(copied.size(), 3000u);
    EXPECT_EQ(copied.substr(0, 512), std::string(512, 'F'));
    EXPECT_EQ(copied.substr(512, 512), std::string(512, '\0'));
    EXPECT_EQ(copied.substr(1024), std::string(3000 - 1024, 'F'));
    int told = 0;
    for (const std::string& notice : world.host().notices)
        told += notice == "File Fragile is incomplete: part of it could not be read from the medium.";
    EXPECT_EQ(told, 1);
    EXPECT_EQ(world.host().beeps, 1);  // as the run met the sector
}

// The free-space test asks the file system that receives the copy: a small
// tmpfs as the destination, on a machine whose temporary folder has room.
TEST(CopyToPcSpace, TheReceivingFileSystemDecides) {
    SmallVolumeCopy world("Space");
    world.volume.addFile(":Large", std::string(200 * 1024, 'L'));
    world.volume.addFile(":Small", "small");
    // MacBinary adds a header and padding that the free-space test does not
    // count: with 8 KB free the 8,000 bytes of its forks pass the test, and
    // the file system fills up in the middle of the copy.
    world.volume.add_forked_file(":Tight", "Tight", "TEXT", "ttxt", std::string(4000, 'd'), std::string(4000, 'r'));
    Context& ctx = world.open();
    ctx.state.option_flags = static_cast<std::uint16_t>((ctx.state.option_flags & ~kCopyModeMask) | kCopyMacBinary);
    const std::string tiny = world.dest / "tiny";
    fs::create_directories(tiny);
    if (mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=12k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
    fs::current_path(tiny);
    EXPECT_EQ(copy_matching(ctx, "*"), kCopyDone);
    EXPECT_FALSE(fs::exists(tiny + "/Large.txt"));
    EXPECT_EQ(read_all(tiny + "/Small.txt").substr(128, 5), "small");
    EXPECT_FALSE(fs::exists(tiny + "/Tight.txt"));
    fs::current_path(world.dest.path());
    umount(tiny.c_str());
    EXPECT_TRUE(world.host().showed("Not enough space on the volume. File Large was not copied."));
    EXPECT_TRUE(world.host().showed(
            "Not enough space on the volume: the PC destination is full. File Tight was not copied."));
    EXPECT_FALSE(world.host().showed("could not be read"));
    EXPECT_TRUE(ctx.outcome.failureReported);
}

// A damaged catalog whose folder names the root as its own contents: the
// copy reports the folder instead of copying the volume into itself for ever.
TEST(CopyToPcCrafted, AFolderThatHoldsItsAncestorIsSkipped) {
    SmallVolumeCopy world("Damaged");
    world.volume.add_folder(":Loop");
    world.volume.addFile(":Loop:inside", "in");
    world.volume.addFile(":Top", "top");
    world.volume.unmount();
    std::string bytes = read_all(world.volume.image());
    // Leaf record of folder "Loop" in the root: key length 11 (the name and a
    // pad byte), parent 2, the name; the record follows at offset 12.
    const std::string key("\x0b\x00\x00\x00\x00\x02\x04Loop", 11);
    const std::size_t at = bytes.find(key);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes[at + 12], 1);                                       // a directory record
    bytes.replace(at + 12 + 6, 4, std::string("\x00\x00\x00\x02", 4));  // dir_id := the root
    std::ofstream(world.volume.image(), std::ios::binary) << bytes;

    EXPECT_EQ(copy_matching(world.open(), "*"), kCopyDone);
    EXPECT_TRUE(world.host().showed("Folder Loop cannot be created"));
    EXPECT_EQ(read_all(world.dest / "Top.txt"), "top");
    EXPECT_FALSE(std::filesystem::exists(world.dest / "Loop"));
}

TEST(TypeTable, ExtensionFromTypeUsesThreePassesAndTypeFromExtensionTheFirstRow) {
    const TypeTable table = builtin_type_table();
    const std::pair<const char*, const char*> extensions[] = {
            {"APPLttxt", "COM"},  // type only
            {"TEXTBNHQ", "HQX"},  // all eight
            {"TEXTttxt", "TXT"},
            {"XLS5XCEL", "XLS"},
            {"W6BNMSWD", "DOC"},
            {"WPxxyyyy", "WP4"},  // first two of the type
            {"JPEGogle", "TXT"},  // no match
            // Free rows hold blanks: a type of blanks must not pick up an empty extension.
            {"        ", "TXT"}};
    for (const auto& [type, extension] : extensions) EXPECT_EQ(extension_for_type(table, type), extension) << type;
    const std::pair<const char*, const char*> types[] = {{"report.doc", "WDBNMSWD"},
                                                         {"SHEET.XLS", "XLS5XCEL"},
                                                         {"a.b.pct", "PICT????"},
                                                         {"photo.jpeg", "TEXT????"},
                                                         {"README", "TEXT????"}};
    for (const auto& [name, type] : types) EXPECT_EQ(type_for_extension(table, name), type) << name;
}

TEST(TypeTable, DatabaseLinesChangeTheRightRowUntilTheTableIsFull) {
    TypeTable table = builtin_type_table();
    EXPECT_TRUE(apply_type_database_line(table, "# a comment line"));
    EXPECT_TRUE(apply_type_database_line(table, "DOC WDBNMSWD"));
    EXPECT_EQ(table[1].extension, "DOC");
    EXPECT_EQ(table[17].type_creator, "W6BNMSWD");  // the second DOC row is untouched

    EXPECT_TRUE(apply_type_database_line(table, "  ZIP\tZIP SITx\r\n"));
    EXPECT_EQ(table[22].extension, "ZIP");
    EXPECT_EQ(table[22].type_creator, "ZIP SITx");

    EXPECT_TRUE(apply_type_database_line(table, "COM APPLKORV"));
    EXPECT_EQ(table[23].extension, "COM");  // the next free row wins over row 39
    EXPECT_EQ(extension_for_type(table, "APPLKORV"), "COM");
    EXPECT_EQ(type_for_extension(table, "x.com"), "APPLKORV");

    // A short field is padded with blanks; a quote starts the field.
    EXPECT_TRUE(apply_type_database_line(table, "ABC TEX"));
    EXPECT_EQ(table[24].type_creator, "TEX     ");
    EXPECT_TRUE(apply_type_database_line(table, "XY"));
    EXPECT_EQ(table[25].extension, "XY");
    EXPECT_EQ(table[25].type_creator, "        ");
    EXPECT_TRUE(apply_type_database_line(table, "QQQ x\"ABCDEFGH"));
    EXPECT_EQ(table[26].type_creator, "\"ABCDEFG");

    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(apply_type_database_line(table, "E" + std::string(1, static_cast<char>('A' + i)) + "X TYPECREA"));
    EXPECT_FALSE(apply_type_database_line(table, "NEW TYPECREA"));
    EXPECT_TRUE(apply_type_database_line(table, "EAX NEWTNEWC"));  // an existing row is still found
}

TEST(DosName, ShortNamesKeepEightCharactersAndLongOnesDropOnlyForbiddenCharacters) {
    const std::tuple<std::string, const char*, const char*> shorts[] = {
            {"Letter to Bob.txt", "TXT", "LETTERTO.txt"},
            {"Budget 1996", "XLS", "BUDGET19.xls"},
            {"R\x8Esum\x8E", "DOC", "RESUME.doc"},  // Mac Roman e acute
            {"A.B.C", "TXT", "AB.c"},
            {"***", "TXT", ".txt"},
            {"[draft]", "TXT", "(DRAFT).txt"},
            // The text after the last '.' is "/x": usable, but it must not reach the PC as is.
            {"evil./x", "TXT", "EVIL.x"}};
    for (const auto& [mac, extension, pc] : shorts) EXPECT_EQ(short_dos_name(mac, extension), pc) << mac;
    const std::pair<const char*, const char*> longs[] = {{"Q&A / notes?", "Q&A  notes.txt"},
                                                         {"photo.jpeg", "photo.jpeg.txt"},
                                                         {"Letter.DOC", "Letter.DOC"},
                                                         {"a\\b|c:d", "a_bcd.txt"}};  // mac_to_ansi turns '\' into '_'
    for (const auto& [mac, pc] : longs) EXPECT_EQ(long_dos_name(mac, "TXT"), pc) << mac;
}

TEST(DosName, UsableExtensionHasOneToThreeCharacters) {
    EXPECT_EQ(usable_extension("a.txt"), "txt");
    EXPECT_EQ(usable_extension("a. c "), "c");
    for (const char* name : {"name.", "photo.jpeg", "plain"}) EXPECT_FALSE(usable_extension(name)) << name;
}

TEST(ShowPath, ShortensLongPathsToThirtyCharacters) {
    EXPECT_EQ(show_path("/home/someone/projects/01234/"), "/home/someone/projects/01234/");    // 29
    EXPECT_EQ(show_path("/home/someone/projects/012345/"), "/home/someone/projects/012345/");  // exactly 30
    // Without the second directory it still needs 31: the rest starts after the third.
    EXPECT_EQ(show_path("c:/projects/clients/archive/1996/march/"), "c:/projects/.../1996/march/");
    // Without the second directory it fits: the rest starts after the second.
    EXPECT_EQ(show_path("c:/projects/clients/archive/199/"), "c:/projects/.../archive/199/");
}

TEST(ShowPath, NeverShowsMoreThanThirtyCharacters) {
    std::string shown = show_path("/a-very-long-directory-name/another-one-just-as-long/x/");
    EXPECT_LE(shown.size(), kShownPathMax);
    EXPECT_EQ(shown.substr(0, 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 3), "/x/");
    // Few directories: the end of the path, whole characters only.
    shown = show_path(
            "/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
            "\xC3\xA9/");
    EXPECT_LE(shown.size(), kShownPathMax);
    EXPECT_NE(static_cast<unsigned char>(shown[3]) & 0xC0, 0x80);
}

TEST(PcNameGuard, NoNameFromAVolumeLeavesTheDirectory) {
    EXPECT_EQ(safe_pc_component("a/b"), "a_b");
    EXPECT_EQ(safe_pc_component("/"), "_");
    EXPECT_EQ(safe_pc_component(std::string("x\0y", 3)), "x_y");
    EXPECT_EQ(safe_pc_component("."), "_");
    EXPECT_EQ(safe_pc_component(".."), "__");
    // No name is hidden: a leading '.' gets a '_' before it.
    EXPECT_EQ(safe_pc_component("../etc"), "_.._etc");
    EXPECT_EQ(safe_pc_component("..."), "_...");
    EXPECT_EQ(safe_pc_component(".txt"), "_.txt");
    EXPECT_EQ(safe_pc_component(""), "");
}

TEST(OutputPorts, Names) {
    EXPECT_EQ(port_from_name("lpt2"), 2);
    EXPECT_EQ(port_from_name("COM4"), 7);
    EXPECT_EQ(port_from_name("FILE"), 0);
    EXPECT_FALSE(port_from_name("COM5").has_value());
    EXPECT_EQ(port_name(5), "COM2");
}

}  // namespace
}  // namespace korvane::testing
