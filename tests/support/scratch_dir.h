#pragma once
// A fresh directory in the temporary directory for one test, removed with its
// files, and the reading of a file's bytes.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace korvane::testing {

class ScratchDir {
public:
    ScratchDir() {
        // A test may point TMPDIR at a missing folder for the program it runs.
        std::error_code missing;
        std::filesystem::path base = std::filesystem::temp_directory_path(missing);
        if (missing) base = "/tmp";
        std::string pattern = (base / "korvane-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The bytes of a file, as they are on the disk.
inline std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The lines of a text, without their line ends.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A new file of that many zero bytes; returns its path.
inline std::string zero_file(const std::string& path, std::uint64_t bytes) {
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, bytes);
    return path;
}

// A writable copy, in the test's folder, of an image of the shared corpus of
// volumes made by other software; "" when the corpus does not hold it.
inline std::string corpus_copy(const ScratchDir& dir, const std::string& name) {
    const std::filesystem::path source = std::filesystem::path(KORVANE_CORPUS_DIR) / name;
    if (!std::filesystem::exists(source)) return {};
    const std::string copy = dir / name;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    return copy;
}

}  // namespace korvane::testing
