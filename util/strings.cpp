#include "util/strings.h"

namespace korvane {

bool strip_leading_spaces(std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t count = first == std::string::npos ? text.size() : first;
    text.erase(0, count);
    return count > 0;
}

void trim_trailing_spaces(std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
}

void to_upper_latin(std::string& text) {
    for (char& c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE)) c = static_cast<char>(byte - 0x20);
    }
}

void to_lower_latin(std::string& text) {
    for (char& c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE)) c = static_cast<char>(byte + 0x20);
    }
}

void set_extension(std::string& name, std::string_view ext) {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot + 4 >= name.size()) {
        name.erase(dot + 1);
    } else {
        name.push_back('.');
    }
    for (char c : ext.substr(0, 3)) name.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c);
}

void set_numbered_extension(std::string& name, std::uint16_t number) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    const char ext[3] = {kDigits[(number >> 10) & 31], kDigits[(number >> 5) & 31], kDigits[number & 31]};
    set_extension(name, std::string_view(ext, 3));
}

}  // namespace korvane
