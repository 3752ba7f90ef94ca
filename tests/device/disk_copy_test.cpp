// DiskCopy 4.2 images on the image bus: which headers are taken, which are
// left to be raw images and which are refused, and what a write leaves in
// the file (the data, the data checksum, the tags and the other fields).

#include <array>
#include <fstream>
#include <functional>

#include "device/bus_setup.h"
#include "tests/device/device_fixture.h"
#include "tests/support/disk_copy_builder.h"
#include "util/byte_order.h"

namespace korvane::testing {
namespace {

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

}  // namespace
}  // namespace korvane::testing
