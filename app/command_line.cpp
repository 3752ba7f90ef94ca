#include "app/command_line.h"

#include <cctype>
#include <utility>
#include <vector>

#include "app/browse_commands.h"
#include "app/commands.h"

namespace korvane {
namespace {

void apply_command_switch(char letter, std::uint16_t& flags) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'A':
            flags |= kListingExtended | kListingSignature;
            break;
        case 'B':
            flags = (flags & ~kCopyModeMask) | kCopyMacBinary;
            break;
        case 'D':
            flags = (flags & ~kCopyModeMask) | kCopyDataFork;
            break;
        case 'E':
            flags = (flags & ~kListingSignature) | kListingExtended;
            break;
        case 'F':
            flags |= kFilesOnly;
            break;
        case 'R':
            flags = (flags & ~kCopyModeMask) | kCopyResourceFork;
            break;
        case 'S':
            flags &= ~(kListingExtended | kListingSignature);
            break;
        default:
            break;
    }
}

bool is_keyword_char(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '?'; }

}  // namespace

CommandCode lookup_keyword(std::string_view word) {
    const CommandRow* row = row_for_keyword(word);
    return row == nullptr ? CommandCode::None : row->code;
}

std::string_view keyword_of(CommandCode code) {
    const CommandRow* row = row_for_code(code);
    return row == nullptr ? std::string_view() : row->keyword;
}

ParsedCommand parse_command(std::string_view line, std::uint16_t& option_flags) {
    ParsedCommand parsed;
    std::size_t pos = line.find_first_not_of(' ');
    if (pos == std::string_view::npos) return parsed;
    std::size_t word_end = pos;
    while (word_end < line.size() && is_keyword_char(line[word_end])) ++word_end;
    if (word_end == pos) return parsed;
    parsed.keyword = std::string(line.substr(pos, word_end - pos));
    parsed.code = lookup_keyword(parsed.keyword);

    std::string* output = &parsed.first;
    auto take_argument = [&](std::string_view text) {
        if (output == nullptr) return;
        *output = std::string(text.substr(0, kCommandArgumentMax));
        output = output == &parsed.first ? &parsed.second : nullptr;
    };
    for (pos = word_end; pos < line.size();) {
        const char c = line[pos];
        if (c == ' ' || c == '\t') {
            // A tab separates like a space: it never stands for an empty argument.
            ++pos;
        } else if (c == '"') {
            const std::size_t close = line.find('"', pos + 1);
            take_argument(
                    line.substr(pos + 1, close == std::string_view::npos ? std::string_view::npos : close - pos - 1));
            if (close == std::string_view::npos) break;
            pos = close + 1;
        } else if (c == '/' || c == '-') {
            if (pos + 1 < line.size()) {
                apply_command_switch(line[pos + 1], option_flags);
                parsed.switches += static_cast<char>(std::toupper(static_cast<unsigned char>(line[pos + 1])));
            }
            pos += 2;
        } else if (c == '.') {
            if (parsed.code == CommandCode::Cd) parsed.code = CommandCode::CdParent;
            ++pos;
        } else if (c == '\\') {
            if (parsed.code == CommandCode::Cd) parsed.code = CommandCode::CdRoot;
            ++pos;
        } else {
            std::size_t end = line.find_first_of(" \t", pos);
            if (end == std::string_view::npos) end = line.size();
            take_argument(line.substr(pos, end - pos));
            pos = end;
        }
    }
    return parsed;
}

const CommandHandler* CommandHandlers::find(CommandCode code) const {
    auto found = handlers_.find(code);
    return found == handlers_.end() ? nullptr : &found->second;
}

LineOutcome run_command_line(Context& ctx, const CommandHandlers& handlers, std::string_view line,
                             ParsedCommand& parsed) {
    ctx.unmatched_name.clear();
    parsed = parse_command(line, ctx.state.option_flags);
    if (parsed.keyword.empty()) return LineOutcome::Empty;
    if (parsed.code == CommandCode::None) return LineOutcome::UnknownKeyword;
    const CommandRow& row = *row_for_code(parsed.code);
    if (row.does_nothing()) return LineOutcome::Executed;
    const CommandHandler* handler = handlers.find(parsed.code);
    if (handler == nullptr) return LineOutcome::NotAvailable;
    if (row.writes() && handlers.write_guard && !handlers.write_guard(ctx)) {
        ctx.outcome.failureReported = true;
        return LineOutcome::Dropped;
    }
    if (row.needs_volume() && !volume_is_open(ctx)) ctx.outcome.failureReported = true;
    (*handler)(ctx, parsed);
    return LineOutcome::Executed;
}

LineOutcome run_command_line(Context& ctx, const CommandHandlers& handlers, std::string_view line) {
    ParsedCommand parsed;
    return run_command_line(ctx, handlers, line, parsed);
}

void post_command(Context& ctx, int command) { ctx.posted_commands.push_back(command); }

bool run_posted_commands(Context& ctx) {
    bool close = false;
    // Taken first, so that no command run here changes the list being walked.
    const std::vector<int> posted = std::exchange(ctx.posted_commands, {});
    for (int command : posted) close = run_menu_command(ctx, command) == CommandOutcome::CloseWindow || close;
    return close;
}

}  // namespace korvane
