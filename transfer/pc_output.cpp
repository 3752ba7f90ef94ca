#include "transfer/pc_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/mac_date.h"
#include "util/pc_files.h"

namespace korvane {

bool pc_name_taken(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

int create_copy_file(TransferContext& ctx, const std::string& path) {
    // O_NOFOLLOW refuses a link; no O_TRUNC until the entry is known to be a
    // regular file, so opening a FIFO or device never empties or blocks it.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0) {
        struct stat info {};
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ftruncate(fd, 0) == 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        close(fd);
    }
    show_notice(ctx, std::string(kErrorOpeningFile) + path);
    return -1;
}

int open_output_port(TransferContext& ctx, int port) {
    const std::string& device = ctx.port_devices[static_cast<std::size_t>(port)];
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) show_notice(ctx, std::string(kErrorOpeningFile) + device);
    return fd;
}

bool write_all(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool write_zeros(int fd, std::uint64_t count) {
    static constexpr std::array<std::uint8_t, 512> kZeros{};
    while (count > 0) {
        std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, kZeros.size()));
        if (!write_all(fd, kZeros.data(), chunk)) return false;
        count -= chunk;
    }
    return true;
}

void set_pc_file_date(int fd, std::uint32_t mac_date) {
    MacDateFields fields = macDateToFields(mac_date);
    std::tm local{};
    local.tm_year = fields.year - 1900;
    local.tm_mon = fields.month - 1;
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = fields.second / 2 * 2;
    set_file_time(fd, local);
}

}  // namespace korvane
