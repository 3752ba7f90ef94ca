#pragma once
// What every fuzz target that reads a medium does first: the mutated bytes
// become an image file of its own, attached as the only drive (adapter 0,
// target 0) of an image bus that never pauses.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "device/image_bus.h"
#include "hfs/hfs_context.h"

namespace korvane::fuzz {

// A file name in TMPDIR (or /tmp), one per fuzzing process.
inline std::string scratch_path(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name + std::to_string(getpid());
}

inline bool write_image(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0) return false;
    const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return written;
}

// Attaches the image (its path and options, "PATH,ro") and selects it.
inline bool attach_as_drive(HfsContext& ctx, const std::string& image_argument) {
    auto bus = std::make_unique<ImageBus>();
    bus->pause = [](std::chrono::milliseconds) {};
    if (!bus->attach_image(0, image_argument).empty()) return false;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    return true;
}

}  // namespace korvane::fuzz
