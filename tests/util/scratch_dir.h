#pragma once
// A fresh directory under /tmp for one test, removed with its files.

#include <stdlib.h>

#include <filesystem>
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

}  // namespace korvane::testing
