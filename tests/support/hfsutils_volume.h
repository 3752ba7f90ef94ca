#pragma once
// Volumes made by hfsutils, the peer HFS implementation the tests run as a
// black box (hformat, hmkdir, hcopy, hattrib, hdel, hls), in a test's
// temporary folder.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace korvane::testing {

// Runs a program without a shell (arguments hold any byte), with HOME in the
// test's folder (hfsutils keeps its current volume there, so one test's
// hmount never meets another's) and TZ=UTC, standard input from inputPath
// when given. Returns the exit status (-1 when a signal ended it); standard
// output in *out and standard error in *err when given, else dropped.
int run_program(const std::string& home, const std::vector<std::string>& args, std::string* out = nullptr,
                const std::string& inputPath = {}, std::string* err = nullptr);

inline std::string korvane_cmd() { return std::string(KORVANE_BIN_DIR) + "/korvane-cmd"; }

// How a run of korvane-cmd ended and what it wrote.
struct CmdRun {
    int status = -1;  // -1: killed
    std::string out, err;
    bool said(const std::string& text) const {
        return err.find(text) != std::string::npos || out.find(text) != std::string::npos;
    }
};

// korvane-cmd as built, run through run_program.
inline CmdRun run_korvane_cmd(const std::string& home, std::vector<std::string> args,
                              const std::string& inputPath = {}) {
    CmdRun run;
    args.insert(args.begin(), korvane_cmd());
    run.status = run_program(home, args, &run.out, inputPath, &run.err);
    return run;
}

// hfsutils on an image it mounts for one command and lets go again: what
// the command printed, or without a command what hmount said.
std::string hfsutils_read(const std::string& home, const std::string& image,
                          const std::vector<std::string>& command = {});

// A MacBinary II file holding both forks, a type, a creator and dates, as
// hcopy -m reads it onto a volume. Built here byte by byte, independently of
// Korvane's own MacBinary writer.
std::string mac_binary_file(const std::string& mac_name, const std::string& type, const std::string& creator,
                            const std::string& data, const std::string& resource, std::uint32_t created = 0xB3A1C2D0,
                            std::uint32_t modified = 0xB6F0A410);

// A volume made with hformat, which leaves it hfsutils' current volume, and
// filled through hfsutils. Unmount it before Korvane opens the image.
class HfsutilsVolume {
public:
    HfsutilsVolume(const ScratchDir& dir, const std::string& file, std::uint32_t kilobytes,
                   const std::string& label = "Test");

    const std::string& image() const { return image_; }
    int tool(const std::vector<std::string>& args, std::string* out = nullptr) const {
        return run_program(home_, args, out);
    }

    void add_folder(const std::string& hfsPath);
    // The bytes as the data fork of a new file (hcopy -r: type "????", creator "UNIX").
    void addFile(const std::string& hfsPath, const std::string& contents);
    void addFile(const std::string& hfsPath, const std::string& contents, const std::string& type,
                 const std::string& creator);
    // Many files of the given names and contents into one folder (its path
    // ends with ':') with a single hcopy, which is much faster than one each.
    void add_files(const std::string& folderPath, const std::vector<std::pair<std::string, std::string>>& files);
    // A text file as a Macintosh text editor saves it: type "TEXT", creator "ttxt".
    void add_text_file(const std::string& hfsPath, const std::string& contents) {
        addFile(hfsPath, contents, "TEXT", "ttxt");
    }
    // A file with both forks through MacBinary; hfsPath is the new file's
    // path, or the folder to hold it when it ends with ':'.
    void add_forked_file(const std::string& hfsPath, const std::string& mac_name, const std::string& type,
                         const std::string& creator, const std::string& data, const std::string& resource,
                         std::uint32_t modified = 0xB6F0A410);
    void remove(const std::string& hfsPath);
    // Scatters the free space in one-block holes: small files "s0", "s1", ...
    // in the root, a file ":filler" taking the rest, then every even small
    // file deleted. A file added next needs many extents.
    void fragment_free_space(int smallFiles);

    // The lines a command (hls, hvol, ...) prints.
    std::vector<std::string> lines(const std::vector<std::string>& args) const;

    void mount() const;
    void unmount() const;

private:
    std::string home_;
    std::string image_;
};

}  // namespace korvane::testing
