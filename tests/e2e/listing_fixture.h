#pragma once
// Ground of the end-to-end listing tests: volumes made by hfsutils in a
// temporary folder, korvane-cmd run on them as a user runs it, and every
// folder's listing compared with what hls reports for the same folder.

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"

namespace korvane::e2e {

using korvane::testing::CmdRun;
using korvane::testing::HfsutilsVolume;
using korvane::testing::korvane_cmd;
using korvane::testing::read_all;
using korvane::testing::run_korvane_cmd;
using korvane::testing::run_program;
using korvane::testing::ScratchDir;
using korvane::testing::split_lines;

// Mac Roman to UTF-8 with the C library's own tables: an oracle independent
// of Korvane's character tables.
inline std::string mac_roman_to_utf8(const std::string& mac) {
    iconv_t cd = iconv_open("UTF-8", "MACINTOSH");
    if (cd == reinterpret_cast<iconv_t>(-1)) return mac;
    std::string in = mac, out(mac.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// One entry of a listing, as hls shows it and as Korvane shows it.
struct ListedEntry {
    bool folder = false;
    std::string name;       // UTF-8
    std::string size;       // data length (files) as the listing shows it; "<DIR>" for folders
    std::string rsrc;       // resource length; "" for folders
    std::string signature;  // type + creator, or "[valence]"
    int month = 0, day = 0;
    std::string timeOrYear;  // "HH:MM", or the last two digits of the year

    bool operator==(const ListedEntry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ListedEntry& e) {
    return out << (e.folder ? "d " : "f ") << e.name << " | " << e.size << " | " << e.rsrc << " | " << e.signature
               << " | " << e.month << "/" << e.day << " " << e.timeOrYear;
}

// A length as the listing column shows it: "k" or "M" above 9,999,999.
inline std::string listed_length(std::uint64_t n) {
    if (n <= 9999999) return std::to_string(n);
    n /= 1024;
    if (n <= 9999999) return std::to_string(n) + "k";
    return std::to_string(n / 1024) + "M";
}

inline std::string trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// Parses one line of "hls -alUN": "f  TYPE/CREA  rsrc  data Mon DD HH:MM name"
// or "d   N items  Mon DD  YYYY name".
// rawName receives the name as stored (Mac Roman).
inline ListedEntry parse_hls_line(const std::string& line, std::string* rawName = nullptr) {
    static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    ListedEntry e;
    e.folder = line[0] == 'd';
    // Type and creator stand in fixed columns: either may hold spaces.
    const std::size_t start = e.folder ? 1 : 12;
    std::istringstream in(line.substr(start));
    std::string first, second, month, when;
    in >> first >> second;  // "N items", or the resource and data lengths
    if (e.folder) {
        e.size = "<DIR>";
        e.signature = "[" + first + "]";
    } else {
        e.signature = line.substr(3, 4) + line.substr(8, 4);
        e.rsrc = listed_length(std::stoull(first));
        e.size = listed_length(std::stoull(second));
    }
    in >> month >> e.day >> when;
    e.month = static_cast<int>(kMonths.find(month) / 3 + 1);
    e.timeOrYear = when.find(':') != std::string::npos ? when : when.substr(2);
    const std::streamoff at = in.tellg();
    const std::string raw = at < 0 ? std::string() : line.substr(start + static_cast<std::size_t>(at) + 1);
    if (rawName) *rawName = raw;
    e.name = mac_roman_to_utf8(raw);
    return e;
}

// Parses one entry line of korvane-cmd's DIR: name, TAB, display text.
// recentTime says which form hls used for the date, so the two compare.
inline ListedEntry parse_korvane_line(const std::string& line, bool recentTime) {
    ListedEntry e;
    const std::size_t tab = line.find('\t');
    e.name = line.substr(0, tab);
    std::string display = tab == std::string::npos ? "" : line.substr(tab + 1);
    display.resize(56, ' ');
    e.size = trimmed(display.substr(0, 8));
    e.rsrc = trimmed(display.substr(9, 8));
    e.signature = display.substr(18, 8);
    e.folder = e.size == "<DIR>";
    if (e.folder) e.signature = trimmed(e.signature);
    const std::string modified = display.substr(42, 14);  // MM/DD/YY HH:MM
    e.month = std::atoi(modified.substr(0, 2).c_str());
    e.day = std::atoi(modified.substr(3, 2).c_str());
    e.timeOrYear = recentTime ? modified.substr(9, 5) : modified.substr(6, 2);
    return e;
}

struct FolderListing {
    std::string path;                     // hfsutils path, ":" for the root
    std::vector<std::string> components;  // names (Mac Roman) from the root
    std::vector<std::string> hlsLines;
};

// Every folder of the mounted volume, depth first, with hls's lines for it.
inline void walk_with_hls(const std::string& home, const FolderListing& folder, std::vector<FolderListing>& out) {
    FolderListing listed = folder;
    std::string text;
    EXPECT_EQ(run_program(home, {"hls", "-alUN", folder.path}, &text), 0) << folder.path;
    listed.hlsLines = split_lines(text);
    out.push_back(listed);
    for (const std::string& line : listed.hlsLines) {
        if (line.empty() || line[0] != 'd') continue;
        FolderListing child;
        std::string raw;
        parse_hls_line(line, &raw);
        child.components = folder.components;
        child.components.push_back(raw);
        child.path = folder.path + raw + ":";
        walk_with_hls(home, child, out);
    }
}

struct KorvaneFolder {
    std::vector<std::string> header;   // the four header lines
    std::vector<std::string> entries;  // entry lines ("[No file]" left out)
};

// Splits korvane-cmd's output into one listing per DIR.
inline std::vector<KorvaneFolder> split_listings(const std::string& output) {
    std::vector<KorvaneFolder> folders;
    for (const std::string& line : split_lines(output)) {
        if (line.rfind("KB free : ", 0) == 0) folders.emplace_back();
        if (folders.empty()) continue;
        KorvaneFolder& folder = folders.back();
        if (folder.header.size() < 4) {
            folder.header.push_back(line);
        } else if (line != "[No file]") {
            folder.entries.push_back(line);
        }
    }
    return folders;
}

// Lines that walk korvane-cmd through every folder: back to the root, down
// the path, DIR.
inline std::string walking_script(const std::vector<FolderListing>& folders) {
    std::string script;
    for (const FolderListing& folder : folders) {
        script += "CD \\\n";
        for (const std::string& name : folder.components) script += "CD \"" + mac_roman_to_utf8(name) + "\"\n";
        script += "DIR\n";
    }
    return script;
}

// Every folder of the volume (hfsutils partition number, 0 for none) with
// hls's lines for it.
inline std::vector<FolderListing> folders_by_hls(const ScratchDir& dir, const std::string& image, int hfsPartition) {
    std::vector<std::string> mount = {"hmount", image};
    if (hfsPartition > 0) mount.push_back(std::to_string(hfsPartition));
    EXPECT_EQ(run_program(dir.path(), mount), 0) << image;
    std::vector<FolderListing> folders;
    walk_with_hls(dir.path(), {":", {}, {}}, folders);
    run_program(dir.path(), {"humount"});
    return folders;
}

// Lists every folder with hls and with korvane-cmd (extra arguments such as
// --partition), and expects the same entries. Returns the folders compared.
inline std::size_t expect_same_listings(const ScratchDir& dir, const std::string& image, int hfsPartition,
                                        const std::vector<std::string>& korvaneArgs = {}) {
    const std::vector<FolderListing> folders = folders_by_hls(dir, image, hfsPartition);
    const std::string scriptPath = dir / "walk.txt";
    std::ofstream(scriptPath, std::ios::binary) << walking_script(folders);
    std::vector<std::string> args = {korvane_cmd(), image};
    args.insert(args.end(), korvaneArgs.begin(), korvaneArgs.end());
    std::string output;
    EXPECT_EQ(run_program(dir.path(), args, &output, scriptPath), 0);
    const std::vector<KorvaneFolder> listed = split_listings(output);
    EXPECT_EQ(listed.size(), folders.size()) << output;

    for (std::size_t f = 0; f < folders.size() && f < listed.size(); ++f) {
        const std::string where = folders[f].path;
        const std::string dir_line = folders[f].components.empty()
                                             ? " Dir: Root"
                                             : " Dir: " + mac_roman_to_utf8(folders[f].components.back());
        EXPECT_EQ(listed[f].header[3], dir_line) << where;
        std::vector<ListedEntry> expected, actual;
        for (const std::string& line : folders[f].hlsLines) {
            if (line.empty()) continue;
            expected.push_back(parse_hls_line(line));
        }
        for (std::size_t i = 0; i < listed[f].entries.size(); ++i) {
            const bool recent = i < expected.size() && expected[i].timeOrYear.find(':') != std::string::npos;
            actual.push_back(parse_korvane_line(listed[f].entries[i], recent));
        }
        // hls lists in an order of its own, not the catalog's: compare by name.
        auto byName = [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; };
        std::sort(expected.begin(), expected.end(), byName);
        std::sort(actual.begin(), actual.end(), byName);
        EXPECT_EQ(actual, expected) << where;
    }
    return folders.size();
}

}  // namespace korvane::e2e
