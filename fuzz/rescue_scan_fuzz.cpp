// Runs the rescue scan over a mutated medium with no volume open, writing
// what it finds into a scratch folder. However ruined the medium, the scan
// must end: no crash, no hang, no read outside a buffer, and nothing
// written outside the folder.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "fuzz/fuzz_drive.h"
#include "volume/rescue_scan.h"

namespace korvane {
namespace {

// Attaches the bytes as a write-protected image on adapter 0, target 0.
bool attach_medium(TransferContext& ctx, const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (!fuzz::write_image(path, data, size) || !fuzz::attach_as_drive(ctx, path + ",ro")) return false;
    install_transfer_routine(ctx, 512);
    return true;
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = fuzz::scratch_path("korvane-rescue-fuzz-image-");
    // The rescued files go to the current PC directory: a folder of our own.
    static const std::string folder = [] {
        const std::string made = fuzz::scratch_path("korvane-rescue-fuzz-files-");
        std::filesystem::create_directories(made);
        if (chdir(made.c_str()) != 0) std::abort();
        return made;
    }();
    if (size < 3 * 512) return 0;
    QuietHost host;
    TransferContext ctx(host);
    if (!attach_medium(ctx, image, data, size)) return 0;
    RescueProgress progress;
    rescue_scan(ctx, progress);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove_all(entry.path());
    return 0;
}
