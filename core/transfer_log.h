#pragma once
// The transfer log: a PC text file that pairs Macintosh and PC names of the
// files copied, opened with /L or the "Log File" dialog.

#include <cstdio>
#include <string>
#include <string_view>

namespace korvane {

// How a log file is opened. Every mode refuses anything but a regular file,
// so a log name never writes into a device, a FIFO or a directory.
enum class LogOpenMode {
    Continue,  // /L: an existing file is continued at its end, a missing one created
    Truncate,  // "Create": created, or emptied when it exists
    Append,    // "Open": appended to, created when missing
};

class TransferLog {
public:
    TransferLog() = default;
    TransferLog(const TransferLog&) = delete;
    TransferLog& operator=(const TransferLog&) = delete;
    ~TransferLog();

    bool is_open() const { return file_ != nullptr; }
    // Closes any open log first; false (and no log) when the file cannot be opened.
    bool open(const std::string& path, LogOpenMode mode);
    // Writes the bytes as they are (the caller chooses LF or CR LF).
    void write(std::string_view bytes);
    void close_file();
    // Takes over an already opened stream (positioned where writing goes on).
    void adopt(std::FILE* file) {
        close_file();
        file_ = file;
    }

private:
    std::FILE* file_ = nullptr;
};

}  // namespace korvane
