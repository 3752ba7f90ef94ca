#include "volume/rescue_dialog.h"

#include <cstdio>

namespace korvane {

std::string RescueDialog::sector_text() const {
    char text[16];
    std::snprintf(text, sizeof text, "%05lu", static_cast<unsigned long>(progress_.sector));
    return text;
}

void RescueDialog::on_change(std::function<void()> repaint) {
    progress_.changed = [repaint = std::move(repaint)](const RescueProgress&) { repaint(); };
}

RescueResult RescueDialog::start() {
    auto changed = progress_.changed;
    progress_ = RescueProgress{};
    progress_.changed = std::move(changed);
    return rescue_scan(ctx_, progress_);
}

}  // namespace korvane
