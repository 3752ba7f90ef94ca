#include "transfer/pc_browser.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/messages.h"
#include "core/notices.h"
#include "util/drives.h"
#include "util/pc_directory.h"

namespace korvane {
namespace {

// Start of the UTF-8 character that holds byte i.
std::size_t character_start(std::string_view text, std::size_t i) {
    while (i > 0 && i < text.size() && (static_cast<std::uint8_t>(text[i]) & 0xC0) == 0x80) ++i;
    return i;
}

// Positions of every '/' in the path.
std::vector<std::size_t> separators(std::string_view path) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == '/') found.push_back(i);
    return found;
}

std::string tail_that_fits(std::string_view path) {
    std::size_t start = character_start(path, path.size() - (kShownPathMax - 3));
    return "..." + std::string(path.substr(start));
}

std::string with_final_slash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string without_brackets(std::string_view entry) {
    if (entry.size() >= 2 && entry.front() == '[' && entry.back() == ']') entry = entry.substr(1, entry.size() - 2);
    return std::string(entry);
}

void refresh(PcBrowser& browser) {
    browser.path = with_final_slash(current_directory());
    browser.shown_path = show_path(browser.path);
    fill_lists(browser);
}

bool is_directory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string show_path(std::string_view path) {
    if (path.size() <= kShownPathMax) return std::string(path);
    // Root and first directory end at the second separator; the second
    // directory ends at the third, the third at the fourth.
    std::vector<std::size_t> seps = separators(path);
    if (seps.size() < 4) return tail_that_fits(path);
    std::string_view head = path.substr(0, seps[1] + 1);
    std::size_t second_length = seps[2] - seps[1];
    std::size_t from = path.size() - second_length > kShownPathMax && seps.size() > 4 ? seps[3] : seps[2];
    std::string shown = std::string(head) + "..." + std::string(path.substr(from));
    return shown.size() <= kShownPathMax ? shown : tail_that_fits(path);
}

std::string files_pattern(std::string_view mask) { return mask == "*.*" || mask.empty() ? "*" : std::string(mask); }

void fill_lists(PcBrowser& browser) {
    browser.directories.clear();
    browser.files.clear();
    browser.files_size = 0;
    const std::string mask = files_pattern(browser.mask);
    if (DIR* dir = opendir(".")) {
        while (const dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name == ".") continue;
            struct stat info {};
            if (stat(name.c_str(), &info) != 0) continue;
            if (S_ISDIR(info.st_mode)) {
                if (name != ".." || browser.path != "/") browser.directories.push_back("[" + name + "]");
            } else if (S_ISREG(info.st_mode) && fnmatch(mask.c_str(), name.c_str(), 0) == 0) {
                browser.files.push_back(name);
                browser.files_size += static_cast<std::uint64_t>(info.st_size);
            }
        }
        closedir(dir);
    }
    std::sort(browser.directories.begin(), browser.directories.end());
    std::sort(browser.files.begin(), browser.files.end());
    browser.drives = drive_choices();
}

void open_browser(TransferContext& ctx, PcBrowser& browser) {
    ctx.state.long_names_available = drive_has_long_names();
    refresh(browser);
}

int change_pc_dir(TransferContext& ctx, PcBrowser& browser, std::string_view entry) {
    std::string target = without_brackets(entry);
    const bool drive = !target.empty() && target.front() == '/';
    if (target.empty() || !is_directory(target) || !change_directory(target)) {
        if (drive) show_notice(ctx, std::string(message(Msg::kErrorChangingDrive)));
        return -1;
    }
    if (drive) ctx.state.long_names_available = drive_has_long_names();
    refresh(browser);
    return 0;
}

int go_to_drive_root(TransferContext& ctx, PcBrowser& browser) {
    std::string root = drive_of();
    return change_pc_dir(ctx, browser, root.empty() ? "/" : root);
}

int create_pc_directory(TransferContext& ctx, PcBrowser& browser, std::string_view name) {
    std::string directory(name);
    if (directory.empty() || directory.find('/') != std::string::npos) return -1;
    if (mkdir(directory.c_str(), 0777) != 0 && !is_directory(directory)) {
        show_notice(ctx, std::string(kErrorOpeningFile) + directory);
        return -1;
    }
    return change_pc_dir(ctx, browser, directory);
}

}  // namespace korvane
