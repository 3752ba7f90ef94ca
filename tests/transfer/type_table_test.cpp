#include "transfer/type_table.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(TypeTable, ExtensionFromTypeUsesThreePasses) {
    TypeTable table = builtin_type_table();
    EXPECT_EQ(extension_for_type(table, "APPLttxt"), "COM");  // type only
    EXPECT_EQ(extension_for_type(table, "TEXTBNHQ"), "HQX");  // all eight
    EXPECT_EQ(extension_for_type(table, "TEXTttxt"), "TXT");
    EXPECT_EQ(extension_for_type(table, "XLS5XCEL"), "XLS");
    EXPECT_EQ(extension_for_type(table, "W6BNMSWD"), "DOC");
    EXPECT_EQ(extension_for_type(table, "WPxxyyyy"), "WP4");  // first two of the type
    EXPECT_EQ(extension_for_type(table, "JPEGogle"), "TXT");  // no match
    // Free rows hold blanks: a type of blanks must not pick up an empty extension.
    EXPECT_EQ(extension_for_type(table, "        "), "TXT");
}

TEST(TypeTable, TypeFromExtensionTakesTheFirstRow) {
    TypeTable table = builtin_type_table();
    EXPECT_EQ(type_for_extension(table, "report.doc"), "WDBNMSWD");
    EXPECT_EQ(type_for_extension(table, "SHEET.XLS"), "XLS5XCEL");
    EXPECT_EQ(type_for_extension(table, "a.b.pct"), "PICT????");
    EXPECT_EQ(type_for_extension(table, "photo.jpeg"), "TEXT????");
    EXPECT_EQ(type_for_extension(table, "README"), "TEXT????");
}

TEST(TypeTable, DatabaseLinesChangeTheRightRow) {
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
}

TEST(TypeTable, ShortFieldIsPaddedWithBlanks) {
    TypeTable table = builtin_type_table();
    EXPECT_TRUE(apply_type_database_line(table, "ABC TEX"));
    EXPECT_EQ(table[22].type_creator, "TEX     ");
    EXPECT_TRUE(apply_type_database_line(table, "XY"));
    EXPECT_EQ(table[23].extension, "XY");
    EXPECT_EQ(table[23].type_creator, "        ");
}

TEST(TypeTable, QuoteStartsTheFieldAndFullTableBeeps) {
    TypeTable table = builtin_type_table();
    EXPECT_TRUE(apply_type_database_line(table, "QQQ x\"ABCDEFGH"));
    EXPECT_EQ(table[22].type_creator, "\"ABCDEFG");
    for (int i = 0; i < 14; ++i) {
        std::string line = "E" + std::string(1, static_cast<char>('A' + i)) + "X TYPECREA";
        EXPECT_TRUE(apply_type_database_line(table, line));
    }
    EXPECT_FALSE(apply_type_database_line(table, "NEW TYPECREA"));
    EXPECT_TRUE(apply_type_database_line(table, "EAX NEWTNEWC"));  // an existing row is still found
}

}  // namespace
}  // namespace korvane
