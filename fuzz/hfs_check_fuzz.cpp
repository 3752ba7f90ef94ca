// Opens a mutated HFS image through the image bus and runs CHECK on it.
// However ruined the volume, the check must end with a report: no crash,
// no hang, no read outside a buffer.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "fuzz/fuzz_drive.h"
#include "hfs/catalog_records.h"
#include "hfs/volume_check.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

// Attaches the bytes as a write-protected image and reads its volume header.
// False for what the program refuses before it copies a catalog: no HFS
// header, an unusable geometry, an empty first catalog extent, or trees
// larger than the temporary folder could be asked to hold.
bool open_volume(HfsContext& ctx, const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (!fuzz::write_image(path, data, size) || !fuzz::attach_as_drive(ctx, path + ",ro")) return false;
    install_transfer_routine(ctx, 512);
    DeviceRequest header;
    header.sector = 2;
    header.count = 1;
    header.buffer = ctx.mdb.bytes.data();
    return transfer(ctx, header) == 0 && derive_geometry(ctx.mdb, 0, ctx.geometry) &&
           extent_descriptor(ctx.mdb.catalog_extents(), 0).block_count != 0 &&
           ctx.mdb.catalog_file_size() <= 2 * size && ctx.mdb.extents_file_size() <= 2 * size;
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = fuzz::scratch_path("korvane-check-fuzz-");
    if (size < 3 * 512) return 0;
    QuietHost host;
    HfsContext ctx(host);
    if (!open_volume(ctx, image, data, size)) return 0;
    open_catalog_tree(ctx);
    open_extents_tree(ctx);
    check_volume(ctx);
    return 0;
}
