// "File Attributes" driven through the engine on volumes made by hfsutils:
// what the dialog shows of a file's record, what "Write" stores, and the
// write-protection question. The fields are read back by hfsutils and CHECK.
#include <gtest/gtest.h>

#include "hfs/attribute_dialogs.h"
#include "hfs/mac_date.h"
#include "hfs/write_back.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/write_fixture.h"

namespace korvane::testing {
namespace {

FileRecordCopy file_record(const std::string& image, const std::string& name) {
    OpenedVolume opened(image);
    EXPECT_EQ(opened.open(), CatalogOpen::Complete);
    const auto file = read_file_record(opened.ctx, kRootDirectoryID, name);
    EXPECT_TRUE(file) << name;
    return file.value_or(FileRecordCopy{});
}

// The dialog shows the record; "Write" stores what was typed: a short type
// padded with zero bytes, the year field's two centuries, an accented name.
TEST(AttributeEdit, TheDialogShowsTheRecordAndWriteStoresTheEditedFields) {
    // 1440 KB: 512-byte allocation blocks; 120000 KB: 2048-byte ones.
    for (const std::uint32_t kilobytes : {1440u, 120000u}) {
        SCOPED_TRACE(kilobytes);
        ScratchDir dir;
        HfsutilsVolume volume(dir, "attributes.img", kilobytes);
        volume.addFile(":Plain", std::string(5000, 'p'));
        ASSERT_EQ(volume.tool({"hattrib", "-t", "TEXT", "-c", "ttxt", ":Plain"}), 0);
        const FileRecordCopy before = file_record(volume.image(), "Plain");

        OpenedVolume opened(volume.image());
        ASSERT_EQ(opened.open(), CatalogOpen::Complete);
        HfsContext& ctx = opened.ctx;
        ctx.state.current_dir_id = kRootDirectoryID;
        const std::uint32_t perBlock = ctx.geometry.sectorsPerBlock;
        ASSERT_EQ(perBlock, kilobytes == 1440 ? 1u : 4u);
        AttributesDialog shown;
        opened.host.dialog_answers.push_back([&](Dialog& dialog) {
            auto& attributes = static_cast<AttributesDialog&>(dialog);
            shown = attributes;
            attributes.file_name = "R\xE9sum\xE9";  // Windows é
            attributes.file_type = "TEX";
            attributes.creator = "ab";
            attributes.created = {year_of_field(5), 3, 4, 10, 20};
            attributes.modified = {year_of_field(96), 12, 31, 23, 59};
            return kDialogOk;
        });
        ASSERT_TRUE(edit_attributes(ctx, "Plain"));
        EXPECT_FALSE(ctx.outcome.failureReported);

        EXPECT_EQ(shown.lines()[0], "Filename: Plain");
        EXPECT_EQ(shown.creator, "ttxt");
        EXPECT_EQ(shown.file_type, "TEXT");
        EXPECT_EQ(shown.data_length, 5000u);
        EXPECT_EQ(shown.created, date_fields_of(before.field32(filrec::created)));
        const ExtentDescriptor first =
                extent_descriptor(ExtentRecordBytes(before.data.data() + filrec::data_extents, 12), 0);
        EXPECT_EQ(shown.advanced.data_extents, std::to_string(first.startBlock * perBlock) + "/" +
                                                       std::to_string(first.block_count * perBlock) + ", 0/0, 0/0");
        EXPECT_EQ(shown.advanced.resource_extents, "0/0, 0/0, 0/0");
        EXPECT_EQ(shown.advanced.file_number, std::to_string(before.field32(filrec::fileNumber)));

        const FileRecordCopy after = file_record(volume.image(), "R\x8Esum\x8E");  // Macintosh é
        EXPECT_EQ(std::string(after.data.begin() + filrec::fileType, after.data.begin() + filrec::fileType + 8),
                  std::string("TEX\0ab\0\0", 8));
        EXPECT_EQ(after.field32(filrec::created), fields_to_mac_date(2005, 3, 4, 10, 20));
        EXPECT_EQ(after.field32(filrec::modified), fields_to_mac_date(1996, 12, 31, 23, 59));
        EXPECT_EQ(std::vector(after.data.begin() + filrec::dataStartBlock, after.data.begin() + filrec::created),
                  std::vector(before.data.begin() + filrec::dataStartBlock, before.data.begin() + filrec::created));
        const auto listed = volume.lines({"hls", "-l", ":"});
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_NE(listed[0].find(" TEX/  ab "), std::string::npos) << listed[0];
        EXPECT_NE(listed[0].find("R\x8Esum\x8E"), std::string::npos) << listed[0];
        EXPECT_EQ(volume.tool({"hcopy", "-r", "R\x8Esum\x8E", dir / "back"}), 0);
        EXPECT_EQ(read_all(dir / "back"), std::string(5000, 'p'));
        EXPECT_EQ(check_problems(volume.image()), "");
    }
}

// Dates left as shown keep their seconds; "Quit" and a refused question on a
// write-protected medium change nothing.
TEST(AttributeEdit, QuitAndTheWriteProtectionQuestionLeaveTheRecord) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "kept.img", 1440);
    volume.addFile(":Kept", "kept");
    volume.tool({"humount"});
    const std::string bytes = read_all(volume.image());
    for (const bool writeProtected : {false, true}) {
        OpenedVolume opened(volume.image() + (writeProtected ? ",ro" : ""));
        ASSERT_EQ(opened.open(), CatalogOpen::Complete);
        opened.ctx.state.current_dir_id = kRootDirectoryID;
        opened.host.dialog_answers.push_back([&](Dialog& dialog) {
            static_cast<AttributesDialog&>(dialog).file_type = "XXXX";
            return writeProtected ? kDialogOk : kDialogCancel;
        });
        EXPECT_FALSE(edit_attributes(opened.ctx, "Kept"));
        EXPECT_EQ(opened.host.showed("Write-protected media."), writeProtected);
        EXPECT_EQ(read_all(volume.image()), bytes);
    }
    // Unchanged fields write the record back as it was, seconds and all.
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    opened.ctx.state.current_dir_id = kRootDirectoryID;
    opened.host.dialog_answers.push_back([](Dialog&) { return kDialogOk; });
    EXPECT_TRUE(edit_attributes(opened.ctx, "Kept"));
    EXPECT_EQ(read_all(volume.image()), bytes);
}

