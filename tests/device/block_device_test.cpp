// Block devices on the image bus: sized by their ioctls, write-protected when
// the device is read-only. Uses a loop device, so it needs root.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "device/sector_io.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

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
