#include "gui/busy_cursor.h"

#include <QGuiApplication>
#include <QPixmap>

namespace korvane::gui {

void BusyCursor::load() {
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        QPixmap frame(QString(":/cursors/CUR_M%1.xpm").arg(i + 1, 2, 10, QChar('0')));
        frames_[i] = QCursor(frame, 15, 15);
    }
    loaded_ = true;
}

void BusyCursor::advance() {
    if (!loaded_) load();
    frame_ = frame_ % 12 + 1;
    const QCursor& cursor = frames_[static_cast<std::size_t>(frame_ - 1)];
    if (shown_) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        shown_ = true;
    }
}

void BusyCursor::restore() {
    if (!shown_) return;
    QGuiApplication::restoreOverrideCursor();
    shown_ = false;
}

}  // namespace korvane::gui
