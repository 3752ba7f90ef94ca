// Parses the input as one line of the command language, then runs it with
// the browsing handlers on a bus without drives (no volume is open). The parse must
// keep its arguments within their bounds.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "app/command_line.h"
#include "app/dir_command.h"
#include "core/quiet_host.h"
#include "device/image_bus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    std::uint16_t flags = 0;
    const ParsedCommand parsed = parse_command(line, flags);
    if (parsed.first.size() > kCommandArgumentMax || parsed.second.size() > kCommandArgumentMax) std::abort();
    lookup_keyword(parsed.keyword);
    keyword_of(parsed.code);

    static QuietHost host;
    // As in the program, the bus exists (with no drive on it).
    static Context& ctx = *[] {
        auto* made = new Context(host);
        made->transport = std::make_unique<ImageBus>();
        return made;
    }();
    static const CommandHandlers handlers = [] {
        CommandHandlers browse;
        add_browse_command_handlers(browse);
        return browse;
    }();
    run_command_line(ctx, handlers, line);
    return 0;
}
