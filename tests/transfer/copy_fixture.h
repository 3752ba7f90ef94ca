#pragma once
// Volumes made by hfsutils, opened through the image bus and volume discovery
// as the program opens them, an empty PC destination directory that is the
// current directory while a test copies into it, and the dates of its files.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "app/context.h"
#include "device/image_bus.h"
#include "hfs/mac_date.h"
#include "tests/hfs/hfs_fixture.h"
#include "tests/support/session.h"
#include "volume/discovery.h"

namespace korvane::testing {

// A Korvane context with one image as the selected drive and its volume open.
struct OpenedDrive : Session {
    explicit OpenedDrive(const std::string& image) : Session(image) { opened = analyze_volume(ctx) > 0; }
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

// A small volume made by hfsutils and filled by the test, then opened as the
// selected drive (with image options), long names on, and an empty PC
// destination as the current directory.
struct SmallVolumeCopy {
    ScratchDir dir;
    HfsutilsVolume volume;
    std::unique_ptr<OpenedDrive> drive;
    PcDestination dest;

    explicit SmallVolumeCopy(const std::string& label) : volume(dir, "small.img", 800, label) {}
    Context& open(const std::string& options = "") {
        volume.unmount();
        drive = std::make_unique<OpenedDrive>(volume.image() + options);
        EXPECT_TRUE(drive->opened);
        drive->ctx.state.long_names_available = true;
        return drive->ctx;
    }
    ScriptedHost& host() { return drive->host; }
};

// The PC file carries the Macintosh date as local time, to the even second.
inline void expect_mac_date(const std::string& path, std::uint32_t mac_date) {
    const MacDateFields mac = mac_date_to_calendar(mac_date);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
    std::tm local{};
    localtime_r(&info.st_mtime, &local);
    EXPECT_EQ((std::vector<int>{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec}),
              (std::vector<int>{mac.year, mac.month, mac.day, mac.hour, mac.minute, mac.second / 2 * 2}))
            << path;
}

}  // namespace korvane::testing
