#include "transfer/type_table.h"

#include <algorithm>
#include <cctype>

namespace korvane {
namespace {

constexpr std::size_t kFirstFreeRow = 22;  // rows 23-37 (1-based) start empty
constexpr std::size_t kFreeRows = 15;
constexpr std::size_t kLineMax = 79;

bool is_blank_text(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

bool is_free(const TypeRow& row) { return is_blank_text(row.extension); }

bool is_white(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TypeTable builtin_type_table() {
    TypeTable table;
    const std::array<TypeRow, 22> known = {{
            {"TXT", "TEXT????"}, {"DOC", "WDBNMSWD"}, {"TIF", "TIFF????"}, {"WP4", "WP42SSIW"}, {"WP5", "WP50SSIW"},
            {"MW4", "WORDMACA"}, {"MW2", "MW2DMWII"}, {"XLS", "XLS5XCEL"}, {"MCW", "WDBNMSWD"}, {"FH3", "FHD3FHA3"},
            {"PM5", "ALB5ALD5"}, {"EPS", "EPSF????"}, {"QXD", "XDOCXPR3"}, {"XLS", "XLS4XCEL"}, {"CWK", "WORDBOBO"},
            {"PPT", "SLD3PPT3"}, {"EPS", "EPSPXPR3"}, {"DOC", "W6BNMSWD"}, {"CWK", "CWWPBOBO"}, {"PCT", "PICT????"},
            {"HQX", "TEXTBNHQ"}, {"DIR", "MV93MD93"},
    }};
    std::copy(known.begin(), known.end(), table.begin());
    for (std::size_t i = kFirstFreeRow; i < kFirstFreeRow + kFreeRows; ++i) table[i] = {"   ", "        "};
    table[37] = {"RAG", "R#      "};
    table[38] = {"COM", "APPL????"};
    table[39] = {"EXE", "APPL????"};
    return table;
}

std::string extension_for_type(const TypeTable& table, std::string_view type_creator) {
    std::string wanted(type_creator.substr(0, 8));
    wanted.resize(8, ' ');
    // Free rows have no extension to give, so they never match.
    for (std::size_t length : {8u, 4u, 2u}) {
        for (const TypeRow& row : table) {
            if (is_free(row)) continue;
            if (row.type_creator.compare(0, length, wanted, 0, length) == 0) return row.extension;
        }
    }
    return table[0].extension;
}

std::string type_for_extension(const TypeTable& table, std::string_view path) {
    std::string extension;
    std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && path.size() - dot - 1 <= 3) {
        for (char c : path.substr(dot + 1)) extension += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (!extension.empty()) {
        for (const TypeRow& row : table)
            if (!is_free(row) && row.extension == extension) return row.type_creator;
    }
    return "TEXT????";
}

bool apply_type_database_line(TypeTable& table, std::string_view line) {
    line = line.substr(0, std::min(line.size(), kLineMax));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') return true;

    std::size_t pos = 0;
    while (pos < line.size() && is_white(line[pos])) ++pos;
    if (pos == line.size()) return true;
    std::string extension(line.substr(pos, 3));
    pos = std::min(pos + 3, line.size());
    while (pos < line.size() && is_white(line[pos])) ++pos;

    std::size_t field = pos;
    std::size_t quote = line.find('"', pos + 1);
    if (quote != std::string_view::npos) field = quote;
    // A field cut short by the end of the line is padded with blanks; nothing
    // beyond the line is ever read.
    std::string type_creator(line.substr(std::min(field, line.size()), 8));
    type_creator.resize(8, ' ');

    auto row = std::find_if(table.begin(), table.end(),
                            [&](const TypeRow& r) { return r.extension == extension || is_free(r); });
    if (row == table.end()) return false;
    *row = {extension, type_creator};
    return true;
}

}  // namespace korvane
