#include "tests/support/hfsutils_volume.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "util/byte_order.h"

namespace korvane::testing {
namespace {

std::uint8_t* as_bytes(std::string& bytes, std::size_t at) {
    return reinterpret_cast<std::uint8_t*>(bytes.data() + at);
}

}  // namespace

int run_program(const std::string& home, const std::vector<std::string>& args, std::string* out,
                const std::string& inputPath, std::string* err) {
    const std::string outPath = home + "/program.out", errPath = home + "/program.err";
    const pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("TZ", "UTC", 1);
        const int output = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int input = open(inputPath.empty() ? "/dev/null" : inputPath.c_str(), O_RDONLY);
        const int errors =
                err ? open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : open("/dev/null", O_WRONLY);
        dup2(input, 0);
        dup2(output, 1);
        dup2(errors, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (out) *out = read_all(outPath);
    if (err) *err = read_all(errPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string hfsutils_read(const std::string& home, const std::string& image, const std::vector<std::string>& command) {
    std::string printed;
    EXPECT_EQ(run_program(home, {"hmount", image}, &printed), 0) << image;
    if (!command.empty()) {
        EXPECT_EQ(run_program(home, command, &printed), 0) << command[0];
    }
    run_program(home, {"humount"});
    return printed;
}

std::string mac_binary_file(const std::string& mac_name, const std::string& type, const std::string& creator,
                            const std::string& data, const std::string& resource, std::uint32_t created,
                            std::uint32_t modified) {
    std::string header(128, '\0');
    header[1] = static_cast<char>(mac_name.size());
    header.replace(2, mac_name.size(), mac_name);
    header.replace(65, 4, type);
    header.replace(69, 4, creator);
    auto put32 = [&header](std::size_t at, std::uint32_t v) { store_be32(as_bytes(header, at), v); };
    put32(83, static_cast<std::uint32_t>(data.size()));
    put32(87, static_cast<std::uint32_t>(resource.size()));
    put32(91, created);
    put32(95, modified);
    header[122] = header[123] = static_cast<char>(129);
    std::uint16_t crc = 0;  // CRC-CCITT of bytes 0-123
    for (int i = 0; i < 124; ++i) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(header[i]) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    header[124] = static_cast<char>(crc >> 8);
    header[125] = static_cast<char>(crc);
    auto padded = [](std::string s) {
        s.resize((s.size() + 127) / 128 * 128, '\0');
        return s;
    };
    return header + padded(data) + padded(resource);
}

HfsutilsVolume::HfsutilsVolume(const ScratchDir& dir, const std::string& file, std::uint32_t kilobytes,
                               const std::string& label)
    : home_(dir.path()), image_(dir / file) {
    zero_file(image_, std::uint64_t{kilobytes} * 1024);
    EXPECT_EQ(tool({"hformat", "-l", label, image_}), 0);
}

void HfsutilsVolume::add_folder(const std::string& hfsPath) { EXPECT_EQ(tool({"hmkdir", hfsPath}), 0) << hfsPath; }

void HfsutilsVolume::addFile(const std::string& hfsPath, const std::string& contents) {
    const std::string local = home_ + "/payload";
    std::ofstream(local, std::ios::binary) << contents;
    EXPECT_EQ(tool({"hcopy", "-r", local, hfsPath}), 0) << hfsPath;
}

void HfsutilsVolume::addFile(const std::string& hfsPath, const std::string& contents, const std::string& type,
                             const std::string& creator) {
    addFile(hfsPath, contents);
    EXPECT_EQ(tool({"hattrib", "-t", type, "-c", creator, hfsPath}), 0) << hfsPath;
}

void HfsutilsVolume::add_files(const std::string& folderPath,
                               const std::vector<std::pair<std::string, std::string>>& files) {
    const std::filesystem::path staging = home_ + "/payload-files";
    std::filesystem::remove_all(staging);
    std::filesystem::create_directory(staging);
    std::vector<std::string> args = {"hcopy", "-r"};
    for (const auto& [name, contents] : files) {
        args.push_back(staging / name);
        std::ofstream(args.back(), std::ios::binary) << contents;
    }
    args.push_back(folderPath);
    EXPECT_EQ(tool(args), 0) << folderPath;
    std::filesystem::remove_all(staging);
}

void HfsutilsVolume::add_forked_file(const std::string& hfsPath, const std::string& mac_name, const std::string& type,
                                     const std::string& creator, const std::string& data, const std::string& resource,
                                     std::uint32_t modified) {
    const std::string local = home_ + "/payload.bin";
    std::ofstream(local, std::ios::binary)
            << mac_binary_file(mac_name, type, creator, data, resource, 0xB3A1C2D0, modified);
    EXPECT_EQ(tool({"hcopy", "-m", local, hfsPath}), 0) << hfsPath;
}

void HfsutilsVolume::remove(const std::string& hfsPath) { EXPECT_EQ(tool({"hdel", hfsPath}), 0) << hfsPath; }

std::vector<std::string> HfsutilsVolume::lines(const std::vector<std::string>& args) const {
    std::string text;
    EXPECT_EQ(tool(args, &text), 0);
    return split_lines(text);
}

void HfsutilsVolume::fragment_free_space(int smallFiles) {
    std::vector<std::pair<std::string, std::string>> smalls;
    for (int i = 0; i < smallFiles; ++i) smalls.emplace_back("s" + std::to_string(i), "s");
    add_files(":", smalls);
    unmount();
    std::string header = read_all(image_);
    const std::uint32_t free_blocks = load_be16(as_bytes(header, 1024 + 0x22));  // drFreeBks
    const std::uint32_t block_size = load_be32(as_bytes(header, 1024 + 0x14));   // drAlBlkSiz
    mount();
    addFile(":filler", std::string(free_blocks * block_size, 'f'));
    for (int i = 0; i < smallFiles; i += 2) remove(":s" + std::to_string(i));
}

void HfsutilsVolume::mount() const { EXPECT_EQ(tool({"hmount", image_}), 0) << image_; }

void HfsutilsVolume::unmount() const { tool({"humount"}); }

}  // namespace korvane::testing
