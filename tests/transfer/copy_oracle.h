#pragma once
// The oracle of the end-to-end copy tests: every file of a volume as hcopy
// extracts it (raw data fork with -r, both forks and the Finder fields with
// -m), and the comparison of what korvane-cmd copied out in each copy mode.

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/context.h"
#include "hfs/mac_date.h"
#include "tests/e2e/listing_fixture.h"
#include "tests/support/scripted_host.h"
#include "transfer/dos_name.h"

namespace korvane::e2e {

struct MacFile {
    std::vector<std::string> folders;  // raw Macintosh names from the root
    std::string name;                  // raw Macintosh name
    std::string data;                  // hcopy -r
    std::string macbinary;             // hcopy -m

    std::uint32_t field32(std::size_t at) const {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(macbinary.at(at + i));
        return v;
    }
    std::uint32_t data_length() const { return field32(83); }
    std::uint32_t resource_length() const { return field32(87); }
    std::string type_creator() const { return macbinary.substr(65, 8); }
    std::string data_fork() const { return macbinary.substr(128, data_length()); }
    std::string resource() const {
        std::size_t start = 128 + (data_length() + 127) / 128 * 128;
        return macbinary.substr(start, resource_length());
    }
    std::string hfs_path() const {
        std::string path = ":";
        for (const std::string& folder : folders) path += folder + ":";
        return path + name;
    }
};

// Mounts the image (hfsutils partition number, 0 for none), walks every
// folder and extracts every file with hcopy, then unmounts.
inline std::vector<MacFile> extract_with_hcopy(const ScratchDir& dir, const std::string& image, int partition) {
    std::vector<std::string> mount = {"hmount", image};
    if (partition > 0) mount.push_back(std::to_string(partition));
    EXPECT_EQ(run_program(dir.path(), mount), 0) << image;
    std::vector<FolderListing> folders;
    walk_with_hls(dir.path(), {":", {}, {}}, folders);
    std::vector<MacFile> files;
    for (const FolderListing& folder : folders) {
        for (const std::string& line : folder.hlsLines) {
            if (line.empty() || line[0] != 'f') continue;
            MacFile file;
            parse_hls_line(line, &file.name);
            file.folders = folder.components;
            const std::string raw = dir / "hcopy.raw", bin = dir / "hcopy.bin";
            std::filesystem::remove(raw);
            std::filesystem::remove(bin);
            EXPECT_EQ(run_program(dir.path(), {"hcopy", "-r", file.hfs_path(), raw}), 0) << file.hfs_path();
            EXPECT_EQ(run_program(dir.path(), {"hcopy", "-m", file.hfs_path(), bin}), 0) << file.hfs_path();
            file.data = read_all(raw);
            file.macbinary = read_all(bin);
            if (file.macbinary.size() >= 128) files.push_back(file);
        }
    }
    run_program(dir.path(), {"humount"});
    return files;
}

// Where korvane-cmd puts each file in long-name mode, by Korvane's naming
// rules (tested on their own); files whose names clash are left out.
class PcNames {
public:
    PcNames() { ctx_.state.long_names_available = true; }
    std::string path_of(const MacFile& file) {
        std::string path;
        for (const std::string& folder : file.folders) path += pc_folder_name(ctx_, folder) + "/";
        return path + pc_file_name(ctx_, file.name, file.type_creator());
    }

private:
    testing::ScriptedHost host_;
    Context ctx_{host_};
};

enum class CopyMode { Data, Resource, MacBinary };

inline const char* copy_switch(CopyMode mode) {
    return mode == CopyMode::Data ? "/D" : mode == CopyMode::Resource ? "/R" : "/B";
}

// Copies the whole volume out with korvane-cmd in one mode and compares each
// file with hcopy's. Returns the number of PC files compared.
inline std::size_t expect_same_copies(const ScratchDir& dir, const std::string& image,
                                      const std::vector<MacFile>& files, CopyMode mode,
                                      const std::vector<std::string>& korvane_args = {}) {
    const std::string out = dir / (std::string("out") + copy_switch(mode)[1]);
    std::filesystem::create_directories(out);
    std::vector<std::string> args = {korvane_cmd(), image};
    args.insert(args.end(), korvane_args.begin(), korvane_args.end());
    args.insert(args.end(),
                {"--pc-dir", out, "-c", "OPTIONS LONG", "-c", std::string("COPY ") + copy_switch(mode) + " *"});
    EXPECT_EQ(run_program(dir.path(), args), 0);

    PcNames names;
    std::map<std::string, int> uses;
    for (const MacFile& file : files) ++uses[names.path_of(file)];
    std::size_t compared = 0;
    for (const MacFile& file : files) {
        const std::string pc = names.path_of(file);
        if (uses[pc] > 1) continue;
        const std::string where = file.hfs_path() + " -> " + pc;
        const std::string path = out + "/" + pc;
        const bool empty_fork = (mode == CopyMode::Data && file.data_length() == 0) ||
                                (mode == CopyMode::Resource && file.resource_length() == 0);
        if (empty_fork) {
            EXPECT_FALSE(std::filesystem::exists(path)) << where;
            continue;
        }
        EXPECT_TRUE(std::filesystem::exists(path)) << where;
        const std::string copied = read_all(path);
        ++compared;
        if (mode == CopyMode::Data) {
            EXPECT_EQ(copied, file.data) << where;
            // The PC file carries the Macintosh modification date to the even
            // second (the child ran with TZ=UTC); Macintosh seconds count from 1904.
            struct stat info {};
            EXPECT_EQ(stat(path.c_str(), &info), 0) << where;
            EXPECT_EQ(info.st_mtime, (std::time_t{file.field32(95)} - 2082844800) & ~std::time_t{1}) << where;
        } else if (mode == CopyMode::Resource) {
            EXPECT_EQ(copied, file.resource()) << where;
        } else {
            EXPECT_GE(copied.size(), 128u) << where;
            if (copied.size() < 128) continue;
            const std::string& theirs = file.macbinary;
            EXPECT_EQ(copied[0], 0) << where;
            EXPECT_EQ(copied.substr(1, 64), theirs.substr(1, 64)) << where << ": name";
            EXPECT_EQ(copied.substr(65, 10), theirs.substr(65, 10)) << where << ": type, creator, flags";
            EXPECT_EQ(copied[101], theirs[101]) << where << ": Finder flags, low byte";
            // hcopy leaves the window location (75-78) zero; Korvane copies the catalog's.
            EXPECT_EQ(copied.substr(83, 16), theirs.substr(83, 16)) << where << ": lengths, dates";
            EXPECT_EQ(static_cast<std::uint8_t>(copied[122]), 129) << where << ": MacBinary II";
            EXPECT_EQ(static_cast<std::uint8_t>(copied[123]), 129) << where;
            EXPECT_EQ(copied.substr(128, file.data_length()), file.data) << where << ": data fork";
            const std::size_t resource_at = 128 + (file.data_length() + 127) / 128 * 128;
            const std::size_t expected_size =
                    file.resource_length() > 0 ? resource_at + (file.resource_length() + 127) / 128 * 128 : resource_at;
            EXPECT_EQ(copied.size(), expected_size) << where;
            if (file.resource_length() > 0) {
                EXPECT_EQ(copied.substr(resource_at, file.resource_length()), file.resource()) << where;
            }
        }
    }
    return compared;
}

}  // namespace korvane::e2e
