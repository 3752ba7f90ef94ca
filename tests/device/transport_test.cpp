// The command blocks the transport builds, byte for byte, what the image
// bus does with them, and the SG_IO headers built for them (no SCSI generic
// device is needed: the blocks come from the transport itself). Transfers
// with retries, the 1024-byte conversion, runs to and from PC files, and the
// write guard, on real image files.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <functional>

#include "device/sector_io.h"
#include "device/sg_io_target.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes cdb_of(const RequestBlock& block) { return Bytes(block.cdb.begin(), block.cdb.begin() + block.cdbLength); }

class TransportTest : public ::testing::Test {
protected:
    ScratchDir dir;
    DeviceWorld world;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(300 * 512);

    void SetUp() override {
        make_image(dir / "disk.img", 75000 * 512ull);
        world.attach_and_select(dir / "disk.img");
    }
    const RequestBlock& last() const { return world.bus->requests.back(); }
};

// The six-byte READ and WRITE where sector and count fit (256 as a count of
// 0), the ten-byte form beyond; data lands where the sector says.
TEST_F(TransportTest, ReadAndWriteTakeTheSixByteFormWhereItFitsAndTheTenByteFormBeyond) {
    struct Case {
        std::uint8_t op;
        std::uint32_t sector;
        std::uint16_t count;
        Bytes cdb;
    } cases[] = {
            {kScsiRead6, 74565, 64, {0x08, 0x01, 0x23, 0x45, 0x40, 0x00}},
            {kScsiWrite6, 74565, 64, {0x0A, 0x01, 0x23, 0x45, 0x40, 0x00}},
            {kScsiRead6, 5, 256, {0x08, 0x00, 0x00, 0x05, 0x00, 0x00}},
            {kScsiRead6, 0x200000, 64, {0x28, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00}},
            {kScsiWrite6, 0x12345678, 3, {0x2A, 0x00, 0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x03, 0x00}},
            {kScsiRead6, 100, 300, {0x28, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x01, 0x2C, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sector) + "+" + std::to_string(c.count));
        const bool inside = c.sector + c.count <= 75000;
        EXPECT_EQ(world.ctx.transport->read_write(c.op, 0, 0, c.sector, c.count, buffer.data(), 512) == kStatusDone,
                  inside);
        EXPECT_EQ(cdb_of(last()), c.cdb);
        EXPECT_EQ(last().flags, c.op == kScsiRead6 ? kDirectionIn : kDirectionOut);
        EXPECT_EQ(last().bufferLength, c.count * 512u);
        EXPECT_EQ(last().senseLength, 20);
        if (c.op == kScsiRead6 && inside) {
            EXPECT_EQ(buffer[(c.count - 1) * 512u], pattern_byte((c.sector + c.count - 1) * 512ull));
        }
    }
}

