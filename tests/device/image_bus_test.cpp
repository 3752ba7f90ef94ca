// The bus scan, the device dialog's logic and the partition and "Drive to be
// used" dialogs, on real image files. DiskCopy 4.2 images on the image bus:
// which headers are taken, which are left to be raw images and which are
// refused, and what a write leaves in the file (the data, the data
// checksum, the tags and the other fields). Block devices on the image
// bus: sized by their ioctls, write-protected when the device is read-only
// (a loop device, so root is needed).

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>

#include "device/bus_scan.h"
#include "device/bus_setup.h"
#include "device/device_dialog.h"
#include "device/partition_dialog.h"
#include "device/same_drive_dialog.h"
#include "device/sector_io.h"
#include "tests/device/device_fixture.h"
#include "tests/support/disk_copy_builder.h"
#include "tests/support/fatal_text.h"
#include "util/byte_order.h"

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

std::string pattern_data(std::uint32_t blocks) {
    std::string data(std::size_t{blocks} * 512, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(pattern_byte(i));
    return data;
}

void write_file(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The id of the one image on adapter 0, or kMaxTargets.
std::uint8_t only_target_id(ImageBus& bus) {
    std::uint8_t id = 0;
    while (id < kMaxTargets && bus.target(0, id) == nullptr) ++id;
    return id;
}

enum class Taken { AsDiskCopy, AsRawImage, Refused };

struct HeaderCase {
    const char* what;
    const char* fileName;
    std::uint32_t blocks;
    bool tags;
    std::function<void(std::string&)> edit;  // changes the image's bytes after it is built
    const char* options;
    Taken taken;
    const char* problem;  // after "PATH: " when refused
};

void leave_alone(std::string&) {}

TEST(DiskCopyImageTest, HeadersAreTakenLeftRawOrRefused) {
    const HeaderCase cases[] = {
            {"1440K, a name of 63", "HD3_512.hda", 2880, false, [](std::string& i) { i[0] = 63; }, "",
             Taken::AsDiskCopy, ""},
            {"no private word", "raw.img", 1600, true, [](std::string& i) { i[82] = 0; }, "", Taken::AsRawImage, ""},
            {"0x0100 at 82 behind Macintosh boot blocks", "boot.dsk", 1600, true,
             [](std::string& i) { i[0] = 'L', i[1] = 'K'; }, "", Taken::AsRawImage, ""},
            {"0x0100 at 82, data not whole blocks", "odd.dc42", 1600, true,
             [](std::string& i) { put_be32(i, 64, 819202); }, "", Taken::AsRawImage, ""},
            {"data beyond the file", "long.image", 1600, true, [](std::string& i) { put_be32(i, 64, 1638400); }, "",
             Taken::Refused, "DiskCopy 4.2 header gives 1638400 bytes of data, beyond the end of the file"},
            {"tags beyond the file", "tags.image", 1600, true, [](std::string& i) { put_be32(i, 68, 19712); }, "",
             Taken::Refused, "DiskCopy 4.2 header gives 19712 tag bytes, beyond the end of the file"},
            {"impossible disk format", "format.image", 1600, false, [](std::string& i) { i[80] = 4; }, "",
             Taken::Refused, "DiskCopy 4.2 header gives the unknown disk format 4"},
            {"1024-byte sectors asked for", "big.image", 1600, false, leave_alone, ",sector=1024", Taken::Refused,
             "a DiskCopy 4.2 image has 512-byte blocks"},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string data = pattern_data(c.blocks);
        DiskCopyFields fields;
        if (c.tags) fields.tags = disk_copy_tags(c.blocks);
        std::string image = disk_copy_image(data, fields);
        c.edit(image);
        const std::string path = dir / c.fileName;
        write_file(path, image);

        BusSetup setup = make_image_bus({path + c.options}, {});
        const std::uint8_t id = only_target_id(*setup.bus);
        if (c.taken == Taken::Refused) {
            EXPECT_EQ(setup.problems, std::vector<std::string>{path + ": " + c.problem});
            EXPECT_EQ(id, kMaxTargets);
            continue;
        }
        ASSERT_TRUE(setup.problems.empty()) << setup.problems[0];
        ASSERT_LT(id, kMaxTargets);
        const ImageTarget* target = setup.bus->target(0, id);
        const bool diskCopy = c.taken == Taken::AsDiskCopy;
        EXPECT_EQ(target->is_disk_copy(), diskCopy);
        EXPECT_EQ(target->block_count(), diskCopy ? c.blocks : image.size() / 512);
        // Block 1 through the bus: the data's second block, or the file's.
        std::vector<std::uint8_t> block(512);
        ASSERT_EQ(setup.bus->read_write(kScsiRead6, 0, id, 1, 1, block.data(), 512), kStatusDone);
        const std::string& source = diskCopy ? data : image;
        EXPECT_EQ(std::string(block.begin(), block.end()), source.substr(512, 512));
    }
}

TEST(DiskCopyImageTest, AFloppyWhoseWritesKeepTheChecksumTagsAndHeader) {
    ScratchDir dir;
    const std::string path = dir / "Floppy.image";
    DiskCopyFields fields;
    fields.tags = disk_copy_tags(1600);
    const std::string before = disk_copy_image(pattern_data(1600), fields);
    write_file(path, before);
    DeviceWorld world;
    world.attach_and_select(path);
    Transport& transport = *world.ctx.transport;

    std::array<std::uint8_t, 512> answer{};
    ASSERT_EQ(transport.inquiry(0, 0, answer.data()), kStatusDone);
    EXPECT_EQ(answer[0], kTypeDirectAccess);
    EXPECT_EQ(answer[1], 0x80);  // removable, as a floppy drive is
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&answer[16]), 16), "Floppy.image    ");
    ASSERT_EQ(transport.read_capacity(0, 0, answer.data()), kStatusDone);
    EXPECT_EQ(load_be32(answer.data()), 1599u);
    EXPECT_EQ(load_be32(answer.data() + 4), 512u);

    // Two blocks at 5 and the last block, the one next to the tags.
    std::vector<std::uint8_t> written(2 * 512, 0xC3);
    ASSERT_EQ(transport.read_write(kScsiWrite6, 0, 0, 5, 2, written.data(), 512), kStatusDone);
    ASSERT_EQ(transport.read_write(kScsiWrite6, 0, 0, 1599, 1, written.data(), 512), kStatusDone);
    EXPECT_EQ(transport.read_write(kScsiWrite6, 0, 0, 1599, 2, written.data(), 512), kStatusError);

    std::string expected = before;
    expected.replace(84 + 5 * 512, 1024, 1024, '\xC3');
    expected.replace(84 + 1599 * 512, 512, 512, '\xC3');
    put_be32(expected, 72, disk_copy_sum(expected.substr(84, 1600 * 512)));
    // Name, sizes, tag checksum, formats and tags stay; the data checksum follows the data.
    EXPECT_TRUE(read_all(path) == expected);
}

