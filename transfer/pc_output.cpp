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
#include "transfer/copy_texts.h"
#include "util/pc_files.h"

namespace korvane {

int create_new_pc_file(const std::string& path) {
    // O_EXCL fails on anything under the name, a dangling link included.
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

int open_output_port(TransferContext& ctx, int port) {
    const std::string& device = ctx.port_devices[static_cast<std::size_t>(port)];
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) report_copy_failure(ctx, std::string(kErrorOpeningFile) + device);
    return fd;
}

bool write_all(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
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
    MacDateFields fields = mac_date_to_calendar(mac_date);
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
