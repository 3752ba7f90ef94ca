#include "hfs/journal_location.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "hfs/hfs_context.h"

namespace korvane {
namespace {

std::string state_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/korvane";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/state/korvane";
}

// "/dev/disk/by-id/usb-X" becomes "dev_disk_by-id_usb-X".
std::string name_of_device(const std::string& path) {
    std::string name;
    for (char c : path) {
        if (c == '/') {
            if (!name.empty()) name += '_';
        } else {
            name += c;
        }
    }
    return name;
}

}  // namespace

std::string journal_path_for(const std::string& medium_path) {
    struct stat info {};
    const bool device = ::stat(medium_path.c_str(), &info) == 0 && (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode));
    if (!device) return medium_path + kJournalSuffix;
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(medium_path, error).string();
    return state_folder() + "/" + name_of_device(error ? medium_path : absolute) + kJournalSuffix;
}

std::string selected_drive_journal(HfsContext& ctx) {
    if (!ctx.journal.enabled || !ctx.transport || ctx.state.target_id == kNoDrive) return {};
    const std::string medium = ctx.transport->medium_path(ctx.state.host_adapter, ctx.state.target_id);
    return medium.empty() ? std::string() : journal_path_for(medium);
}

bool make_journal_folder(const std::string& journalPath) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(journalPath).parent_path(), error);
    return !error;
}

}  // namespace korvane
