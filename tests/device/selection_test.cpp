// The bus scan, the device dialog's logic and the partition and "Drive to be
// used" dialogs, on real image files.

#include "device/bus_scan.h"
#include "device/bus_setup.h"
#include "device/device_dialog.h"
#include "device/partition_dialog.h"
#include "device/same_drive_dialog.h"
#include "device/sector_io.h"
#include "tests/device/device_fixture.h"
#include "tests/support/fatal_text.h"

namespace korvane::testing {
namespace {

struct BusWorld {
    ScriptedHost host;
    DeviceContext ctx{host};
    std::vector<std::string> problems;

    void build(const std::vector<std::string>& images, const std::vector<std::string>& dirs) {
        BusSetup setup = make_image_bus(images, dirs);
        problems = setup.problems;
        ctx.transport = std::move(setup.bus);
    }
};

class SelectionTest : public ::testing::Test {
protected:
    ScratchDir dir;
    BusWorld world;
};

TEST_F(SelectionTest, ImageNamesGiveKindTargetAndBlockSize) {
    struct NameCase {
        const char* name;
        std::uint8_t id, type;
        std::uint16_t block_size;
    } names[] = {{"HD10_512.hda", 1, kTypeDirectAccess, 512},  // LUN 0
                 {"MO3_1024.img", 3, kTypeOpticalMemory, 1024},
                 {"cd5.iso", 5, kTypeCdRom, 2048}};
    for (const NameCase& c : names) {
        ImageDescription description;
        ASSERT_TRUE(parse_image_name(c.name, description)) << c.name;
        EXPECT_EQ(description.id, c.id) << c.name;
        EXPECT_EQ(description.lun, 0) << c.name;
        EXPECT_EQ(description.device_type, c.type) << c.name;
        EXPECT_EQ(block_size_of(description), c.block_size) << c.name;
    }
    ImageDescription other;
    for (const char* name : {"disk.img", "HDX.img", "HD1_999.img"}) EXPECT_FALSE(parse_image_name(name, other)) << name;

    // The options themselves act in the tests of what they change (bad=, flaky=,
    // ro, id=, failwrite=, killwrite=, writelog=, type= and sector=).
    ImageDescription options;
    EXPECT_EQ(parse_image_description("/a,b/HD2.img,id=4", options), "");
    EXPECT_EQ(options.path, "/a,b/HD2.img");
    EXPECT_EQ(options.id, 4);
    ImageDescription wrong;
    for (const char* bad :
         {"x.img,failwrite=0", "x.img,killwrite=", "x.img,writelog=", "x.img,id=7x", "x.img,colour=red"})
        EXPECT_NE(parse_image_description(bad, wrong), "") << bad;
}

TEST_F(SelectionTest, ScanListsHeadersAndDisksOfTwoAdaptersButNoCdOrTape) {
    zero_file(dir / "first.img", 64 * 512);
    std::filesystem::create_directory(dir / "bus");
    zero_file(dir / "bus/HD0_512.hda", 64 * 512);
    zero_file(dir / "bus/CD3.iso", 16 * 2048);
    zero_file(dir / "bus/TP4.tap", 64 * 512);
    zero_file(dir / "bus/MO5_1024.img", 64 * 1024);
    zero_file(dir / "bus/HD61.hda", 64 * 512);  // LUN 1: not attached
    zero_file(dir / "bus/readme.txt", 10);      // not an image of the bus
    world.build({dir / "first.img"}, {dir / "bus"});
    EXPECT_EQ(world.problems.size(), 1u);  // the LUN 1 image

    BusScan scan = scan_bus(*world.ctx.transport);
    EXPECT_EQ(scan.adapter_count, 2);
    EXPECT_EQ(scan.drive_count, 3);
    std::vector<std::string> lines;
    for (const DeviceListEntry& entry : scan.entries) lines.push_back(scan_line(entry));
    EXPECT_EQ(lines, (std::vector<std::string>{
                             "0\t2\t255\t\tKorvane ImageBus\t",
                             "0\t0\t0\tKORVANE\tfirst.img\t1.0",
                             "1\t3\t255\t\tKorvane ImageBus\t",
                             "1\t0\t0\tKORVANE\tHD0_512.hda\t1.0",
                             "1\t7\t5\tKORVANE\tMO5_1024.img\t1.0",
                     }));
    EXPECT_EQ(scan.entries[1].vendor, "KORVANE ");  // as the drive sent it
}

TEST_F(SelectionTest, ScanListIsSizedFromWhatItFinds) {
    // Four adapters of seven drives each: more than 25 entries.
    std::vector<std::string> dirs;
    for (int a = 0; a < 4; ++a) {
        std::string bus = dir / ("bus" + std::to_string(a));
        std::filesystem::create_directory(bus);
        for (int t = 0; t < 7; ++t) zero_file(bus + "/HD" + std::to_string(t) + ".img", 8 * 512);
        dirs.push_back(bus);
    }
    world.build({}, dirs);
    BusScan scan = scan_bus(*world.ctx.transport);
    EXPECT_EQ(scan.entries.size(), 32u);
    EXPECT_EQ(scan.drive_count, 28);
    EXPECT_EQ(scan.entries.back().adapter, 3);
    EXPECT_EQ(scan.entries.back().target, 6);
}

TEST_F(SelectionTest, FlakyInquiryIsTriedFiveTimes) {
    zero_file(dir / "a.img", 8 * 512);
    zero_file(dir / "b.img", 8 * 512);
    world.build({dir / "a.img,flaky=4", dir / "b.img,flaky=5"}, {});
    BusScan scan = scan_bus(*world.ctx.transport);
    ASSERT_EQ(scan.entries.size(), 3u);
    EXPECT_EQ(scan.entries[1].product, "a.img           ");
    EXPECT_EQ(scan.entries[2].product, "");  // listed, but its strings stay empty
}

// Read capacity is tried ten times; a drive that never answers it ends the program.
TEST_F(SelectionTest, ReadCapacityIsTriedTenTimes) {
    zero_file(dir / "a.img", 8 * 512);
    for (const auto& [flaky, answers] : {std::pair{9, true}, {10, false}}) {
        BusWorld drive;
        drive.build({dir / "a.img,flaky=" + std::to_string(flaky)}, {});
        drive.ctx.state.host_adapter = 0;
        drive.ctx.state.target_id = 0;
        EXPECT_EQ(read_selected_capacity(drive.ctx), answers) << flaky;
        if (answers) {
            EXPECT_EQ(drive.ctx.device.capacity, 7u);
        }
    }
    world.build({dir / "a.img,flaky=50"}, {});  // the scan takes five failures first
    world.host.dialog_answers.push_back([](Dialog&) { return kDialogOk; });
    EXPECT_EQ(fatal_text_of([&] { select_device_dialog(world.ctx); }), "Drive not ready or no floppy disk.");
}

TEST_F(SelectionTest, ImagesWithIdsArePlacedFirst) {
    zero_file(dir / "x.img", 8 * 512);
    zero_file(dir / "HD0.img", 8 * 512);
    zero_file(dir / "y.img", 8 * 512);
    world.build({dir / "x.img", dir / "HD0.img", dir / "y.img,id=7", dir / "y.img,id=1"}, {});
    auto& bus = dynamic_cast<ImageBus&>(*world.ctx.transport);
    EXPECT_EQ(bus.target(0, 0)->description().path, dir / "HD0.img");
    EXPECT_EQ(bus.target(0, 1)->description().path, dir / "y.img");
    EXPECT_EQ(bus.target(0, 2)->description().path, dir / "x.img");
    ASSERT_EQ(world.problems.size(), 1u);  // id 7 is the adapter's own
}

TEST_F(SelectionTest, ReadOnlyFilesAreWriteProtectedMedia) {
    zero_file(dir / "locked.img", 8 * 512);
    std::filesystem::permissions(dir / "locked.img", std::filesystem::perms::owner_read);
    if (::access((dir / "locked.img").c_str(), W_OK) == 0) GTEST_SKIP() << "running as root";
    world.build({dir / "locked.img"}, {});
    auto& bus = dynamic_cast<ImageBus&>(*world.ctx.transport);
    ASSERT_NE(bus.target(0, 0), nullptr);
    EXPECT_TRUE(bus.target(0, 0)->read_only());
}

TEST_F(SelectionTest, PartitionDialogAnswers) {
    std::vector<PartitionRow> rows;
    for (int i = 0; i < 10; ++i) rows.push_back({"Part" + std::to_string(i), std::uint32_t(64 + i), 100});
    world.ctx.state.target_id = 2;
    world.host.dialog_answers.push_back([](Dialog& dialog) {
        auto& partitions = dynamic_cast<PartitionDialog&>(dialog);
        EXPECT_EQ(partitions.rows().size(), 8u);  // the form's rows; choosing one is driven in gui_device_dialogs_test
        return 3;
    });
    EXPECT_EQ(select_partition_dialog(world.ctx, rows), 3);
    world.host.dialog_answers.push_back([](Dialog&) { return kPartitionCancelled; });
    EXPECT_EQ(select_partition_dialog(world.ctx, rows), kPartitionCancelled);
    world.host.dialog_answers.push_back([](Dialog&) { return 9; });  // beyond the rows shown
    EXPECT_EQ(select_partition_dialog(world.ctx, rows), kPartitionCancelled);
    EXPECT_EQ(world.ctx.state.target_id, 2);
    world.host.dialog_answers.push_back([](Dialog&) { return kPartitionWindowClosed; });
    EXPECT_EQ(select_partition_dialog(world.ctx, rows), kPartitionWindowClosed);
    EXPECT_EQ(world.ctx.state.target_id, kNoDrive);
}

}  // namespace
}  // namespace korvane::testing
