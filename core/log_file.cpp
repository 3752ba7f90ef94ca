#include "core/log_file.h"

#include <cctype>
#include <cstdio>

#include "core/messages.h"
#include "core/notices.h"

namespace korvane {

std::string log_name_from_option(std::string_view option_text, const std::string& current_name) {
    // /L:name and /L=name: one separator after the letter is skipped. A "/"
    // is kept, so that /L/var/log/mac.log names an absolute path.
    if (!option_text.empty() && !std::isalpha(static_cast<unsigned char>(option_text.front())) &&
        option_text.front() != '/') {
        option_text.remove_prefix(1);
    }
    // Any length and any path: an MS-DOS limit of 12 characters would cut a
    // Linux path silently to another file.
    return option_text.empty() ? current_name : std::string(option_text);
}

bool open_log_from_option(CoreContext& ctx, std::string_view option_text) {
    ctx.state.log_file_name = log_name_from_option(option_text, ctx.state.log_file_name);
    return ctx.log.open(ctx.state.log_file_name, LogOpenMode::Continue);
}

std::string format_log_date(bool closing, const std::tm& t) {
    char line[80];
    std::snprintf(line, sizeof line, "%c%d/%d/%d - %2d:%02d:%02d\n", closing ? '<' : '>', t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return line;
}

void write_log_date(CoreContext& ctx, bool closing, const std::tm& local_time) {
    if (ctx.log.is_open()) ctx.log.write(format_log_date(closing, local_time));
}

void write_log_date(CoreContext& ctx, bool closing) {
    std::time_t now = std::time(nullptr);
    std::tm local_time{};
    localtime_r(&now, &local_time);
    write_log_date(ctx, closing, local_time);
}

void close_log_at_exit(CoreContext& ctx) {
    write_log_date(ctx, true);
    ctx.log.close_file();
}

LogFileDialog::LogFileDialog(CoreContext& ctx) : file_field(ctx.state.log_file_name), ctx_(ctx) {}

void LogFileDialog::open_with(LogOpenMode mode) {
    ctx_.state.log_file_name = file_field;
    if (!ctx_.log.open(file_field, mode)) fatal_notice(ctx_, std::string(kErrorOpeningFile) + file_field);
}

void LogFileDialog::press_create() { open_with(LogOpenMode::Truncate); }

void LogFileDialog::press_open() { open_with(LogOpenMode::Append); }

void LogFileDialog::press_close() { ctx_.log.close_file(); }

bool run_log_file_dialog(CoreContext& ctx) {
    LogFileDialog dialog(ctx);
    ctx.host.run_dialog(dialog);
    return ctx.log.is_open();
}

}  // namespace korvane
