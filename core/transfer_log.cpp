#include "core/transfer_log.h"

namespace korvane {

TransferLog::~TransferLog() { close_file(); }

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
