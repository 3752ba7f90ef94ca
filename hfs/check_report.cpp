#include "hfs/check_report.h"

#include "util/char_tables.h"

namespace korvane {

std::string quoted_name(std::string_view mac_name) {
    std::string shown = "\"";
    for (const char c : mac_name) {
        const std::uint8_t windows = mac_to_ansi[static_cast<std::uint8_t>(c)];
        shown += windows != 0 ? static_cast<char>(windows) : '?';
    }
    return shown + "\"";
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace korvane
