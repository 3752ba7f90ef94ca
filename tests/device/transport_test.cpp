// The command blocks the transport builds, byte for byte, what the image
// bus does with them, and the SG_IO headers built for them (no SCSI generic
// device is needed: the blocks come from the transport itself).

#include <sys/stat.h>

#include <array>
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

}  // namespace
}  // namespace korvane::testing
