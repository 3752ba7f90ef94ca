#pragma once
// The transfer log: a PC text file that pairs Macintosh and PC names of the
// files copied, opened with /L or the "Log File" dialog.

#include <cstdio>
#include <string>
#include <string_view>

namespace korvane {

class TransferLog {
public:
    TransferLog() = default;
    TransferLog(const TransferLog&) = delete;
    TransferLog& operator=(const TransferLog&) = delete;
    ~TransferLog();

    bool is_open() const { return file_ != nullptr; }
    // Writes the bytes as they are (the caller chooses LF or CR LF).
    void write(std::string_view bytes);
    void close_file();
    // Takes over an already opened stream (positioned where writing goes on).
    void adopt(std::FILE* file) { close_file(); file_ = file; }

private:
    std::FILE* file_ = nullptr;
};

}  // namespace korvane