// A loop device over an image file, detached again at the end. Tests run in
// parallel, and two "losetup -f" at once may pick the same free device: a
// lock file keeps one loop device of these tests in use at a time.
class LoopDevice {
public:
    LoopDevice(const std::string& image, bool read_only) {
        lock_ = open("/tmp/korvane-loop-test.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (lock_ >= 0) flock(lock_, LOCK_EX);
        std::string command =
                "losetup -f --show " + std::string(read_only ? "-r " : "") + "'" + image + "' 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return;
        char line[256] = {};
        if (fgets(line, sizeof line, pipe) != nullptr) path_ = std::string(line, strcspn(line, "\n"));
        pclose(pipe);
    }
    ~LoopDevice() {
        if (!path_.empty()) std::system(("losetup -d " + path_ + " 2>/dev/null").c_str());
        if (lock_ >= 0) close(lock_);  // releases the lock
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    const std::string& path() const { return path_; }

private:
    int lock_ = -1;
    std::string path_;
};

TEST(BlockDeviceTest, SizedByIoctlWritableOrProtectedAsTheDeviceIs) {
    ScratchDir dir;
    const std::string image = dir / "disk.img";
    make_image(image, 2048 * 512);
    for (bool read_only : {false, true}) {
        SCOPED_TRACE(read_only ? "read-only" : "writable");
        LoopDevice loop(image, read_only);
        if (loop.path().empty()) GTEST_SKIP() << "no loop device available";
        DeviceWorld world;
        world.attach_and_select(loop.path());
        ImageTarget* target = world.bus->target(0, 0);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->block_count(), 2048u);
        EXPECT_EQ(target->read_only(), read_only);
        EXPECT_EQ(probe_write_protect(world.ctx, 0), read_only ? kWriteProtected : 0);
        std::vector<std::uint8_t> data;
        EXPECT_EQ(read_units(world.ctx, 2047, 1, data), 0);
        EXPECT_EQ(data, expected_bytes(2047 * 512, 512));
        EXPECT_EQ(world.ctx.transport->verify(0, 0, 0, 2048), kStatusDone);
        if (!read_only) {
            EXPECT_EQ(write_units(world.ctx, 10, std::vector<std::uint8_t>(1024, 0x5A)), 0);
        }
    }
    // Closing and detaching the writable device flushed the write to the file.
    EXPECT_EQ(read_file(image, 10 * 512, 1024), std::vector<std::uint8_t>(1024, 0x5A));
}

}  // namespace
}  // namespace korvane::testing
