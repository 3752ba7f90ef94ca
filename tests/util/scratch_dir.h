#pragma once
// A fresh directory under /tmp for one test, removed with its files, and
// the reading of a file's bytes.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace korvane::testing {

struct ScratchDir {
    ScratchDir() {
        char name[] = "/tmp/korvane-test-XXXXXX";
        path = mkdtemp(name);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// The bytes of a file, as they are on the disk.
inline std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace korvane::testing
