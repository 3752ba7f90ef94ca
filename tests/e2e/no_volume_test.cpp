// korvane-cmd says why no volume is open whenever a command needs one: what
// it prints on standard error for media it cannot open.

#include <gtest/gtest.h>

#include "tests/e2e/listing_fixture.h"
#include "tests/volume/medium_builder.h"
#include "util/byte_order.h"

namespace korvane::e2e {
namespace {

TEST(NoVolume, KorvaneCmdSaysWhyNoVolumeIsOpen) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "good.img", 800, "Good");
    volume.unmount();
    const std::string& image = volume.image();
    const std::vector<std::uint8_t> good = testing::file_bytes(image);
    auto with_block_size = [&](std::uint32_t size) {
        std::vector<std::uint8_t> bytes = good;
        store_be32(bytes.data() + 1024 + 0x14, size);
        const std::string path = dir / ("block" + std::to_string(size) + ".img");
        testing::write_at(path, 0, bytes);
        return path;
    };
    const std::string twoPartitions = dir / "two.hda";
    testing::write_partitioned_medium(twoPartitions, 4 << 20, 512, 512,
                                      {{"One", "Apple_HFS", 64, 1600, image}, {"Two", "Apple_HFS", 1664, 1600, image}});

    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* reason;
    };
    const std::vector<Case> cases = {
            {"header unreadable", {image + ",bad=2"}, "The volume header cannot be read"},
            {"block size 0", {with_block_size(0)}, "allocation blocks of 0 bytes"},
            {"block size 513", {with_block_size(513)}, "allocation blocks of 513 bytes"},
            {"block size 1000", {with_block_size(1000)}, "allocation blocks of 1000 bytes"},
            {"2048-byte sectors", {image + ",sector=2048"}, "sectors of 2048 bytes are not supported"},
            {"two images", {image, with_block_size(512)}, "No drive was chosen"},
            {"two partitions", {twoPartitions}, "--partition N"},
    };
    for (Case c : cases) {
        c.args.insert(c.args.end(), {"-c", "DIR", "-c", "COPY *"});
        const std::string errors = run_korvane_cmd(dir.path(), c.args).err;
        EXPECT_NE(errors.find("No Macintosh volume is open. "), std::string::npos) << c.name << ": " << errors;
        EXPECT_NE(errors.find(c.reason), std::string::npos) << c.name << ": " << errors;
    }
    // With -v the status line gives the same reason, not "not a Macintosh volume".
    const std::string verbose = run_korvane_cmd(dir.path(), {twoPartitions, "-v", "-c", "DIR"}).err;
    EXPECT_EQ(verbose.find("This is not a Macintosh volume."), std::string::npos) << verbose;
}

}  // namespace
}  // namespace korvane::e2e
