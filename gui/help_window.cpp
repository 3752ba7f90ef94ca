#include "gui/help_window.h"

#include <QUrl>

namespace korvane::gui {

HelpWindow::HelpWindow() {
    setWindowTitle("Korvane Help");
    setOpenLinks(true);
    resize(560, 460);
    setSource(QUrl("qrc:/help/korvane.html"));
}

void HelpWindow::open_at(const std::string& key) {
    anchor_ = key.empty() ? QString("index") : QString::fromStdString(key);
    scrollToAnchor(anchor_);
    show();
    raise();
    activateWindow();
}

}  // namespace korvane::gui
