// The dump window's engine: its 80-column lines, the scroll unit, scrolling
// and keys, the choice and switch of forks, and forks read sector by sector
// through the extents-overflow tree, on volumes made by hfsutils.

#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "app/command_line.h"
#include "app/commands.h"
#include "app/dump_command.h"
#include "app/listing_view.h"
#include "hfs/attribute_dialogs.h"
#include "hfs/catalog_search.h"
#include "tests/hfs/check_fixture.h"
#include "tests/support/fork_bytes.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "volume/discovery.h"

namespace korvane {
namespace {

using Bytes = std::array<std::uint8_t, kDumpLineBytes>;

Bytes bytes_from(std::string_view text) {
    Bytes bytes{};
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

TEST(DumpLines, EightyColumnsOfOffsetHexAndCharacters) {
    // 'A', a NUL, 0x80 (Mac "Ä", Windows "€", DOS "Ç"), 0xE9, a tab, a ':'.
    const Bytes bytes = bytes_from(std::string("A\0\x80\xE9\t:xyz0123456", 16));
    struct Case {
        std::uint32_t offset;
        int base;
        DumpCharacters characters;
        const char* line;
    } cases[] = {
            {16, 10, DumpCharacters::Macintosh,
             "00000016 41 00 80 e9 09 3a 78 79  7a 30 31 32 33 34 35 36 A_\xC4\xC8_:xyz0123456      "},
            {16, 16, DumpCharacters::Macintosh,
             "00000010 41 00 80 e9 09 3a 78 79  7a 30 31 32 33 34 35 36 A_\xC4\xC8_:xyz0123456      "},
            {0xABCDEF12, 16, DumpCharacters::Windows,
             "abcdef12 41 00 80 e9 09 3a 78 79  7a 30 31 32 33 34 35 36 A \x80\xE9\t:xyz0123456      "},
            // The DOS table has no ':' and no tab (both leave a space) and a stand-in for theta.
            {4096, 10, DumpCharacters::Dos,
             "00004096 41 00 80 e9 09 3a 78 79  7a 30 31 32 33 34 35 36 A \xC7_  xyz0123456      "},
    };
    for (const Case& c : cases) {
        const std::string line = dump_line(c.offset, bytes, c.base, c.characters);
        EXPECT_EQ(line, c.line) << c.offset;
        EXPECT_EQ(line.size(), kDumpLineWidth);
    }
    // Past eight decimal digits the offset keeps them all.
    EXPECT_EQ(dump_line(123456789, bytes, 10, DumpCharacters::Windows).substr(0, 10), "123456789 ");
    // A terminal or the window never receive a control character.
    EXPECT_EQ(shown_dump_line("a\tb\x7F\x81\x80"), "a b  \x80");
}

TEST(DumpLines, TheScrollUnitKeepsTheRangeWithinAScrollBar) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
            {0, 128}, {1024, 128}, {4194303, 128}, {4194304, 256}, {5 * 1024 * 1024, 256}, {0xFFFFFFFF, 131072}};
    for (const auto& [length, unit] : cases) {
        EXPECT_EQ(dump_scroll_unit(length), unit) << length;
        EXPECT_LE(length / unit, 32767u);
    }
}

struct DumpTest : ::testing::Test {
    testing::ScratchDir dir;
    testing::ScriptedHost host;
    Context ctx{host};

    void open_volume(const std::string& image) {
        testing::select_single_image(ctx, image);
        ASSERT_GT(analyze_volume(ctx), 0);
    }
    // The dump's screen as the bytes it shows, taken back from the hex columns.
    static std::string shown_bytes(const DumpState& dump) {
        std::string bytes;
        for (const std::string& line : dump.screen_lines()) {
            for (std::size_t i = 0; i < kDumpLineBytes; ++i) {
                const std::size_t column = (i < 8 ? 9 : 34) + 3 * (i % 8);
                bytes += static_cast<char>(std::stoi(line.substr(column, 2), nullptr, 16));
            }
        }
        return bytes;
    }
};

// A 1024-byte data fork and a 512-byte resource fork on 512-byte blocks.
TEST_F(DumpTest, ScrollsByLinesAndPagesAndSwitchesForksAtOnce) {
    testing::HfsutilsVolume volume(dir, "dump.img", 800);
    const std::string data = testing::patterned(1024, 3), resource = testing::patterned(512, 4);
    volume.add_forked_file(":both", "both", "TEXT", "ttxt", data, resource);
    volume.add_forked_file(":rsrc only", "rsrc only", "rsrc", "RSED", "", resource);
    volume.unmount();
    open_volume(volume.image());
    ASSERT_EQ(testing::block_size_of(volume.image()), 512u);

    auto dump = DumpState::open(ctx, "both");
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->fork_length(), 1024u);
    EXPECT_EQ(dump->scroll_max(), 8u);
    EXPECT_EQ(shown_bytes(*dump), data.substr(0, 512));

