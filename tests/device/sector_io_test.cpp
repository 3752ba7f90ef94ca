// Transfers with retries, the 1024-byte conversion, runs to and from PC
// files, and the write guard, on real image files.

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "device/sector_io.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

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
