// Runs the built korvane-cmd and checks what a user or a script sees: the
// exit status, the notices on standard error and the output, FORMAT, VERIFY
// and RESCUE included, without a terminal.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/attribute_commands.h"
#include "app/context.h"
#include "cli/console_host.h"
#include "cli/console_session.h"
#include "core/notices.h"
#include "core/working_files.h"
#include "tests/hfs/check_fixture.h"
#include "tests/support/disk_copy_builder.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/volume/medium_builder.h"
#include "transfer/copy_to_mac_dialog.h"

namespace korvane {
namespace {

using korvane::testing::CmdRun;
using korvane::testing::HfsutilsVolume;
using korvane::testing::read_all;
using korvane::testing::run_korvane_cmd;
using korvane::testing::ScratchDir;

// korvane-cmd with the arguments and the text on its standard input.
CmdRun korvane_cmd(const std::vector<std::string>& args, const std::string& input = "") {
    ScratchDir dir;
    std::ofstream(dir / "in") << input;
    return run_korvane_cmd(dir.path(), args, dir / "in");
}

TEST(KorvaneCmd, ABadCommandLineExitsWithTwoAndShowsTheUsage) {
    ScratchDir dir;
    const std::string image = dir / "disk.img";
    std::ofstream(image) << std::string(512, '\0');
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    const std::vector<std::vector<std::string>> bad_lines = {{"--frobnicate"},
                                                             {"-c"},
                                                             {"--yes", "--no"},
                                                             {"--partition", "x"},
                                                             {"--partition", "-1"},
                                                             {"--bus"},
                                                             {"--pc-dir", dir / "nowhere"},
                                                             {"--port", "LPT9"},
                                                             {image + ",bogus=1"},
                                                             {image + ",bad=5-3"},
                                                             {image + ",flaky=-1"},
                                                             {image + ",id=99"},
                                                             {dir / "folder"},
                                                             {dir / "pipe", "-c", "DIR"}};
    for (const std::vector<std::string>& args : bad_lines) {
        CmdRun run = korvane_cmd(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("usage: korvane-cmd"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// Lines from -c and from standard input; notices on standard error, one line each.
TEST(KorvaneCmd, RunsLinesAndSaysWhatHappenedOnStandardError) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::vector<std::string> out, err, absent;
    } cases[] = {
            // an unknown command is a failure of the run; ? lists the commands
            {{"-c", "FROB", "-c", "?", "-c", "TYPE"}, "", 4, {"QUIT"}, {"Korvane: unknown command \"FROB\"\n"}, {}},
            // nothing after QUIT runs; no prompt without a terminal
            {{}, "  \nHELP\r\nQUIT\nFROB\n", 0, {"COPY"}, {}, {"FROB", "Korvane>"}},
            // no drive answers at adapter 0, target 5
            {{"/A05", "-c", "TYPE"}, "", 0, {}, {"Korvane: Drive not ready or no floppy disk.\n"}, {}},
            // status texts only with -v
            {{"-c", "TYPE"}, "", 0, {}, {}, {"Korvane: Select drive in the 'Mac Drive' menu"}},
            {{"-v", "-c", "TYPE"}, "", 0, {}, {"Korvane: Select drive in the 'Mac Drive' menu"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? c.input : c.args[0] + " " + c.args[1]);
        const CmdRun run = korvane_cmd(c.args, c.input);
        if (run.err.find("Korvane: This is") != std::string::npos) continue;  // a real drive answered
        EXPECT_EQ(run.status, c.status);
        for (const std::string& text : c.out) EXPECT_NE(run.out.find(text), std::string::npos) << run.out;
        for (const std::string& text : c.err) EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
        for (const std::string& text : c.absent) EXPECT_EQ(run.err.find(text), std::string::npos) << run.err;
        for (const std::string& text : c.absent) EXPECT_EQ(run.out.find(text), std::string::npos) << run.out;
    }
}

// 43150 KB formatted by hformat: 43142 allocation blocks of 1024 bytes, the
// header at sector 2, blocks from sector 14, the extents file at block 0
// and the catalog at block 337, each 345088 bytes long. In a partition from
// sector 64 every offset moves by 64. On a medium of 1024-byte sectors the
// two files' sizes count those sectors; everything else stays in 512 bytes.
TEST(KorvaneCmd, InfoPrintsEveryFigureOfTheVolume) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "info.hda", 43150, "Info");
    volume.add_folder(":Letters");
    volume.add_text_file(":Letters:Note", "note\r");
    std::string free_bytes;
    for (const std::string& line : volume.lines({"hvol"})) {
        if (line.starts_with("Volume has ")) free_bytes = line.substr(11, line.find(' ', 11) - 11);
    }
    volume.unmount();
    auto figures = [&free_bytes](int start, int tree_sectors = 674) {
        std::ostringstream out;
        out << "Volume Size:\t44177408\nFree space:\t" << free_bytes
            << "\nNumber of files:\t1\nNumber of folders:\t1\nNext File ID:\t18\nMDB Offset:\t" << start + 2
            << "\nPartitions:\t1\nCluster Size:\t1024\nNumber of Sectors:\t86284\nExtensions Offset:\t" << start + 14
            << "\nExtensions Size (sectors):\t" << tree_sectors << "\nCatalog Offset:\t" << start + 688
            << "\nCatalog Size (sectors):\t" << tree_sectors << "\n";
        return out.str();
    };
    const std::string partitioned = dir / "apm.hda";
    korvane::testing::write_partitioned_medium(partitioned, 44u << 20, 512, 512,
                                               {{"MacOS", "Apple_HFS", 64, 86300, volume.image()}});
    // INFO only reads: a write-protected medium shows the same.
    const std::pair<std::string, std::string> runs[] = {{volume.image(), figures(0)},
                                                        {volume.image() + ",ro", figures(0)},
                                                        {volume.image() + ",type=mo,sector=1024", figures(0, 337)},
                                                        {partitioned, figures(64)}};
    for (const auto& [image, expected] : runs) {
        const CmdRun run = korvane_cmd({image, "-c", "INFO"});
        EXPECT_EQ(run.status, 0) << image << run.err;
        EXPECT_EQ(run.out, expected) << image;
    }
}

// What a script learns from the exit status and standard error, on a volume
// made by hfsutils: a folder Docs holding a file Old.
TEST(KorvaneCmd, TheExitStatusSaysWhetherEveryCommandDidWhatItWasAsked) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "volume.hda", 800, "Status");
    volume.add_folder(":Docs");
    volume.add_text_file(":Docs:Old", "old\r");
    volume.unmount();
    const std::string& image = volume.image();
    struct Case {
        std::vector<std::string> lines;
        int status;
        std::string said;  // on standard error
    };
    const std::vector<Case> cases = {
            {{"DIR", "CD Docs", "COPY Old", "TYPE"}, 0, ""},
            {{"COPY Docs:Old"}, 4, "Korvane: No entry matches \"Docs:Old\"\n"},
            {{"CD Nowhere", "DIR"}, 4, "Korvane: No entry matches \"Nowhere\"\n"},
            {{"DIR zz*"}, 4, "Korvane: No entry matches \"zz*\"\n"},
            {{"COPY Nothing"}, 4, "Korvane: No entry matches \"Nothing\"\n"},
            {{"INFO", "LOCK", "UNLOCK", "MODE R+", "MODE R-"}, 0, ""},
            {{"COPY"}, 4, "Korvane: No selected file or folder. Please select an item to copy toward the PC\n"},
            {{"CD"}, 4, ""},  // the status line asks for a selection
            {{"MCOPY"},
             4,
             "Korvane: MCOPY without a name needs a terminal to choose the files; name them: MCOPY name-or-pattern\n"},
            {{"DUMP Nothing"}, 4, "Korvane: No entry matches \"Nothing\"\n"},
            {{"DUMP"}, 4, "Korvane: DUMP needs the name of a file: DUMP name [/R] [/H].\n"},
    };
    for (const Case& c : cases) {
        ScratchDir pc;
        std::vector<std::string> args = {image, "--pc-dir", pc.path()};
        for (const std::string& line : c.lines) args.insert(args.end(), {"-c", line});
        CmdRun run = korvane_cmd(args);
        EXPECT_EQ(run.status, c.status) << c.lines[0] << run.err;
        EXPECT_EQ(run.err, c.said) << c.lines[0];
        const bool copies = c.lines[0] == "DIR";  // the one case that copies Old
        EXPECT_EQ(std::filesystem::is_empty(pc.path()), !copies) << c.lines[0];
    }
    // DUMP prints the window's lines for the whole allocated block.
    const CmdRun dumped = korvane_cmd({image, "-c", "CD Docs", "-c", "DU O* /H"});
    EXPECT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<std::string> printed = testing::split_lines(dumped.out);
    ASSERT_EQ(printed.size(), 32u) << dumped.out;
    EXPECT_EQ(printed[0], "00000000 6f 6c 64 0d 00 00 00 00  00 00 00 00 00 00 00 00 old_____________      ");
    EXPECT_EQ(printed[31].substr(0, 12), "000001f0 00 ");
    // Not a Macintosh volume: the commands that need one fail.
    EXPECT_EQ(korvane_cmd({testing::zero_file(dir / "blank.img", 800 * 1024), "-c", "DIR"}).status, 4);
    // Working copies that cannot be placed: the fatal notice, exit status 1, nothing listed.
    setenv("TMPDIR", (dir / "no-such-folder").c_str(), 1);
    const CmdRun fatal = korvane_cmd({image, "-c", "DIR"});
    unsetenv("TMPDIR");
    EXPECT_EQ(fatal.status, 1) << fatal.err;
    EXPECT_NE(fatal.err.find("Korvane: Not enough free space for temporary files.\n"), std::string::npos) << fatal.err;
    EXPECT_EQ(fatal.out, "");
}

TEST(KorvaneCmd, FormatWritesOnlyWithYesWhenNoTerminalCanConfirm) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    EXPECT_EQ(korvane_cmd({image, "-c", "FORMAT \"Work Disk\""}).status, 4) << "nothing confirmed the format";
    EXPECT_EQ(korvane_cmd({image, "--no", "-c", "FORMAT \"Work Disk\""}).status, 4);
    // The format would have written the first 1536 sectors and the last two.
    const std::string untouched = testing::read_all(image);
    EXPECT_EQ((untouched.substr(0, 1536 * 512) + untouched.substr(untouched.size() - 1024)).find_first_not_of('\0'),
              std::string::npos)
            << "nothing was written";

