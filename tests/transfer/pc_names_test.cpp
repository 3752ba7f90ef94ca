// The PC side of a copy: the extensions of the type table, the names a
// Macintosh name becomes, the guard that keeps them in their directory, the
// path a form shows, the ports.
#include <gtest/gtest.h>

#include "transfer/dos_name.h"
#include "transfer/output_port.h"
#include "transfer/pc_browser.h"
#include "transfer/pc_name_guard.h"
#include "transfer/type_table.h"

namespace korvane {
namespace {

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
}  // namespace korvane
