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
#include "volume/rescue_scan.h"

namespace korvane {
namespace {

std::string scratch_path(const char* what) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/korvane-rescue-fuzz-" + what + "-" +
           std::to_string(getpid());
}

// Attaches the bytes as a write-protected image on adapter 0, target 0.
bool attach_medium(TransferContext& ctx, const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0) return false;
    const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    auto bus = std::make_unique<ImageBus>();
    bus->pause = [](std::chrono::milliseconds) {};
    if (!written || !bus->attach_image(0, path + ",ro").empty()) return false;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    install_transfer_routine(ctx, 512);
    return true;
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = scratch_path("image");
    // The rescued files go to the current PC directory: a folder of our own.
    static const std::string folder = [] {
        const std::string made = scratch_path("files");
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
