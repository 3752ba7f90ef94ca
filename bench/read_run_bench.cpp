// How fast a run of sectors moves from an image on the image bus into a PC
// file through read_run_to_file, next to `cat IMAGE > FILE` on the same machine
// in the same run. Prints figures; it asserts nothing.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/quiet_host.h"
#include "device/device_context.h"
#include "device/image_bus.h"
#include "device/sector_io.h"

namespace {

using namespace korvane;

constexpr std::uint32_t kImageBytes = 64u << 20;
constexpr int kRounds = 3;

void write_image(const std::string& path) {
    std::vector<std::uint8_t> chunk(1 << 20);
    std::mt19937 random(1);
    for (auto& byte : chunk) byte = static_cast<std::uint8_t>(random());
    int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    for (std::uint32_t done = 0; done < kImageBytes; done += chunk.size()) {
        chunk[0] = static_cast<std::uint8_t>(done >> 20);
        if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) std::exit(1);
    }
    ::close(fd);
}

double seconds(std::chrono::steady_clock::duration span) { return std::chrono::duration<double>(span).count(); }

double time_read_run(DeviceContext& ctx, const std::string& output) {
    int fd = ::open(output.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    auto start = std::chrono::steady_clock::now();
    RunResult result = read_run_to_file(ctx, fd, 0, kImageBytes);
    ::close(fd);
    auto span = std::chrono::steady_clock::now() - start;
    if (!result.ok || result.unreadableSectors != 0) std::fprintf(stderr, "the run failed\n");
    return seconds(span);
}

double time_cat(const std::string& image, const std::string& output) {
    std::string command = "cat '" + image + "' > '" + output + "'";
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cat failed\n");
    return seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
    std::string dir = (std::filesystem::temp_directory_path() / "korvane-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    const std::string image = dir + "/HD0.img";
    write_image(image);

    QuietHost host;
    DeviceContext ctx(host);
    auto bus = std::make_unique<ImageBus>();
    if (!bus->attach_image(0, image).empty()) return 1;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    ctx.geometry.firstAllocSector = 0;
    ctx.geometry.sectorsPerBlock = 1;

    const double megabytes = kImageBytes / double(1 << 20);
    std::printf("64 MB image, %d rounds, best of each (page cache warm)\n", kRounds);
    double bestRun = 1e9;
    double bestCat = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        bestRun = std::min(bestRun, time_read_run(ctx, dir + "/run.out"));
        bestCat = std::min(bestCat, time_cat(image, dir + "/cat.out"));
    }
    std::printf("read_run_to_file (64-sector requests): %7.3f s  %8.1f MB/s\n", bestRun, megabytes / bestRun);
    std::printf("cat IMAGE > FILE:                   %7.3f s  %8.1f MB/s\n", bestCat, megabytes / bestCat);
    std::filesystem::remove_all(dir);
    return 0;
}
