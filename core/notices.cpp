#include "core/notices.h"

#include <cstdio>

namespace korvane {

void show_notice(CoreContext& ctx, const std::string& text) {
    if (ctx.host.show_notice(text) == NoticeEnd::TimedOut && ctx.log.is_open()) {
        ctx.log.write("#" + text + "\n");
    }
}

void remove_working_files(CoreContext& ctx) {
    for (const std::string& path : ctx.working_files) std::remove(path.c_str());
    ctx.working_files.clear();
}

void fatal_notice(CoreContext&, const std::string& text) { throw FatalError(text); }

void report_fatal_error(CoreContext& ctx, const FatalError& error) {
    show_notice(ctx, error.text());
    remove_working_files(ctx);
}

void set_status(CoreContext& ctx, const char* left, const char* right) {
    AppState& state = ctx.state;
    if (left == nullptr) {
        state.status_text.clear();
    } else if (*left != '\0') {
        state.status_text = std::string(left).substr(0, kStatusTextMax);
    }
    state.status_right_text = right == nullptr ? std::string() : std::string(right).substr(0, kStatusTextMax);
    ctx.host.status_changed(state.status_text, state.status_right_text);
}

void show_progress(CoreContext& ctx, std::uint32_t remaining, std::uint32_t total) {
    if (total == 0) total = 1;  // the bar divides by it
    if (remaining > total) remaining = total;
    ctx.host.show_progress(remaining, total);
}

}  // namespace korvane
