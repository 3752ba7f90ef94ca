#pragma once
// Shared ground of the HFS tests: volumes made by hfsutils in a temporary
// folder, opened through the image bus exactly as the program opens them.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/image_bus.h"
#include "device/sector_io.h"
#include "util/byte_order.h"
#include "hfs/hfs_context.h"
#include "hfs/working_copies.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"

namespace korvane::testing {

// Runs an hfsutils command without a shell (names hold any byte), with HOME
// in the test's folder so that hmount's state never meets another test's.
// Returns the exit status; the output goes to outputPath when given.
inline int runTool(const std::string& home, const std::vector<std::string>& args, const std::string& outputPath = {}) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        const int out = outputPath.empty() ? open("/dev/null", O_WRONLY)
                                           : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        if (outputPath.empty()) dup2(out, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A volume made with hformat and filled with hcopy / hmkdir.
class HfsVolume {
public:
    HfsVolume(const ScratchDir& dir, const std::string& name, std::uint32_t kilobytes, const std::string& label = "Test")
        : dir_(dir.path()), image_(dir / name) {
        std::filesystem::resize_file(touch(image_), std::uint64_t{kilobytes} * 1024);
        EXPECT_EQ(tool({"hformat", "-l", label, image_}), 0);
        EXPECT_EQ(tool({"hmount", image_}), 0);
    }

    const std::string& image() const { return image_; }

    int tool(const std::vector<std::string>& args, const std::string& output = {}) const {
        return runTool(dir_, args, output);
    }

    // Copies bytes as the data fork of a new file at the HFS path (":a:b").
    void addFile(const std::string& hfsPath, const std::string& contents) {
        const std::string local = dir_ + "/payload";
        std::ofstream(local, std::ios::binary) << contents;
        EXPECT_EQ(tool({"hcopy", "-r", local, hfsPath}), 0) << hfsPath;
    }

    void addFolder(const std::string& hfsPath) { EXPECT_EQ(tool({"hmkdir", hfsPath}), 0) << hfsPath; }
    void remove(const std::string& hfsPath) { EXPECT_EQ(tool({"hdel", hfsPath}), 0) << hfsPath; }

    // Lines of an hls command's output.
    std::vector<std::string> lines(std::vector<std::string> args) const {
        const std::string out = dir_ + "/hls.out";
        EXPECT_EQ(tool(args, out), 0);
        std::ifstream in(out, std::ios::binary);
        std::vector<std::string> result;
        for (std::string line; std::getline(in, line);) result.push_back(line);
        return result;
    }

private:
    static const std::string& touch(const std::string& path) {
        std::ofstream(path, std::ios::binary);
        return path;
    }

    std::string dir_;
    std::string image_;
};

// A context on an image bus with one image attached as the selected drive,
// its volume header read and its geometry derived as discovery does.
struct OpenedVolume {
    ScriptedHost host;
    HfsContext ctx{host};
    ImageBus* bus = nullptr;

    explicit OpenedVolume(const std::string& image, std::uint32_t volumeStart = 0) {
        bus = select_single_image(ctx, image);
        installTransferRoutine(ctx, 512);
        DeviceRequest request;
        request.sector = volumeStart + 2;
        request.count = 1;
        request.buffer = ctx.mdb.bytes.data();
        EXPECT_EQ(transfer(ctx, request), 0);
        EXPECT_TRUE(deriveGeometry(ctx.mdb, volumeStart, ctx.geometry));
    }

    CatalogOpen open() { return openCatalogTree(ctx); }
};

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace korvane::testing
