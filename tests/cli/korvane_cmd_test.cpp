// Runs the built korvane-cmd and checks what a user or a script sees: the
// exit status, the notices on standard error and the output.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

#include "app/attribute_commands.h"
#include "app/context.h"
#include "cli/console_host.h"
#include "cli/console_session.h"
#include "transfer/copy_to_mac_dialog.h"
#include "core/notices.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "util/temp_files.h"

namespace korvane {
namespace {

using korvane::testing::HfsutilsVolume;
using korvane::testing::read_all;
using korvane::testing::ScratchDir;

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct CmdRun {
    int status = -1;
    std::string out;
    std::string err;
};

CmdRun korvane_cmd(const std::vector<std::string>& args, const std::string& input = "",
                   const std::string& working_dir = "") {
    ScratchDir dir;
    std::ofstream(dir / "in") << input;
    std::string command = working_dir.empty() ? std::string() : "cd " + quoted(working_dir) + " && ";
    command += quoted(std::string(KORVANE_BIN_DIR) + "/korvane-cmd");
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " <" + quoted(dir / "in") + " >" + quoted(dir / "out") + " 2>" + quoted(dir / "err");
    CmdRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read_all(dir / "out");
    run.err = read_all(dir / "err");
    return run;
}

TEST(KorvaneCmd, ABadCommandLineExitsWithTwoAndShowsTheUsage) {
    ScratchDir dir;
    const std::string image = dir / "disk.img";
    std::ofstream(image) << std::string(512, '\0');
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"--frobnicate"}, {"-c"}, {"--yes", "--no"}, {"--partition", "x"}, {image + ",bogus=1"},
                 {image + ",bad=5-3"}, {image + ",flaky=-1"}, {image + ",id=99"}, {dir / "folder"},
                 {dir / "pipe", "-c", "DIR"}}) {
        CmdRun run = korvane_cmd(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("usage: korvane-cmd"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(KorvaneCmd, RunsEachLineAndReportsUnknownCommandsOnStandardError) {
    CmdRun run = korvane_cmd({"-c", "FROB", "-c", "?", "-c", "TYPE"});
    EXPECT_EQ(run.status, 4) << "an unknown command is a failure of the run";
    EXPECT_NE(run.err.find("Korvane: unknown command \"FROB\"\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("QUIT"), std::string::npos) << "? lists the commands";
}

TEST(KorvaneCmd, ReadsLinesFromStandardInputUntilQuit) {
    CmdRun run = korvane_cmd({}, "  \nHELP\r\nQUIT\nFROB\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("COPY"), std::string::npos);
    EXPECT_EQ(run.err.find("FROB"), std::string::npos) << "nothing after QUIT runs";
    EXPECT_EQ(run.out.find("Korvane>"), std::string::npos) << "no prompt without a terminal";
}

TEST(KorvaneCmd, NoticesGoToStandardErrorOneLineEach) {
    // No drive answers at adapter 0, target 5.
    CmdRun run = korvane_cmd({"/A05", "-c", "TYPE"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("Korvane: Drive not ready or no floppy disk.\n"), std::string::npos) << run.err;
}

TEST(KorvaneCmd, ContinuesALogGivenWithSlashL) {
    ScratchDir dir;
    const std::string log = dir / "transfers of today.log";
    ASSERT_EQ(korvane_cmd({"-l:" + log, "-c", "TYPE"}).status, 0);
    ASSERT_EQ(korvane_cmd({"/L=" + log, "-c", "TYPE"}).status, 0);
    const std::string text = read_all(log);
    ASSERT_FALSE(text.empty());
    // >date, <date, >date, <date: four LF-ended lines in that order.
    std::istringstream lines(text);
    std::string line, marks;
    while (std::getline(lines, line)) marks += line.substr(0, 1);
    EXPECT_EQ(marks, "><><") << text;
}

TEST(KorvaneCmd, StatusTextsAppearWithDashV) {
    CmdRun quiet = korvane_cmd({"-c", "TYPE"});
    CmdRun verbose = korvane_cmd({"-v", "-c", "TYPE"});
    const std::string status = "Korvane: Select drive in the 'Mac Drive' menu";
    if (verbose.err.find("Korvane: This is") != std::string::npos) GTEST_SKIP() << "a drive was found";
    EXPECT_EQ(quiet.err.find(status), std::string::npos);
    EXPECT_NE(verbose.err.find(status), std::string::npos) << verbose.err;
}

// A volume whose working copies cannot be placed: the fatal notice on
// standard error, exit status 1, nothing listed.
TEST(KorvaneCmd, AFatalErrorExitsWithOne) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "volume.hda", 800, "Fatal");
    volume.unmount();
    const std::string& image = volume.image();
    setenv("TMPDIR", (dir / "no-such-folder").c_str(), 1);
    CmdRun run = korvane_cmd({image, "-c", "DIR"});
    unsetenv("TMPDIR");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Korvane: Not enough free space for temporary files.\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// An image named relative to where korvane-cmd starts is still found when
// --pc-dir moves the current directory elsewhere.
TEST(KorvaneCmd, ARelativeImagePathSurvivesPcDir) {
    ScratchDir dir;
    HfsutilsVolume(dir, "volume.hda", 800, "Relative").unmount();
    std::filesystem::create_directory(dir / "elsewhere");
    CmdRun run = korvane_cmd({"volume.hda", "--pc-dir", "elsewhere", "-c", "DIR"}, "", dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(" Vol: Relative"), std::string::npos) << run.out << run.err;
}

// A fatal error on the console: the text on standard error, and Korvane's
// working files removed from the temporary directory.
TEST(ConsoleHost, AFatalErrorIsShownAndTheWorkingFilesRemoved) {
    ScratchDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    std::istringstream in;
    std::ostringstream err;
    ConsoleHost host(ConsoleOptions{}, in, err, false);
    Context ctx(host);
    std::string path;
    close(create_temp_file(ctx, path, "CAT", 512));
    close(create_temp_file(ctx, path, "EXT", 512));
    unsetenv("TMPDIR");
    try {
        fatal_notice(ctx, "Error reading data. Restart the program.");
    } catch (const FatalError& error) {
        report_fatal_error(ctx, error);
    }
    EXPECT_EQ(err.str(), "Korvane: Error reading data. Restart the program.\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(KorvaneCmd, DamageWinsOverAFailedCommand) {
    EXPECT_EQ(exit_status_of({}), 0);
    EXPECT_EQ(exit_status_of({.failureReported = true}), 4);
    EXPECT_EQ(exit_status_of({.damageFound = true}), 3);
    EXPECT_EQ(exit_status_of({.failureReported = true, .damageFound = true}), 3);
}

// What a script learns from the exit status and standard error, on a volume
// made by hfsutils: a folder Docs holding a file Old.
TEST(KorvaneCmd, TheExitStatusSaysWhetherEveryCommandDidWhatItWasAsked) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "volume.hda", 800, "Status");
    volume.addFolder(":Docs");
    volume.addTextFile(":Docs:Old", "old\r");
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
            {{"INFO"}, 4, "Korvane: INFO is not available in this version of Korvane\n"},
            {{"COPY"}, 4, "Korvane: No selected file or folder. Please select an item to copy toward the PC\n"},
            {{"CD"}, 4, ""},  // the status line asks for a selection
            {{"MCOPY"}, 4,
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
    std::istringstream lines(dumped.out);
    std::vector<std::string> printed;
    for (std::string line; std::getline(lines, line);) printed.push_back(line);
    ASSERT_EQ(printed.size(), 32u) << dumped.out;
    EXPECT_EQ(printed[0], "00000000 6f 6c 64 0d 00 00 00 00  00 00 00 00 00 00 00 00 old_____________      ");
    EXPECT_EQ(printed[31].substr(0, 12), "000001f0 00 ");
    // Not a Macintosh volume: the commands that need one fail.
    const std::string blank = dir / "blank.img";
    std::ofstream(blank) << std::string(800 * 1024, '\0');
    EXPECT_EQ(korvane_cmd({blank, "-c", "DIR"}).status, 4);
}

TEST(ConsoleHost, AnswersQuestionsPerOption) {
    std::ostringstream err;
    std::istringstream nobody;
    ConsoleOptions yes;
    yes.answers = AnswerMode::AlwaysYes;
    EXPECT_TRUE(ConsoleHost(yes, nobody, err, false).ask_ok_cancel("Write-protected media."));
    EXPECT_EQ(ConsoleHost(yes, nobody, err, false).ask_yes_no_cancel("Replace?"), Choice::Yes);

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