    struct Step {
        DumpScroll request;
        std::uint32_t thumb;
        std::uint32_t position;
    } steps[] = {
            {scroll_for_key(DumpKey::End), 0, 512},  // the bottom shows offsets 512 to 1023
            {DumpScroll::PageUp, 0, 512},            // a page up needs more than a page above
            {DumpScroll::LineUp, 0, 384},
            {DumpScroll::LineDown, 0, 512},
            {scroll_for_key(DumpKey::Down), 0, 512},  // no page below
            {DumpScroll::ThumbReleased, 5, 640},
            {DumpScroll::ThumbReleased, 8, 512},  // the last step reaches past the fork: the bottom
            {scroll_for_key(DumpKey::Home), 0, 0},
    };
    for (const Step& step : steps) {
        dump->scroll(step.request, step.thumb);
        EXPECT_EQ(dump->position(), step.position) << static_cast<int>(step.request);
        const std::string expected = (data + std::string(1536, '\0')).substr(step.position, 512);
        EXPECT_EQ(shown_bytes(*dump), expected) << step.position;
        EXPECT_EQ(dump->screen_lines()[1].substr(0, 8), std::to_string(step.position + 16 + 100000000).substr(1));
    }

    dump->scroll(DumpScroll::PageDown);
    ASSERT_TRUE(dump->run_command(dump_cmd::kResource));
    EXPECT_TRUE(dump->resource_shown());
    EXPECT_TRUE(dump->item_checked(dump_cmd::kResource));
    EXPECT_FALSE(dump->item_checked(dump_cmd::kData));
    EXPECT_EQ(dump->position(), 0u);
    EXPECT_EQ(dump->fork_length(), 512u);
    EXPECT_EQ(dump->scroll_max(), 4u);
    EXPECT_EQ(shown_bytes(*dump), resource);
    ASSERT_TRUE(dump->run_command(dump_cmd::kHexadecimal));
    ASSERT_TRUE(dump->run_command(dump_cmd::kData));
    EXPECT_EQ(shown_bytes(*dump), data.substr(0, 512));
    EXPECT_EQ(dump->screen_lines()[1].substr(0, 8), "00000010");
    EXPECT_FALSE(dump->run_command(dump_cmd::kBackToMainScreen));

    // An empty data fork: the window opens on the resource fork, "Data" grayed.
    auto resource_only = DumpState::open(ctx, "rsrc only");
    ASSERT_TRUE(resource_only);
    EXPECT_TRUE(resource_only->resource_shown());
    EXPECT_FALSE(resource_only->item_enabled(dump_cmd::kData));
    EXPECT_TRUE(resource_only->item_enabled(dump_cmd::kResource));
    EXPECT_EQ(shown_bytes(*resource_only), resource);
    EXPECT_FALSE(DumpState::open(ctx, "nothing"));
    EXPECT_EQ(resource_only->unmapped_sectors() + dump->unmapped_sectors() + dump->unreadable_sectors(), 0u);
}

// DUMP prints every line of a fork whose extents continue in the overflow
// tree, both forks, exactly as the window would show them.
TEST_F(DumpTest, DumpPrintsForksReadThroughTheOverflowTree) {
    testing::HfsutilsVolume volume(dir, "frag.img", 800);
    volume.fragment_free_space(160);
    const std::string data = testing::patterned(40 * 512, 5), resource = testing::patterned(30 * 512, 6);
    volume.add_forked_file(":both", "both", "TEXT", "ttxt", data, resource);
    volume.unmount();
    open_volume(volume.image());
    CommandHandlers handlers;
    connect_command_handlers(handlers);
    for (const auto& [line, fork, base] :
         {std::tuple{"DUMP both", &data, 10}, std::tuple{"DUMP b* /R /H", &resource, 16}}) {
        std::vector<std::string> printed;
        handlers.add(CommandCode::Dump, [&printed](Context& c, const ParsedCommand& command) {
            print_dump_command(c, command, [&printed](const std::string& text) { printed.push_back(text); });
        });
        EXPECT_EQ(run_command_line(ctx, handlers, line), LineOutcome::Executed);
        ASSERT_EQ(printed.size(), fork->size() / kDumpLineBytes) << line;
        for (std::size_t i = 0; i < printed.size(); ++i) {
            const Bytes bytes = bytes_from(fork->substr(i * kDumpLineBytes, kDumpLineBytes));
            ASSERT_EQ(printed[i],
                      dump_line(static_cast<std::uint32_t>(i * kDumpLineBytes), bytes, base, DumpCharacters::Macintosh))
                    << line << " line " << i;
        }
    }
    EXPECT_FALSE(ctx.outcome.failureReported);
    EXPECT_TRUE(host.notices.empty());
}