    const CmdRun formatted = korvane_cmd({image, "--yes", "-c", "FORMAT \"Work Disk\"", "-c", "DIR"});
    ASSERT_EQ(formatted.status, 0) << formatted.err;
    const std::string& listing = formatted.out;
    EXPECT_NE(listing.find(" Vol: Work Disk"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Desktop DB\t"), std::string::npos) << listing;
    EXPECT_EQ(testing::check_problems(image, 385), "");
    EXPECT_NE(testing::hfsutils_read(dir.path(), image).find("Volume name is \"Work Disk\""), std::string::npos);

    // /V: a bare volume from sector 0, which hfsutils mounts whole.
    const std::string bare = testing::zero_file(dir / "bare.hda", 20000 * 512);
    ASSERT_EQ(korvane_cmd({bare, "--yes", "-c", "FORMAT Emulator /V"}).status, 0);
    EXPECT_EQ(testing::check_problems(bare, 0), "");
    const std::string text = testing::hfsutils_read(dir.path(), bare);
    EXPECT_NE(text.find("Volume name is \"Emulator\""), std::string::npos) << text;
    EXPECT_EQ(text.find("partition"), std::string::npos) << "no partition map: " << text;
}

// A device image as a disk utility leaves it: its own driver partition at
// sector 64 (32 sectors of a pattern) named by one driver descriptor, and a
// partition of another type that is not copied.
std::string image_with_driver(const ScratchDir& dir) {
    std::string bytes(200 * 512, '\0');
    using testing::put_be32;
    auto put16 = [&](std::size_t at, std::uint16_t v) { bytes.replace(at, 2, {char(v >> 8), char(v)}); };
    bytes.replace(0, 2, "ER");
    put16(2, 512);
    put16(16, 1);
    put_be32(bytes, 18, 64);
    put16(22, 20);
    put16(24, 0x0701);
    auto entry = [&](std::size_t sector, std::uint32_t start, std::uint32_t count, const std::string& name,
                     const std::string& type) {
        const std::size_t at = sector * 512;
        bytes.replace(at, 2, "PM");
        put_be32(bytes, at + 4, 3);
        put_be32(bytes, at + 8, start);
        put_be32(bytes, at + 12, count);
        bytes.replace(at + 16, name.size(), name);
        bytes.replace(at + 48, type.size(), type);
        put_be32(bytes, at + 84, count);
        put_be32(bytes, at + 88, 0x7F);
        put_be32(bytes, at + 96, 20 * 512);  // boot size
        put_be32(bytes, at + 116, 0xBEEF);   // boot checksum
    };
    entry(1, 1, 63, "Apple", "Apple_partition_map");
    entry(2, 64, 32, "Our Driver", "Apple_Driver43");
    entry(3, 96, 100, "Other", "Apple_Free");
    for (std::size_t i = 64 * 512; i < 96 * 512; ++i) bytes[i] = static_cast<char>(i * 7);
    const std::string path = dir / "with-driver.img";
    std::ofstream(path, std::ios::binary) << bytes;
    return bytes;
}

TEST(KorvaneCmd, DriverFromCopiesTheDriverPartitionsOfAnotherImage) {
    ScratchDir dir;
    const std::string source = image_with_driver(dir);
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    ASSERT_EQ(korvane_cmd({image, "--yes", "--driver-from", dir / "with-driver.img", "-c", "FORMAT Driven"}).status, 0);
    const std::string start = testing::read_all(image).substr(0, 256 * 512);
    EXPECT_EQ(start.substr(18, 8), std::string("\0\0\0\x81\0\x14\x07\x01", 8)) << "ddBlock 129, as it was besides";
    const std::string entry = start.substr(2 * 512, 512);
    std::string expected = source.substr(2 * 512, 512);
    expected[11] = '\x81';  // only pmPyPartStart changes
    EXPECT_EQ(entry, expected);
    EXPECT_EQ(start.substr(129 * 512, 32 * 512), source.substr(64 * 512, 32 * 512));
    EXPECT_EQ(start.substr(3 * 512 + 48, 9), "Apple_HFS");
    EXPECT_EQ(start[3 * 512 + 11], '\xA1') << "the HFS partition follows the driver at 161";
    EXPECT_EQ(start.substr(4 * 512, 2), std::string(2, '\0')) << "the partition of another type is not copied";
    EXPECT_EQ(testing::check_problems(image, 161), "");
    EXPECT_NE(testing::hfsutils_read(dir.path(), image).find("Volume name is \"Driven\""), std::string::npos);

    const std::string blank = testing::zero_file(dir / "HD0_512.hda", 86701 * 512);
    EXPECT_EQ(korvane_cmd({blank, "--yes", "--driver-from", blank, "-c", "FORMAT Driven"}).status, 4)
            << "an image without drivers gives none, and nothing is written";
}

TEST(KorvaneCmd, VerifyPrintsEachErrorBlockAndRescuePrintsEachFile) {
    ScratchDir dir;
    const std::string image = testing::zero_file(dir / "HD0_512.hda", 10001 * 512);
    const CmdRun failed = korvane_cmd({image + ",bad=5000,bad=9000", "--yes", "-c", "VERIFY"});
    EXPECT_EQ(failed.status, 4);
    EXPECT_EQ(failed.out,
              "Error in block of 4096 sectors beginning at 4097.\n"
              "Error in block of 1808 sectors beginning at 8193.\n");
    const CmdRun sound = korvane_cmd({image, "-c", "VERIFY"});
    EXPECT_EQ(sound.status, 0);
    EXPECT_EQ(sound.out, "");

    HfsutilsVolume volume(dir, "mac.img", 800);
    volume.addFile(":Notes", "rescued notes");
    volume.unmount();
    ScratchDir pc;
    const CmdRun rescued = korvane_cmd({volume.image(), "--pc-dir", pc.path(), "-c", "RESCUE"});
    ASSERT_EQ(rescued.status, 0) << rescued.err;
    EXPECT_EQ(rescued.out, "Notes\tNotes.txt\n") << "named as a copy to the PC names it";
    EXPECT_EQ(testing::read_all(pc / "Notes.txt"), "rescued notes");
}

// --yes and --no through korvane-cmd: KorvaneCmd.FormatWritesOnlyWithYesWhenNoTerminalCanConfirm
// and UndoJournal.AWriteBackKilledAtEachRequestIsRolledBackOnOpening.
TEST(ConsoleHost, AnswersQuestionsPerOption) {
    std::ostringstream err;
    std::istringstream nobody;
    ConsoleHost not_a_terminal(ConsoleOptions{}, nobody, err, false);
    EXPECT_FALSE(not_a_terminal.ask_yes_no("Deleting several files/directories?"));
    EXPECT_EQ(not_a_terminal.ask_yes_no_cancel("Replace?"), Choice::Cancel);

    std::istringstream typed("maybe\n y\n");
    std::ostringstream prompts;
    ConsoleHost terminal(ConsoleOptions{}, typed, prompts, true);
    EXPECT_TRUE(terminal.ask_yes_no("Do you really want to quit?"));
    EXPECT_NE(prompts.str().find("Korvane: Do you really want to quit? [y/n] "), std::string::npos);

    std::ostringstream bell;
    ConsoleHost(ConsoleOptions{}, nobody, bell, false).beep();
    EXPECT_EQ(bell.str(), "\a");
}

// "File Attributes" on a terminal: the fields, then a line of settings;
// "advanced" shows the details, a bad setting is said and asked again.
TEST(ConsoleHost, AttributesAreShownThenChangedByALineOfSettings) {
    AttributesDialog dialog;
    dialog.file_name = "Caf\xE9";
    dialog.file_type = "TEXT";
    dialog.advanced.data_extents = "40/12, 0/0, 0/0";
    std::istringstream typed("advanced\nsize=1\nname=Th\xC3\xA9,type=TEX\n");
    std::ostringstream err;
    std::ostringstream out;
    ConsoleHost terminal(ConsoleOptions{}, typed, err, true);
    terminal.set_output(out);
    EXPECT_EQ(terminal.run_dialog(dialog), kDialogOk);
    EXPECT_EQ(dialog.file_name, "Th\xE9");
    EXPECT_EQ(dialog.file_type, "TEX");
    EXPECT_TRUE(out.str().starts_with("Filename: Caf\xC3\xA9\nCreator: \nFiletype: TEXT\n")) << out.str();
    EXPECT_NE(out.str().find("Data extents: 40/12, 0/0, 0/0\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("Korvane: \"size\" is not an attribute"), std::string::npos) << err.str();

    std::istringstream nobody;
    ConsoleHost no_terminal(ConsoleOptions{}, nobody, err, false);
    no_terminal.set_output(out);
    EXPECT_EQ(no_terminal.run_dialog(dialog), kDialogCancel);
}

// On a terminal "Copy PC -> Mac" lists numbered rows; a line browses or
// copies the files by their numbers.
TEST(ConsoleHost, CopyToMacBrowsesAndCopiesTheNumberedFiles) {
    ScratchDir pc;
    std::ofstream(pc / "a*") << "12";
    std::ofstream(pc / "b.txt") << "345";
    std::filesystem::create_directories(pc / "sub");
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(pc.path());
    std::istringstream typed("cd 2\ncd ..\n9\n2 1\n\n");
    std::ostringstream err;
    std::ostringstream out;
    ConsoleHost terminal(ConsoleOptions{}, typed, err, true);
    terminal.set_output(out);
    Context ctx(terminal);
    std::vector<std::pair<std::string, std::string>> calls;
    CopyToMacDialog dialog(ctx, [&calls](TransferContext&, std::string_view pattern) {
        calls.emplace_back(pattern, std::filesystem::current_path().string());
        return 0;
    });
    EXPECT_EQ(terminal.run_dialog(dialog), kDialogOk);
    EXPECT_EQ(calls, (std::vector<std::pair<std::string, std::string>>{{"a\\*", pc.path()}, {"b.txt", pc.path()}}));
    EXPECT_NE(out.str().find("Files  Total 5\n  1  a*\n  2  b.txt\nDirectories\n  1  [..]\n  2  [sub]\n"),
              std::string::npos)
            << out.str();
    EXPECT_NE(out.str().find("/sub/  Filename: *.*\n"), std::string::npos) << "cd 2 entered sub";
    CopyToMacDialog closed(ctx, [](TransferContext&, std::string_view) { return 0; });
    EXPECT_EQ(terminal.run_dialog(closed), kDialogCancel) << "Enter is Cancel/Exit";
    std::filesystem::current_path(saved);
}

}  // namespace
}  // namespace korvane
