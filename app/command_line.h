#pragma once
// Korvane's DOS-like command language: a keyword (abbreviations accepted), up
// to two arguments and option switches. The keywords and what they are like
// come from the command table (app/command_table.h). Parsing applies the
// switches to option_flags; execution looks the keyword's code up in a table
// of handlers that each layer fills with its own commands
// (app/command_handlers.cpp).

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "app/command_table.h"
#include "app/context.h"

namespace korvane {

inline constexpr std::size_t kCommandArgumentMax = 79;

struct ParsedCommand {
    CommandCode code = CommandCode::None;
    std::string keyword;  // as typed
    std::string first;    // arguments keep their case; empty when absent
    std::string second;
    std::string switches;  // the letters of the switches, as typed ("/V" gives "V")
};

// The code of the first keyword of the table that begins with the word
// (upper-cased): "C" is COPY, "D" DIR, "RE" RENAME. None when nothing matches.
CommandCode lookup_keyword(std::string_view word);
// The keyword of a code as the table spells it ("CD .." for the parent).
std::string_view keyword_of(CommandCode code);

// Parses one line. Switches (/B /D /R /E /A /S /F, also with "-") change
// option_flags at once, whatever the keyword.
ParsedCommand parse_command(std::string_view line, std::uint16_t& option_flags);

using CommandHandler = std::function<void(Context&, const ParsedCommand&)>;

// The handlers of the command codes. Each layer adds its own in
// connect_command_handlers (app/command_handlers.cpp).
class CommandHandlers {
public:
    void add(CommandCode code, CommandHandler handler) { handlers_[code] = std::move(handler); }
    const CommandHandler* find(CommandCode code) const;
    // Runs before every command whose row writes to the medium and may drop
    // it. Empty: no guard (no device layer yet).
    std::function<bool(Context&)> write_guard;

private:
    std::map<CommandCode, CommandHandler> handlers_;
};

// Fills the table with every handler this build has.
void connect_command_handlers(CommandHandlers& handlers);

enum class LineOutcome {
    Empty,           // nothing but blanks (or no letter to start a keyword)
    Executed,        // the handler ran (or the keyword does nothing by design)
    Dropped,         // the write guard refused the command (a failure of the run)
    UnknownKeyword,  // no keyword matched; the switches still took effect
    NotAvailable,    // the keyword is known but this build has no handler for it
};

// Parses and executes one line with the given handlers.
LineOutcome run_command_line(Context& ctx, const CommandHandlers& handlers, std::string_view line);
// The same, returning the parsed command too.
LineOutcome run_command_line(Context& ctx, const CommandHandlers& handlers, std::string_view line,
                             ParsedCommand& parsed);

}  // namespace korvane