// A damaged record: extents outside the volume and a length no fork has.
// Nothing is read from outside the volume; the screen shows zeros, counted
// as sectors the extents could not map.
TEST_F(DumpTest, ADamagedExtentShowsZerosAndNothingOutsideTheVolumeIsRead) {
    testing::HfsutilsVolume volume(dir, "damaged.img", 800);
    volume.addFile(":f", testing::patterned(2048, 7));
    volume.unmount();
    open_volume(volume.image());
    auto record = read_file_record(ctx, kRootDirectoryID, "f");
    ASSERT_TRUE(record);
    store_be16(record->data.data() + filrec::data_extents, 0xFFF0);  // the first extent starts past the volume
    store_be32(record->data.data() + filrec::dataPhysicalLength, 0xFFFFFFFF);
    DumpState dump(ctx, *record);
    dump.run_command(dump_cmd::kHexadecimal);  // eight digits for every offset
    for (DumpScroll request : {DumpScroll::Top, DumpScroll::Bottom, DumpScroll::LineDown, DumpScroll::PageUp}) {
        dump.scroll(request, 0);
        EXPECT_EQ(shown_bytes(dump), std::string(512, '\0'));
    }
    dump.scroll(DumpScroll::ThumbReleased, 0xFFFFFFFF);
    EXPECT_EQ(dump.position(), 0xFFFFFE00u);
    EXPECT_GT(dump.unmapped_sectors(), 0u);
    EXPECT_EQ(dump.unreadable_sectors(), 0u);

    // The same damage in the catalog: DUMP prints one page of zeros, stops and says why.
    const auto found = find_entry(ctx, "f", kFileEntry, kRootDirectoryID);
    ASSERT_TRUE(found);
    TreeFile& tree = ctx.catalogTree;
    NodeBuffer changed = tree.node;
    const std::size_t at = static_cast<std::size_t>(found->data.data() - tree.node.data());
    std::copy(record->data.begin(), record->data.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
    ASSERT_TRUE(write_node(tree, found->node, changed));
    std::vector<std::string> printed;
    ParsedCommand command;
    command.first = "f";
    print_dump_command(ctx, command, [&printed](const std::string& line) { printed.push_back(line); });
    EXPECT_EQ(printed.size(), 32u);
    EXPECT_EQ(printed.back().substr(0, 16), "00000496 00 00 0");
    EXPECT_EQ(host.notices,
              std::vector<std::string>{"The extents of \"f\" end before the fork does: the dump stops there."});
    EXPECT_TRUE(ctx.outcome.failureReported);
}

// 114 on the selected file runs the window, whose "File Parameter" edits
// the file's attributes; then the listing is reloaded. A folder opens nothing.
TEST_F(DumpTest, DumpContentRunsTheWindowOnTheSelectedFile) {
    testing::HfsutilsVolume volume(dir, "menu.img", 800);
    volume.add_folder(":folder");
    volume.addFile(":text", "some text");
    volume.unmount();
    open_volume(volume.image());
    ASSERT_EQ(entry_name(ctx.state, 1), "text");
    select_entry(ctx.state, 1);
    update_menus(ctx);
    ASSERT_TRUE(command_available(ctx.menus, cmd::kDump));
    std::vector<std::string> shown;
    std::string title_after_edit;
    host.dialog_answers.push_back([&](Dialog& dialog) {
        DumpState& dump = dynamic_cast<DumpWindowDialog&>(dialog).state;
        shown = dump.screen_lines();
        EXPECT_TRUE(dump.run_command(dump_cmd::kFileParameter));
        title_after_edit = dump.title();
        EXPECT_TRUE(dump.run_command(dump_cmd::kFileParameter)) << "the record follows the new name";
        return kDialogOk;
    });
    host.dialog_answers.push_back([](Dialog& dialog) {
        auto& attributes = dynamic_cast<AttributesDialog&>(dialog);
        EXPECT_EQ(attributes.file_name, "text");
        attributes.file_name = "renamed";
        attributes.file_type = "TEXT";
        return kDialogOk;
    });
    host.dialog_answers.push_back([](Dialog& dialog) {
        EXPECT_EQ(dynamic_cast<AttributesDialog&>(dialog).file_name, "renamed");
        return kDialogCancel;
    });
    EXPECT_EQ(dispatch_command(ctx, cmd::kDump), CommandOutcome::Done);
    EXPECT_EQ(host.dialogs, (std::vector<std::string>{"filedump", "DLG_ATTR", "DLG_ATTR"}));
    ASSERT_EQ(shown.size(), 32u);
    EXPECT_EQ(shown[0].substr(58, 16), "some text_______");
    EXPECT_EQ(title_after_edit, "Dumping file \"renamed\"");
    EXPECT_EQ(entry_name(ctx.state, 1), "renamed") << "the listing was reloaded";
    EXPECT_FALSE(is_selected(ctx.state, 1));

    select_entry(ctx.state, 0);
    EXPECT_EQ(dispatch_command(ctx, cmd::kDump), CommandOutcome::Done);
    EXPECT_EQ(host.dialogs.size(), 3u);

    ASSERT_EQ(volume.tool({"hmount", volume.image()}), 0);
    const auto listed = volume.lines({"hls", "-l", ":renamed"});
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_NE(listed[0].find("TEXT/UNIX"), std::string::npos) << listed[0];
    volume.unmount();
    EXPECT_EQ(testing::check_problems(volume.image()), "");
}

}  // namespace
}  // namespace korvane
