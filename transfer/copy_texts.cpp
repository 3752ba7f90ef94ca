#include "transfer/copy_texts.h"

#include "core/notices.h"

namespace korvane {

std::string format_text(std::string_view text, std::string_view first, std::string_view second) {
    std::string result;
    int filled = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && filled < 2) {
            result += filled++ == 0 ? first : second;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace korvane

namespace korvane {

void report_copy_failure(CoreContext& ctx, const std::string& text) {
    ctx.outcome.failureReported = true;
    show_notice(ctx, text);
}

}  // namespace korvane