TEST_F(TransportTest, InquiryReadCapacityVerifyPreventAllowAndRefusals) {
    Transport& transport = *world.ctx.transport;
    std::array<std::uint8_t, 512> answer{};
    EXPECT_EQ(transport.inquiry(0, 0, answer.data()), kStatusDone);
    EXPECT_EQ(cdb_of(last()), (Bytes{0x12, 0x00, 0x00, 0x00, 0x64, 0x00}));
    EXPECT_EQ(last().bufferLength, 100u);
    EXPECT_EQ(last().flags, 0);
    EXPECT_EQ(last().senseLength, 0);
    EXPECT_EQ(answer[0], kTypeDirectAccess);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&answer[8]), 8), "KORVANE ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&answer[16]), 16), "disk.img        ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&answer[32]), 4), "1.0 ");

    EXPECT_EQ(transport.read_capacity(0, 0, answer.data()), kStatusDone);
    EXPECT_EQ(cdb_of(last()), (Bytes{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(last().bufferLength, 512u);
    EXPECT_EQ(last().senseLength, 20);
    // Last block address 74999 and 512-byte blocks, big-endian.
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 8), (Bytes{0x00, 0x01, 0x24, 0xF7, 0x00, 0x00, 0x02, 0x00}));

    EXPECT_EQ(transport.verify(0, 0, 74565, 8), kStatusDone);
    EXPECT_EQ(cdb_of(last()), (Bytes{0x2F, 0x00, 0x00, 0x01, 0x23, 0x45, 0x00, 0x00, 0x08, 0x00}));
    EXPECT_EQ(last().bufferLength, 0u);
    EXPECT_EQ(transport.verify(0, 0, 74999, 2), kStatusError);  // beyond the end

    world.bus->events.clear();
    EXPECT_EQ(transport.prevent_removal(0, 0, true), kStatusDone);
    EXPECT_EQ(cdb_of(last()), (Bytes{0x1E, 0x00, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(world.bus->events, (std::vector<std::string>{"send", "pause 150", "pause 150"}));
    EXPECT_TRUE(world.bus->target(0, 0)->removal_prevented());
    transport.prevent_removal(0, 0, false);
    EXPECT_EQ(cdb_of(last()), (Bytes{0x1E, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_FALSE(world.bus->target(0, 0)->removal_prevented());

    // Four sectors announced with a buffer length of one are refused.
    EXPECT_EQ(transport.read_write(kScsiRead6, 0, 0, 0, 4, answer.data(), 128), kStatusError);
    // Only where a target is does the bus answer.
    EXPECT_EQ(transport.device_type(0, 3), kNoDeviceType);
    EXPECT_EQ(transport.inquiry(0, 3, answer.data()), kStatusError);
    EXPECT_EQ(transport.host_adapter_inquiry(1).adapter_count, 0);
}

// A FIFO in a bus folder, named as an image (a CD-ROM is opened to read
// only, which for a FIFO would wait for a writer): refused at once.
TEST(ImageBusTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    ScratchDir dir;
    ASSERT_EQ(mkfifo((dir / "CD3.iso").c_str(), 0644), 0);
    ImageBus bus;
    std::vector<std::string> problems;
    bus.add_directory(dir.path(), problems);
    EXPECT_EQ(problems, std::vector<std::string>{dir / "CD3.iso" + ": not an image file or block device"});
}

TEST(SgIoTest, EachCommandCarriesItsBlockDirectionAndLength) {
    ScratchDir dir;
    make_image(dir / "disk.img", 128 * 512);
    DeviceWorld world;
    world.attach_and_select(dir / "disk.img");
    Transport& transport = *world.ctx.transport;
    transport.pause = [](std::chrono::milliseconds) {};
    Bytes buffer(64 * 512);
    std::uint8_t* data = buffer.data();
    // Commands without a direction flag (inquiry, read capacity) read from the drive.
    struct Case {
        const char* what;
        std::function<void()> send;
        Bytes cdb;
        int direction;
        unsigned length;
    } cases[] = {
            {"read",
             [&] { transport.read_write(kScsiRead6, 0, 0, 100, 64, data, 512); },
             {0x08, 0x00, 0x00, 0x64, 0x40, 0x00},
             SG_DXFER_FROM_DEV,
             64 * 512},
            {"write",
             [&] { transport.read_write(kScsiWrite6, 0, 0, 0x300000, 2, data, 1024); },
             {0x2A, 0, 0x00, 0x30, 0x00, 0x00, 0, 0x00, 0x02, 0},
             SG_DXFER_TO_DEV,
             2048},
            {"inquiry", [&] { transport.inquiry(0, 0, data); }, {0x12, 0, 0, 0, 0x64, 0}, SG_DXFER_FROM_DEV, 100},
            {"read capacity",
             [&] { transport.read_capacity(0, 0, data); },
             {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0},
             SG_DXFER_FROM_DEV,
             512},
            {"verify", [&] { transport.verify(0, 0, 5, 1); }, {0x2F, 0, 0, 0, 0, 5, 0, 0, 1, 0}, SG_DXFER_NONE, 0},
            {"prevent removal",
             [&] { transport.prevent_removal(0, 0, true); },
             {0x1E, 0, 0, 0, 1, 0},
             SG_DXFER_NONE,
             0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.send();
        const RequestBlock& block = world.bus->requests.back();
        sg_io_hdr_t header{};
        std::array<std::uint8_t, 32> sense{};
        build_sg_io_header(block, header, sense);
        EXPECT_EQ(header.interface_id, 'S');
        EXPECT_EQ(Bytes(header.cmdp, header.cmdp + header.cmd_len), c.cdb);
        EXPECT_EQ(header.dxfer_direction, c.direction);
        EXPECT_EQ(header.dxfer_len, c.length);
        EXPECT_EQ(header.dxferp, c.length ? data : nullptr);
        EXPECT_EQ(header.mx_sb_len, block.senseLength);
        EXPECT_EQ(header.sbp, sense.data());
        EXPECT_EQ(header.timeout, kSgTimeoutMs);
    }
    EXPECT_EQ(world.bus->attach_image(0, "/dev/null"), "not a SCSI generic device");
}

TEST(SgIoTest, AnswersAreJudgedByEveryStatus) {
    sg_io_hdr_t ok{};
    ok.info = SG_INFO_OK;
    EXPECT_TRUE(sg_io_succeeded(ok));
    sg_io_hdr_t checked = ok, hostFailed = ok, infoCheck = ok;
    checked.status = 0x02;  // CHECK CONDITION
    hostFailed.host_status = 1;
    infoCheck.info = SG_INFO_CHECK;
    for (const sg_io_hdr_t& answer : {checked, hostFailed, infoCheck}) EXPECT_FALSE(sg_io_succeeded(answer));
}

using Bytes = std::vector<std::uint8_t>;

// --- retries ---------------------------------------------------------------

TEST(RetryTest, TwentyAttemptsAtMostEachAfterAResetWhenAsked) {
    ScratchDir dir;
    make_image(dir / "disk.img", 64 * 512);
    struct Case {
        const char* options;
        bool reset;
        std::uint16_t status;
        std::vector<std::string> events;  // empty: twenty sends, no reset
    } cases[] = {
            {",bad=3", false, kStatusError, {}},
            {",flaky=19", false, 0, {}},  // read on the last attempt
            {",flaky=20", false, kStatusError, {}},
            {",flaky=2", true, 0, {"reset", "send", "reset", "send", "reset", "send"}},
            {",flaky=2", false, 0, {"send", "send", "send"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.options) + (c.reset ? " reset" : ""));
        DeviceWorld world;
        world.attach_and_select(dir / ("disk.img" + std::string(c.options)));
        world.ctx.state.reset_each_access = c.reset;
        Bytes data;
        EXPECT_EQ(read_units(world.ctx, 3, 1, data), c.status);
        if (c.status == 0) {
            EXPECT_EQ(data, expected_bytes(3 * 512, 512));
        }
        if (c.events.empty()) {
            EXPECT_EQ(world.bus->count_of(kScsiRead6), 20);
            EXPECT_EQ(world.bus->resets_sent(), 0);
        } else {
            EXPECT_EQ(world.bus->events, c.events);
        }
    }
}

TEST(RetryTest, TheRequestIsSentToTheSelectedAdapter) {
    ScratchDir dir;
    make_image(dir / "disk.img", 64 * 512);
    DeviceWorld world;
    world.bus->add_adapter("second");
    ASSERT_EQ(world.bus->attach_image(1, dir / "disk.img,id=2"), "");
    world.ctx.state.host_adapter = 1;
    world.ctx.state.target_id = 2;
    Bytes data;
    EXPECT_EQ(read_units(world.ctx, 3, 1, data), 0);
    EXPECT_EQ(world.bus->requests.back().adapter, 1);
    EXPECT_EQ(data, expected_bytes(3 * 512, 512));
}

// --- injected write faults --------------------------------------------------

// failwrite=K fails write command K and every later one (each retry is a
// command of its own); the log names every command, failed or not.
TEST(WriteFaultTest, FailwriteStopsTheDriveWritingFromTheKthCommandOn) {
    ScratchDir dir;
    make_image(dir / "disk.img", 64 * 512);
    DeviceWorld world;
    world.attach_and_select(dir / "disk.img,failwrite=3,writelog=" + dir / "writes.log");
    EXPECT_EQ(write_units(world.ctx, 4, Bytes(512, 0x11)), 0);
    EXPECT_EQ(write_units(world.ctx, 5, Bytes(1024, 0x22)), 0);
    EXPECT_EQ(write_units(world.ctx, 8, Bytes(512, 0x33)), kStatusError);
    EXPECT_EQ(read_file(dir / "disk.img", 4 * 512, 512), Bytes(512, 0x11));
    EXPECT_EQ(read_file(dir / "disk.img", 5 * 512, 1024), Bytes(1024, 0x22));
    EXPECT_EQ(read_file(dir / "disk.img", 8 * 512, 512), expected_bytes(8 * 512, 512));
    std::string expectedLog = "4 1\n5 2\n";
    for (int attempt = 0; attempt < 20; ++attempt) expectedLog += "8 1\n";
    EXPECT_EQ(read_all(dir / "writes.log"), expectedLog);
    Bytes data;
    EXPECT_EQ(read_units(world.ctx, 8, 1, data), 0);  // reads go on
}

// killwrite=K ends the process right before write command K reaches the image.
TEST(WriteFaultTest, KillwriteEndsTheProcessBeforeTheKthWrite) {
    ScratchDir dir;
    make_image(dir / "disk.img", 64 * 512);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DeviceWorld world;
        world.attach_and_select(dir / "disk.img,killwrite=2,writelog=" + dir / "writes.log");
        write_units(world.ctx, 4, Bytes(512, 0x11));
        write_units(world.ctx, 5, Bytes(512, 0x22));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(read_file(dir / "disk.img", 4 * 512, 512), Bytes(512, 0x11));
    EXPECT_EQ(read_file(dir / "disk.img", 5 * 512, 512), expected_bytes(5 * 512, 512));
    EXPECT_EQ(read_all(dir / "writes.log"), "4 1\n5 1\n");
}

// --- 1024-byte media ---------------------------------------------------------

class Media1024Test : public ::testing::Test {
protected:
    ScratchDir dir;
    DeviceWorld world;
    std::string path;

    void SetUp() override {
        path = dir / "MO3_1024.img";
        make_image(path, 32 * 1024);
        attach(world, path);
    }
    static void attach(DeviceWorld& drive, const std::string& image) {
        drive.attach_and_select(image, 3);
        drive.ctx.device.sectorSize = 1024;
        install_transfer_routine(drive.ctx, 1024);
    }
};

// Reads ask for whole device sectors in one request; writes keep the other
// half of their first and last sectors.
TEST_F(Media1024Test, ReadsAndWritesAtEvenAndOddAddressesAndCounts) {
    const std::pair<std::uint32_t, std::uint16_t> reads[] = {{6, 1}, {7, 1}, {5, 2}, {4, 3}, {9, 5}};
    for (const auto& [unit, count] : reads) {
        SCOPED_TRACE(std::to_string(unit) + "+" + std::to_string(count));
        Bytes data;
        ASSERT_EQ(read_units(world.ctx, unit, count, data), 0);
        EXPECT_EQ(data, expected_bytes(unit * 512, count * 512u));
        EXPECT_EQ(world.bus->requests.back().cdb[3], unit / 2);
        EXPECT_EQ(world.bus->requests.back().cdb[4], (unit + count + 1) / 2 - unit / 2);
    }
    const std::pair<std::uint32_t, std::uint16_t> writes[] = {{7, 2}, {10, 3}, {21, 1}, {24, 1}};
    for (const auto& [unit, count] : writes) {
        SCOPED_TRACE(std::to_string(unit) + "+" + std::to_string(count));
        ASSERT_EQ(write_units(world.ctx, unit, Bytes(count * 512u, 0xE0 + unit)), 0);
        EXPECT_EQ(read_file(path, unit * 512, count * 512u), Bytes(count * 512u, 0xE0 + unit));
        EXPECT_EQ(read_file(path, (unit - 1) * 512, 512), expected_bytes((unit - 1) * 512, 512));
        EXPECT_EQ(read_file(path, (unit + count) * 512, 512), expected_bytes((unit + count) * 512, 512));
    }
    for (const RequestBlock& block : world.bus->requests) {
        if (block.cdb[0] == kScsiWrite6) {
            EXPECT_EQ(block.bufferLength, block.cdb[4] * 1024u);
        }
    }
}

TEST_F(Media1024Test, AWriteWhoseNeighbourCannotBeReadIsNotMade) {
    DeviceWorld faulty;
    attach(faulty, path + ",id=3,bad=4");
    EXPECT_NE(write_units(faulty.ctx, 9, Bytes(512, 0x11)), 0);  // unit 9 shares device sector 4 with unit 8
    EXPECT_EQ(faulty.bus->count_of(kScsiWrite6), 0);
    EXPECT_EQ(read_file(path, 9 * 512, 512), expected_bytes(9 * 512, 512));
}

// --- runs --------------------------------------------------------------------

class RunTest : public ::testing::Test {
protected:
    ScratchDir dir;
    DeviceWorld world;
    std::string image;

    void attach(const std::string& options) {
        image = dir / "disk.img";
        make_image(image, 2048 * 512);
        world.attach_and_select(image + options);
        world.ctx.geometry.firstAllocSector = 16;
        world.ctx.geometry.sectorsPerBlock = 4;
        world.ctx.geometry.allocBlockSize = 2048;
    }
    RunResult read_run(std::uint16_t block, std::uint32_t bytes) {
        const int fd = ::open((dir / "out").c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        const RunResult result = read_run_to_file(world.ctx, fd, block, bytes);
        ::close(fd);
        return result;
    }
    RunResult write_run(const Bytes& content, std::uint16_t block, std::uint16_t blocks) {
        const int fd = ::open((dir / "in").c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        ::lseek(fd, 0, SEEK_SET);
        const RunResult result = write_run_from_file(world.ctx, fd, block, blocks);
        ::close(fd);
        return result;
    }
};

TEST_F(RunTest, ReadRunsWriteTheByteCountInRequestsOf64SectorsWithProgressWhenLong) {
    attach("");
    const RunResult result = read_run(2, 1000);  // block 2 = sector 24
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.unreadableSectors, 0u);
    EXPECT_EQ(read_all(dir / "out"), read_all(image).substr(24 * 512, 1000));
    EXPECT_TRUE(world.host.progress.empty());  // two sectors: no progress bar
    EXPECT_EQ(world.host.busy_ticks, 1);

    world.bus->requests.clear();
    EXPECT_TRUE(read_run(0, 400 * 512).ok);
    EXPECT_EQ(read_file(dir / "out", 0, 400 * 512), expected_bytes(16 * 512, 400 * 512));
    EXPECT_EQ(world.bus->count_of(kScsiRead6), 7);  // six of 64 and one of 16
    EXPECT_EQ(world.bus->requests.back().cdb[4], 16);
    ASSERT_EQ(world.host.progress.size(), 7u);
    EXPECT_EQ(world.host.progress.front(), std::make_pair(400u, 400u));
    EXPECT_EQ(world.host.progress.back(), std::make_pair(16u, 400u));
}

TEST_F(RunTest, WriteRunCopiesTheFileAndPadsWithZeros) {
    attach("");
    const Bytes content(3000, 0x3C);
    EXPECT_TRUE(write_run(content, 1, 2).ok);  // sectors 20-27
    EXPECT_EQ(read_file(image, 20 * 512, 3000), content);
    EXPECT_EQ(read_file(image, 20 * 512 + 3000, 8 * 512 - 3000), Bytes(8 * 512 - 3000, 0));
    EXPECT_EQ(read_file(image, 28 * 512, 512), expected_bytes(28 * 512, 512));
    ASSERT_FALSE(world.host.statuses.empty());
    EXPECT_EQ(world.host.statuses.back(), "");
}

TEST_F(RunTest, AWriteRunThatFailsSaysSo) {
    attach(",bad=100");
    EXPECT_FALSE(write_run(Bytes(200 * 512, 0x77), 0, 50).ok);  // sectors 16-215, 100 is bad
    EXPECT_EQ(world.bus->count_of(kScsiWrite6), 1 + 20);        // the first request, then twenty on the bad one
}

// --- the write guard -----------------------------------------------------------

TEST(WriteGuardTest, ProbeFindsProtectedMediaAndCheckWritableAsks) {
    ScratchDir dir;
    make_image(dir / "disk.img", 64 * 512);
    DeviceWorld world;
    world.attach_and_select(dir / "disk.img,ro");
    EXPECT_EQ(probe_write_protect(world.ctx, 0), kWriteProtected);
    world.host.answers = {false, true};
    EXPECT_FALSE(check_writable(world.ctx));
    EXPECT_TRUE(check_writable(world.ctx));
    EXPECT_EQ(world.host.questions, (std::vector<std::string>{"Write-protected media.", "Write-protected media."}));

    DeviceWorld writable;
    writable.attach_and_select(dir / "disk.img");
    EXPECT_EQ(probe_write_protect(writable.ctx, 0), 0);
    EXPECT_EQ(read_file(dir / "disk.img", 0, 512), expected_bytes(0, 512));  // written back unchanged
    EXPECT_TRUE(check_writable(writable.ctx));
    EXPECT_TRUE(writable.host.questions.empty());

    DeviceWorld unreadable;
    unreadable.attach_and_select(dir / "disk.img,ro,bad=0");
    EXPECT_EQ(probe_write_protect(unreadable.ctx, 0), 0);
    EXPECT_EQ(unreadable.bus->count_of(kScsiWrite6), 0);

    // Media of 1024-byte sectors are refused before the probe's write.
    DeviceWorld mo;
    mo.attach_and_select(dir / "disk.img");
    mo.ctx.device.sectorSize = 1024;
    EXPECT_FALSE(check_writable(mo.ctx));
    EXPECT_EQ(mo.host.notices,
              (std::vector<std::string>{"Write functions are not yet validated for media with 1024 bytes/sector."}));
    EXPECT_TRUE(mo.bus->requests.empty());
}

}  // namespace
}  // namespace korvane::testing
