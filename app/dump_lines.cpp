#include "app/dump_lines.h"

#include <cstdio>

#include "util/char_tables.h"

namespace korvane {
namespace {

constexpr std::size_t kHexColumn = 9;
constexpr std::size_t kSecondGroupColumn = 34;
constexpr std::size_t kCharacterColumn = 58;
constexpr std::size_t kGroupBytes = 8;

std::uint8_t character_of(std::uint8_t byte, DumpCharacters characters) {
    switch (characters) {
        case DumpCharacters::Macintosh:
            return mac_to_ansi[byte];
        case DumpCharacters::Dos:
            return oem_to_ansi[byte];
        case DumpCharacters::Windows:
            break;
    }
    return byte;
}

std::string offset_text(std::uint32_t offset, int number_base) {
    char text[16];
    std::snprintf(text, sizeof text, number_base == 16 ? "%08x" : "%08u", static_cast<unsigned>(offset));
    return text;
}

void put_hex(std::string& line, std::size_t column, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    line[column] = kDigits[byte >> 4];
    line[column + 1] = kDigits[byte & 0x0F];
}

}  // namespace

std::string dump_line(std::uint32_t offset, std::span<const std::uint8_t, kDumpLineBytes> bytes, int number_base,
                      DumpCharacters characters) {
    const std::string label = offset_text(offset, number_base);
    // A label longer than eight digits pushes the rest along rather than lose digits.
    const std::size_t shift = label.size() - 8;
    std::string line(kDumpLineWidth + shift, ' ');
    line.replace(0, label.size(), label);
    for (std::size_t i = 0; i < kDumpLineBytes; ++i) {
        const std::size_t group = i < kGroupBytes ? kHexColumn : kSecondGroupColumn;
        put_hex(line, shift + group + 3 * (i % kGroupBytes), bytes[i]);
        const std::uint8_t shown = character_of(bytes[i], characters);
        line[shift + kCharacterColumn + i] = shown == 0 ? ' ' : static_cast<char>(shown);
    }
    return line;
}

std::string shown_dump_line(std::string line) {
    for (char& c : line) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool undefined = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        if (byte < 0x20 || byte == 0x7F || undefined) c = ' ';
    }
    return line;
}

}  // namespace korvane
