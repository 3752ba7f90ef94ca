// The SG_IO headers built for the command blocks the transport sends. No SCSI
// generic device is needed: the blocks come from the transport itself.

#include <array>

#include "device/sg_io_target.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

class SgIoTest : public ::testing::Test {
protected:
    ScratchDir dir;
    DeviceWorld world;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(64 * 512);
    sg_io_hdr_t header{};
    std::array<std::uint8_t, 32> sense{};

    void SetUp() override {
        make_image(dir / "disk.img", 128 * 512);
        world.attach_and_select(dir / "disk.img");
    }
    void build_from_last() { build_sg_io_header(world.bus->requests.back(), header, sense); }
    std::vector<std::uint8_t> command() const { return {header.cmdp, header.cmdp + header.cmd_len}; }
};

TEST_F(SgIoTest, ReadsAndWritesCarryTheirCommandDirectionAndLength) {
    world.ctx.transport->read_write(kScsiRead6, 0, 0, 100, 64, buffer.data(), 512);
    build_from_last();
    EXPECT_EQ(header.interface_id, 'S');
    EXPECT_EQ(command(), (std::vector<std::uint8_t>{0x08, 0x00, 0x00, 0x64, 0x40, 0x00}));
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(header.dxfer_len, 64u * 512);
    EXPECT_EQ(header.dxferp, buffer.data());
    EXPECT_EQ(header.mx_sb_len, 20);
    EXPECT_EQ(header.sbp, sense.data());
    EXPECT_EQ(header.timeout, kSgTimeoutMs);

    world.ctx.transport->read_write(kScsiWrite6, 0, 0, 0x300000, 2, buffer.data(), 1024);
    build_from_last();
    EXPECT_EQ(command(), (std::vector<std::uint8_t>{0x2A, 0, 0x00, 0x30, 0x00, 0x00, 0, 0x00, 0x02, 0}));
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(header.dxfer_len, 2048u);
}

TEST_F(SgIoTest, CommandsWithoutDirectionFlagReadFromTheDriveAndOthersMoveNothing) {
    std::array<std::uint8_t, 512> answer{};
    world.ctx.transport->inquiry(0, 0, answer.data());
    build_from_last();
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(header.dxfer_len, 100u);
    EXPECT_EQ(header.mx_sb_len, 0);

    world.ctx.transport->read_capacity(0, 0, answer.data());
    build_from_last();
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(header.dxfer_len, 512u);
    EXPECT_EQ(header.cmd_len, 10);

    world.ctx.transport->verify(0, 0, 5, 1);
    build_from_last();
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(header.dxferp, nullptr);

    world.ctx.transport->pause = [](std::chrono::milliseconds) {};
    world.ctx.transport->prevent_removal(0, 0, true);
    build_from_last();
    EXPECT_EQ(header.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(command(), (std::vector<std::uint8_t>{0x1E, 0, 0, 0, 1, 0}));
}

TEST_F(SgIoTest, AnswersAreJudgedByEveryStatus) {
    sg_io_hdr_t answer{};
    answer.info = SG_INFO_OK;
    EXPECT_TRUE(sg_io_succeeded(answer));
    answer.status = 0x02;  // CHECK CONDITION
    EXPECT_FALSE(sg_io_succeeded(answer));
    answer = {};
    answer.host_status = 1;
    EXPECT_FALSE(sg_io_succeeded(answer));
    answer = {};
    answer.info = SG_INFO_CHECK;
    EXPECT_FALSE(sg_io_succeeded(answer));
}

TEST_F(SgIoTest, ACharacterDeviceThatIsNotScsiIsRefused) {
    EXPECT_EQ(world.bus->attach_image(0, "/dev/null"), "not a SCSI generic device");
}

}  // namespace
}  // namespace korvane::testing
