// The folder operations and "File Attributes" on volumes made by hfsutils:
// names as Korvane makes them, refusals that change nothing, recursive and
// wildcard deletes that free every block of a file (overflow extents too),
// renames with wildcards; what the attributes dialog shows of a file's
// record, what "Write" stores, and the write-protection question. Each case
// ends with hfsutils reading the volume and CHECK finding nothing.
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "hfs/attribute_dialogs.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/folder_edit.h"
#include "hfs/folder_walk.h"
#include "hfs/mac_date.h"
#include "hfs/volume_bitmap.h"
#include "hfs/working_copies.h"
#include "hfs/write_back.h"
#include "tests/hfs/check_fixture.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/hfs/write_fixture.h"

namespace korvane::testing {
namespace {

// A volume made by hformat, opened with the root as the current folder.
struct EditedVolume {
    ScratchDir dir;
    HfsutilsVolume volume;
    std::unique_ptr<OpenedVolume> opened;

    explicit EditedVolume(std::uint32_t kilobytes = 1440) : volume(dir, "edit.img", kilobytes) {}
    HfsContext& open() {
        opened = std::make_unique<OpenedVolume>(volume.image());
        EXPECT_EQ(opened->open(), CatalogOpen::Complete);
        EXPECT_TRUE(enter_root_directory(opened->ctx));
        EXPECT_TRUE(start_modification(opened->ctx));
        return opened->ctx;
    }
    std::vector<std::string>& notices() { return opened->host.notices; }
    // The changes so far reach the medium; a refusal drops only what follows.
    void commit() {
        ASSERT_TRUE(write_back(opened->ctx));
        ASSERT_TRUE(start_modification(opened->ctx));
    }
    // Writes the changes, then CHECK and hfsutils read the volume.
    void finish() {
        ASSERT_TRUE(write_back(opened->ctx));
        EXPECT_EQ(check_problems(volume.image()), "");
        // Mounted again: hfsutils looks for the volume under the name it had.
        EXPECT_EQ(volume.tool({"hmount", volume.image()}), 0);
        EXPECT_EQ(volume.tool({"hls", "-R", ":"}), 0);
    }
};

// Folder names as Korvane makes them, and names refused (a label too: a new
// label is read back by hfsutils in the end-to-end folder scripts).
TEST(FolderEdit, MakeDirectoryNamesAndRefusals) {
    EditedVolume edited;
    edited.volume.addFile(":Taken", "x");
    HfsContext& ctx = edited.open();
    struct Case {
        const char* typed;
        bool made;
        const char* notice;
    };
    const std::string too_long(32, 'n');
    const Case cases[] = {
            {"PROJECTS", true, ""},
            {"", true, ""},  // "New folder"
            {"[Mac] \\ \xDF\xC0", true, ""},
            {"tAKEN", false, "A directory exists already with this name."},
            {"projects", false, "A directory exists already with this name."},
            {"a:b", false, "A Macintosh name cannot hold \":\"."},
            {too_long.c_str(), false, "This name is longer than 31 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        edited.notices().clear();
        EXPECT_EQ(make_directory(ctx, c.typed), c.made);
        if (!c.made) {
            EXPECT_EQ(edited.notices(), std::vector<std::string>{c.notice});
        }
        ASSERT_TRUE(start_modification(ctx));
        edited.commit();
    }
    EXPECT_FALSE(set_volume_label(ctx, std::string(28, 'v')));
    EXPECT_EQ(edited.notices().back(), "This name is longer than 27 characters.");
    ASSERT_TRUE(start_modification(ctx));
    edited.finish();
    // hls shows Macintosh names; "\xDF\xC0" (Windows) became "\xA7\xCB".
    EXPECT_EQ(hls_names(edited.volume, ":"),
              (std::multiset<std::string>{"Projects", "New folder", "Taken", "[mac] \\ \xA7\xCB"}));
}

TEST(FolderEdit, DeletesFoldersDepthFirstAndFreesEveryBlockOfAFile) {
    EditedVolume edited(800);
    HfsutilsVolume& volume = edited.volume;
    // Holes of 16 blocks, then a file that needs more than three of them:
    // its data fork continues in the extents-overflow tree.
    const std::string hole(8192, 'h');
    int files = 0;
    for (; files < 95; ++files) volume.addFile(":s" + std::to_string(files), hole);
    for (int i = 0; i < files; i += 2) volume.remove(":s" + std::to_string(i));
    volume.addFile(":big", std::string(40000, 'b'));
    volume.add_folder(":A");
    volume.add_folder(":A:B");
    volume.add_folder(":A:C");
    volume.addFile(":A:B:f1", "one");
    volume.addFile(":A:f2", std::string(3000, '2'));

    // The same deletes by hfsutils on a copy tell how many blocks must be free.
    ScratchDir oracleDir;
    HfsutilsVolume oracle(oracleDir, "oracle.img", 800);
    std::filesystem::copy_file(volume.image(), oracle.image(), std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(oracle.tool({"hmount", oracle.image()}), 0);
    for (const char* path : {":A:B:f1", ":A:f2", ":big"}) oracle.remove(path);
    for (const char* path : {":A:B", ":A:C", ":A"}) EXPECT_EQ(oracle.tool({"hrmdir", path}), 0) << path;
    for (int i = 1; i < files; i += 2) oracle.remove(":s" + std::to_string(i));

    const std::uint32_t extentRecords = [&] {
        OpenedVolume before(volume.image());
        EXPECT_EQ(before.open(), CatalogOpen::Complete);
        EXPECT_TRUE(open_extents_tree(before.ctx));
        return tree_leaf_records(before.ctx.extentsTree.header);
    }();
    ASSERT_GE(extentRecords, 2u) << "big's and the grown catalog's overflow records";
    // The extents tree is left closed: the delete opens it when a fork needs it.
    HfsContext& ctx = edited.open();
    // Cancel on "The directory is not empty." keeps everything.
    EXPECT_EQ(delete_entries(ctx, "A"), FolderEditEnd::Cancelled);
    EXPECT_EQ(edited.opened->host.questions, std::vector<std::string>{"The directory is not empty."});
    edited.opened->host.answers = {true};
    EXPECT_EQ(delete_entries(ctx, "a"), FolderEditEnd::Done);
    EXPECT_EQ(delete_entries(ctx, "BIG"), FolderEditEnd::Done);
    EXPECT_EQ(delete_entries(ctx, "s*"), FolderEditEnd::Done);
    EXPECT_EQ(delete_entries(ctx, "s*"), FolderEditEnd::NotFound);
    EXPECT_EQ(tree_leaf_records(ctx.extentsTree.header), extentRecords - 1) << "big's overflow record is gone";
    edited.finish();
    EXPECT_EQ(hls_names(volume, ":"), std::multiset<std::string>{});
    OpenedVolume again(volume.image());
    EXPECT_EQ(again.ctx.mdb.free_blocks(), OpenedVolume(oracle.image()).ctx.mdb.free_blocks());
}

TEST(FolderEdit, RenamesWithWildcardsOnceEachAndRefusesTakenNames) {
    EditedVolume edited;
    for (const char* name : {":abc", ":ab", ":zab", ":abd"}) edited.volume.addFile(name, "x");
    edited.volume.add_folder(":abFolder");
    HfsContext& ctx = edited.open();
    auto& host = edited.opened->host;

    EXPECT_EQ(rename_entries(ctx, "ab*", "xy*"), FolderEditEnd::Done);
    edited.commit();
    // A taken name, and two entries given one name, change nothing.
    EXPECT_EQ(rename_entries(ctx, "xyc", "XYD"), FolderEditEnd::Failed);
    EXPECT_EQ(host.notices.back(), "An entry of that name exists already.");
    ASSERT_TRUE(start_modification(ctx));
    EXPECT_EQ(rename_entries(ctx, "xy*", "q"), FolderEditEnd::Cancelled);
    host.answers = {true};
    EXPECT_EQ(rename_entries(ctx, "xy*", "same"), FolderEditEnd::Done) << "only the first is renamed";
    EXPECT_EQ(host.questions.back(), "Renaming with a wildcard on one side only?");
    EXPECT_EQ(rename_entries(ctx, "x*", "q*"), FolderEditEnd::Done);
    edited.commit();
    EXPECT_EQ(rename_entries(ctx, "q*", "a-very-long-prefix-that-overflows-*"), FolderEditEnd::Failed);
    ASSERT_TRUE(start_modification(ctx));
    EXPECT_EQ(rename_entries(ctx, "qyc", "Qyc"), FolderEditEnd::Done) << "a new case of the same name";
    edited.finish();
    EXPECT_EQ(hls_names(edited.volume, ":"), (std::multiset<std::string>{"same", "Qyc", "qyd", "qyFolder", "zab"}));
    // The folder's thread carries its new name: hfsutils finds it by path.
    EXPECT_EQ(edited.volume.tool({"hls", ":qyFolder"}), 0);
}

// A folder record that names the root as its own folder: deleting it would
// empty the root. The delete is refused and the medium left as it was.
TEST(FolderEdit, AFolderThatContainsItsOwnParentIsNotDeleted) {
    EditedVolume edited;
    edited.volume.add_folder(":Loop");
    edited.volume.addFile(":Kept", "k");
    HfsContext& ctx = edited.open();
    auto loop = find_entry(ctx, "Loop", kDirectoryEntry, kRootDirectoryID);
    ASSERT_TRUE(loop);
    std::vector<std::uint8_t> record(loop->data.begin(), loop->data.begin() + kDirectoryRecordSize);
    store_be32(record.data() + dirrec::dir_id, kRootDirectoryID);
    ASSERT_EQ(replace_record_data(ctx, ctx.catalogTree, catalog_key(kRootDirectoryID, "Loop"), record),
              EditResult::Done);
    edited.commit();
    const std::string before = read_all(edited.volume.image());

    EXPECT_EQ(delete_entries(ctx, "Loop"), FolderEditEnd::Failed);
    EXPECT_EQ(edited.notices().back(), kCatalogDamaged);
    EXPECT_TRUE(ctx.outcome.failureReported);
    EXPECT_FALSE(ctx.volume.modifying) << "the changes were dropped";
    EXPECT_EQ(read_all(edited.volume.image()), before);
    EXPECT_TRUE(find_entry(ctx, "Kept", kFileEntry, kRootDirectoryID));
}

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
