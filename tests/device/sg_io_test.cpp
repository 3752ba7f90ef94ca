// The SG_IO headers built for the command blocks the transport sends. No SCSI
// generic device is needed: the blocks come from the transport itself.

#include <array>
#include <functional>

#include "device/sg_io_target.h"
#include "tests/device/device_fixture.h"

namespace korvane::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

}  // namespace
}  // namespace korvane::testing