// A file with a thread record (as Mac OS gives some): the thread follows
// a rename, and CHECK, which holds each thread against its file, agrees.
TEST(AttributeEdit, ARenameCarriesTheFileThreadAlong) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "thread.img", 1440);
    volume.addFile(":Threaded", "t");
    OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    HfsContext& ctx = opened.ctx;
    ctx.state.current_dir_id = kRootDirectoryID;
    FileRecordCopy file = *read_file_record(ctx, kRootDirectoryID, "Threaded");
    file.data[filrec::flags] |= 0x02;
    ASSERT_EQ(replace_record_data(ctx, ctx.catalogTree, catalog_key(kRootDirectoryID, "Threaded"), file.data),
              EditResult::Done);
    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kFileThreadRecord;
    store_be32(thread.data() + thdrec::parentID, kRootDirectoryID);
    thread[thdrec::name] = 8;
    std::copy_n("Threaded", 8, thread.begin() + thdrec::name + 1);
    ASSERT_EQ(insert_leaf_record(ctx, catalog_key(file.field32(filrec::fileNumber), ""), thread), EditResult::Done);
    add_header_count(ctx, header::leafRecords, 1);
    ASSERT_TRUE(write_back(ctx));
    ASSERT_EQ(check_problems(volume.image()), "");

    opened.host.dialog_answers.push_back([](Dialog& dialog) {
        static_cast<AttributesDialog&>(dialog).file_name = "Moved";
        return kDialogOk;
    });
    ASSERT_TRUE(edit_attributes(ctx, "Threaded"));
    EXPECT_EQ(check_problems(volume.image()), "");
    EXPECT_EQ(volume.lines({"hls", "-1", ":"}), std::vector<std::string>{"Moved"});
}

}  // namespace
}  // namespace korvane::testing
