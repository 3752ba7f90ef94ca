#include "transfer/mac_name.h"

#include <cstdio>

#include "hfs/catalog_records.h"
#include "util/char_tables.h"

namespace korvane {

std::string make_mac_name(std::string_view dos_name) {
    std::string name(dos_name.substr(0, kMaxNameLength));
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
    translate_chars(name, oem_to_mac);
    return name.empty() ? "Untitled" : name;
}

std::string with_clash_suffix(std::string_view name, std::uint32_t number) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " (%03u)", static_cast<unsigned>(number));
    const std::string_view tail(suffix);
    const std::size_t kept = std::min(name.size(), kMaxNameLength - tail.size());
    return std::string(name.substr(0, kept)) + std::string(tail);
}

}  // namespace korvane
