#include "transfer/type_table.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace korvane
