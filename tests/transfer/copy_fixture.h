#pragma once
// Volumes made by hfsutils, opened through the image bus and volume discovery
// as the program opens them, and an empty PC destination directory that is
// the current directory while a test copies into it.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/context.h"
#include "device/image_bus.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/single_drive.h"
#include "volume/discovery.h"

namespace korvane::testing {

// A MacBinary II file of the given forks (hcopy -m reads it onto a volume).
inline std::string macbinary_image(const std::string& name, const std::string& type_creator,
                                   const std::string& data, const std::string& resource,
                                   std::uint32_t modified = 0xB1234567u) {
    std::string header(128, '\0');
    header[1] = static_cast<char>(name.size());
    header.replace(2, name.size(), name);
    header.replace(65, 8, type_creator);
    auto put32 = [&header](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    put32(83, static_cast<std::uint32_t>(data.size()));
    put32(87, static_cast<std::uint32_t>(resource.size()));
    put32(91, 0xB0000000u);
    put32(95, modified);
    header[122] = static_cast<char>(129);
    header[123] = static_cast<char>(129);
    std::uint16_t crc = 0;
    for (int i = 0; i < 124; ++i) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(header[i]) << 8);
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    header[124] = static_cast<char>(crc >> 8);
    header[125] = static_cast<char>(crc);
    auto padded = [](std::string s) { s.resize((s.size() + 127) / 128 * 128, '\0'); return s; };
    return header + padded(data) + padded(resource);
}

// Adds a file with both forks, a type and a creator through hcopy -m.
inline void add_macbinary_file(HfsVolume& volume, const ScratchDir& dir, const std::string& hfs_path,
                               const std::string& name, const std::string& type_creator, const std::string& data,
                               const std::string& resource, std::uint32_t modified = 0xB1234567u) {
    const std::string local = dir / "payload.bin";
    std::ofstream(local, std::ios::binary) << macbinary_image(name, type_creator, data, resource, modified);
    EXPECT_EQ(volume.tool({"hcopy", "-m", local, hfs_path}), 0) << hfs_path;
}

// A Korvane context with one image as the selected drive and its volume open.
struct OpenedDrive {
    ScriptedHost host;
    Context ctx{host};

    explicit OpenedDrive(const std::string& image) {
        select_single_image(ctx, image);
        opened = analyzeVolume(ctx) > 0;
    }
    bool opened = false;
};

// An empty directory made current for the test's lifetime.
class PcDestination {
public:
    PcDestination() : saved_(std::filesystem::current_path()) {
        std::filesystem::create_directories(dir_ / "dest");
        std::filesystem::current_path(dir_ / "dest");
    }
    ~PcDestination() { std::filesystem::current_path(saved_); }
    std::string path() const { return dir_ / "dest"; }
    std::string operator/(const std::string& name) const { return dir_ / ("dest/" + name); }
    std::string outside(const std::string& name) const { return dir_ / name; }

private:
    ScratchDir dir_;
    std::filesystem::path saved_;
};

}  // namespace korvane::testing
