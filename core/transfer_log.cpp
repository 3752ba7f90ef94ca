#include "core/transfer_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {
namespace {

// Opens without blocking (a FIFO would otherwise wait for a reader) and
// without following a final symbolic link when the file may be created or
// emptied, then insists on a regular file.
int open_regular(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int open_for_mode(const std::string& path, LogOpenMode mode) {
    switch (mode) {
        case LogOpenMode::Continue: {
            int fd = open_regular(path, O_RDWR);
            if (fd >= 0) {
                lseek(fd, 0, SEEK_END);
                return fd;
            }
            if (errno != ENOENT) return -1;
            return open_regular(path, O_RDWR | O_CREAT | O_EXCL);
        }
        case LogOpenMode::Truncate: {
            int fd = open_regular(path, O_RDWR | O_CREAT | O_NOFOLLOW);
            if (fd >= 0 && ftruncate(fd, 0) != 0) {
                ::close(fd);
                return -1;
            }
            return fd;
        }
        case LogOpenMode::Append:
            return open_regular(path, O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW);
    }
    return -1;
}

}  // namespace

TransferLog::~TransferLog() { close_file(); }

bool TransferLog::open(const std::string& path, LogOpenMode mode) {
    close_file();
    if (path.empty()) return false;
    int fd = open_for_mode(path, mode);
    if (fd < 0) return false;
    file_ = fdopen(fd, mode == LogOpenMode::Append ? "a+b" : "r+b");
    if (file_ == nullptr) {
        ::close(fd);
        return false;
    }
    if (mode == LogOpenMode::Continue) std::fseek(file_, 0, SEEK_END);
    return true;
}

void TransferLog::write(std::string_view bytes) {
    if (file_ == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
}

void TransferLog::close_file() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace korvane
