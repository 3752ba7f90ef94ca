#include "hfs/journal_location.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "hfs/hfs_context.h"

namespace korvane {
namespace {

std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/korvane";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/state/korvane";
}

// "/dev/disk/by-id/usb-X" becomes "dev_disk_by-id_usb-X".
std::string nameOfDevice(const std::string& path) {
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

std::string journalPathFor(const std::string& mediumPath) {
    struct stat info {};
    const bool device = ::stat(mediumPath.c_str(), &info) == 0 && (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode));
    if (!device) return mediumPath + kJournalSuffix;
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(mediumPath, error).string();
    return stateFolder() + "/" + nameOfDevice(error ? mediumPath : absolute) + kJournalSuffix;
}

std::string selectedDriveJournal(HfsContext& ctx) {
    if (!ctx.journal.enabled || !ctx.transport || ctx.state.target_id == kNoDrive) return {};
    const std::string medium = ctx.transport->mediumPath(ctx.state.host_adapter, ctx.state.target_id);
    return medium.empty() ? std::string() : journalPathFor(medium);
}

bool makeJournalFolder(const std::string& journalPath) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(journalPath).parent_path(), error);
    return !error;
}

}  // namespace korvane
