#pragma once
// Images as the end-to-end tests read them: whole, and through hfsutils
// working on a copy, so that the image stays as Korvane left it.

#include <algorithm>
#include <regex>
#include <string>

#include "tests/e2e/listing_fixture.h"

namespace korvane::e2e {

// A fresh copy of an image, without the undo journal of an earlier copy.
inline void copy_image(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(to + ".korvane-journal");
}

// What hfsutils reads of the volume: its name and every entry with type,
// creator and fork lengths, dates left out. Empty when it cannot read it.
// It reads a copy, so that the image stays as Korvane left it.
inline std::string hfsutils_listing(const ScratchDir& dir, const std::string& image) {
    const std::string copy = dir / "listed.img";
    copy_image(image, copy);
    std::string mounted, listed;
    if (run_program(dir.path(), {"hmount", copy}, &mounted) != 0) return {};
    if (run_program(dir.path(), {"hls", "-laR"}, &listed) != 0) return {};
    static const std::regex date(R"([A-Z][a-z]{2} [ 0-9]\d ( \d{4}|\d\d:\d\d) )");
    static const std::regex volume_dates(R"(Volume (was|has).*\n)");
    return std::regex_replace(std::regex_replace(mounted, volume_dates, ""), date, "") +
           std::regex_replace(listed, date, "");
}

// A whole file at once (an image is read hundreds of times per test).
inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

inline std::size_t count_lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

}  // namespace korvane::e2e
