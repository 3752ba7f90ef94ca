#pragma once
// Shared ground of the HFS tests: a volume (made by hfsutils, see
// tests/support/hfsutils_volume.h) opened through the image bus exactly as
// the program opens it.

#include <cstdint>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "device/image_bus.h"
#include "device/sector_io.h"
#include "hfs/hfs_context.h"
#include "hfs/working_copies.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "util/byte_order.h"

namespace korvane::testing {

// A context on an image bus with one image attached as the selected drive,
// its volume header read and its geometry derived as discovery does.
struct OpenedVolume {
    ScriptedHost host;
    HfsContext ctx{host};
    ImageBus* bus = nullptr;

    explicit OpenedVolume(const std::string& image, std::uint32_t volume_start = 0) {
        bus = select_single_image(ctx, image);
        install_transfer_routine(ctx, 512);
        DeviceRequest request;
        request.sector = volume_start + 2;
        request.count = 1;
        request.buffer = ctx.mdb.bytes.data();
        EXPECT_EQ(transfer(ctx, request), 0);
        EXPECT_TRUE(derive_geometry(ctx.mdb, volume_start, ctx.geometry));
    }

    CatalogOpen open() { return open_catalog_tree(ctx); }
};

// The names hls lists in an HFS folder path.
inline std::multiset<std::string> hls_names(const HfsutilsVolume& volume, const std::string& path) {
    const auto lines = volume.lines({"hls", "-1a", path});
    return {lines.begin(), lines.end()};
}

}  // namespace korvane::testing
