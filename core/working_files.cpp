#include "core/working_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "util/drives.h"
#include "util/pc_files.h"

namespace korvane {

std::string temp_directory() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && *dir != '\0' ? std::string(dir) : std::string("/tmp");
}

int create_temp_file(CoreContext& ctx, std::string& path, std::string_view prefix, std::uint64_t size_needed) {
    const std::string dir = temp_directory();
    std::string name_template = dir + "/" + std::string(prefix.substr(0, 3)) + "XXXXXX";
    std::vector<char> buffer(name_template.begin(), name_template.end());
    buffer.push_back('\0');
    // Space is tested first: a temporary directory that is missing or full
    // is reported as such, not as a file that could not be opened.
    if (!has_free_space(dir, size_needed)) fatal_notice(ctx, std::string(message(Msg::kNoTemporarySpace)));
    int fd = mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) fatal_notice(ctx, std::string(kErrorOpeningFile) + name_template);
    path = buffer.data();
    ctx.working_files.insert(path);
    return fd;
}

void remove_working_file(CoreContext& ctx, const std::string& path) {
    remove_pc_file(path);
    ctx.working_files.erase(path);
}

}  // namespace korvane
