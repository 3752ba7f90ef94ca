#include "device/image_description.h"

#include <sys/stat.h>

#include <cctype>
#include <charconv>

#include "device/transport.h"

namespace korvane {
namespace {

struct KindInfo {
    std::string_view name;
    std::uint8_t type;
};

constexpr KindInfo kKinds[] = {
        {"HD", kTypeDirectAccess}, {"RE", kTypeDirectAccess}, {"MO", kTypeOpticalMemory},
        {"CD", kTypeCdRom},        {"TP", kTypeTape},
};

const KindInfo* find_kind(std::string_view name) {
    for (const KindInfo& kind : kKinds) {
        if (name.size() != kind.name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size(); ++i)
            same = same && std::toupper(static_cast<unsigned char>(name[i])) == kind.name[i];
        if (same) return &kind;
    }
    return nullptr;
}

template <typename Number>
bool parse_number(std::string_view text, Number& value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool valid_block_size(unsigned size) { return size == 512 || size == 1024 || size == 2048 || size == 4096; }

void apply_kind(const KindInfo& kind, ImageDescription& description) {
    description.kind_name = std::string(kind.name);
    description.device_type = kind.type;
}

std::string_view base_name(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string parse_bad_range(std::string_view text, ImageDescription& description) {
    BlockRange range;
    std::size_t dash = text.find('-');
    if (!parse_number(text.substr(0, dash), range.first)) return "bad block range";
    range.last = range.first;
    if (dash != std::string_view::npos && !parse_number(text.substr(dash + 1), range.last)) return "bad block range";
    if (range.last < range.first) return "bad block range";
    description.bad.push_back(range);
    return {};
}

std::string parse_option(std::string_view option, ImageDescription& description) {
    std::size_t equals = option.find('=');
    std::string_view key = option.substr(0, equals);
    std::string_view value = equals == std::string_view::npos ? std::string_view() : option.substr(equals + 1);
    if (key == "ro" && equals == std::string_view::npos) {
        description.read_only = true;
        return {};
    }
    if (key == "id") {
        unsigned id = 0;
        if (!parse_number(value, id) || id >= kMaxTargets) return "id must be 0 to 7";
        description.id = static_cast<std::uint8_t>(id);
        return {};
    }
    if (key == "type") {
        const KindInfo* kind = find_kind(value);
        if (kind == nullptr) return "type must be hd, re, mo, cd or tp";
        apply_kind(*kind, description);
        return {};
    }
    if (key == "sector") {
        unsigned size = 0;
        if (!parse_number(value, size) || !valid_block_size(size)) return "sector must be 512, 1024 or 2048";
        description.block_size = static_cast<std::uint16_t>(size);
        return {};
    }
    if (key == "bad") return parse_bad_range(value, description);
    if (key == "failwrite" || key == "killwrite") {
        std::uint32_t number = 0;
        if (!parse_number(value, number) || number == 0) return std::string(key) + " needs a number from 1";
        (key == "failwrite" ? description.failWrite : description.killWrite) = number;
        return {};
    }
    if (key == "flaky") {
        if (!parse_number(value, description.flaky)) return "flaky needs a number";
        return {};
    }
    return "unknown option \"" + std::string(option) + "\"";
}

}  // namespace

std::uint16_t block_size_of(const ImageDescription& description) {
    return description.block_size.value_or(description.device_type == kTypeCdRom ? 2048 : 512);
}

bool parse_image_name(std::string_view fileName, ImageDescription& description) {
    if (fileName.size() < 3) return false;
    const KindInfo* kind = find_kind(fileName.substr(0, 2));
    if (kind == nullptr) return false;
    std::string_view rest = fileName.substr(2);
    std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view stem = rest.substr(0, dot);
    std::size_t underscore = stem.find('_');
    std::string_view digits = stem.substr(0, underscore);
    if (digits.empty() || digits.size() > 2) return false;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    std::optional<std::uint16_t> block_size;
    if (underscore != std::string_view::npos) {
        unsigned size = 0;
        if (!parse_number(stem.substr(underscore + 1), size) || !valid_block_size(size)) return false;
        block_size = static_cast<std::uint16_t>(size);
    }
    description.id = static_cast<std::uint8_t>(digits[0] - '0');
    description.lun = digits.size() == 2 ? static_cast<std::uint8_t>(digits[1] - '0') : 0;
    description.block_size = block_size;
    apply_kind(*kind, description);
    return true;
}

std::string parse_image_description(const std::string& whole, ImageDescription& description) {
    // writelog names a file of its own: it comes last and takes the rest.
    constexpr std::string_view kWriteLog = ",writelog=";
    const std::size_t log = whole.find(kWriteLog);
    const std::string text = whole.substr(0, log);
    if (log != std::string::npos) {
        description.write_log = whole.substr(log + kWriteLog.size());
        if (description.write_log.empty()) return "writelog needs a file name";
    }
    // Options follow the first comma after the file name (directories may hold commas).
    std::size_t slash = text.rfind('/');
    std::size_t comma = text.find(',', slash == std::string::npos ? 0 : slash);
    description.path = text.substr(0, comma);
    if (description.path.empty()) return "no file name";
    parse_image_name(base_name(description.path), description);
    while (comma != std::string::npos) {
        std::size_t next = text.find(',', comma + 1);
        std::string_view option = std::string_view(text).substr(comma + 1, next - comma - 1);
        if (!option.empty()) {
            std::string problem = parse_option(option, description);
            if (!problem.empty()) return problem;
        }
        comma = next;
    }
    return {};
}

std::string check_image_argument(const std::string& text) {
    ImageDescription description;
    std::string problem = parse_image_description(text, description);
    if (!problem.empty()) return problem;
    struct stat info {};
    if (::stat(description.path.c_str(), &info) != 0) return {};
    if (S_ISDIR(info.st_mode)) return "a directory is not an image (--bus takes a folder of images)";
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return "not a file or a device";
    return {};
}

}  // namespace korvane
