#include "gui/client_area.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "app/context.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "gui/listing_painter.h"
#include "gui/panel_painter.h"
#include "gui/text_conversion.h"

namespace korvane::gui {

ClientArea::ClientArea(Context& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), font_(list_font()), line_height_(gui::line_height(font_)) {
    setFont(font_);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::invalidate_row(int row) {
    if (row == 255) {
        update();
        return;
    }
    int top = row * line_height_ + kFirstRowTop;
    update(QRect(0, top, width(), line_height_ + 2));
}

int ClientArea::entry_at(const QPoint& point) const {
    int position = hit_test(ctx_.state, point.x(), point.y(), line_height_, width());
    return position < 0 ? -1 : ctx_.state.first_shown + position;
}

void ClientArea::paintEvent(QPaintEvent*) {
    settle_screen(ctx_);
    if (on_screen_settled) on_screen_settled();
    QPainter painter(this);
    painter.setFont(font_);
    ClientGeometry geometry = client_geometry();
    paint_listing(painter, ctx_, geometry, line_height_);
    draw_status_line(painter, geometry, qt_text(ctx_.state.status_text), qt_text(ctx_.state.status_right_text));
    if (progress_) draw_progress(painter, geometry, *progress_);
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
    int index = entry_at(event->position().toPoint());
    if (index < 0) return;
    if (event->button() == Qt::RightButton) {
        emit entry_right_clicked(index, event->globalPosition().toPoint());
    } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        emit entry_pressed(index);
    }
}

void ClientArea::mouseDoubleClickEvent(QMouseEvent* event) {
    int index = entry_at(event->position().toPoint());
    if (index >= 0) emit entry_double_clicked(index);
}

void ClientArea::wheelEvent(QWheelEvent* event) {
    // A notch is 120 eighths of a degree; fine-grained wheels and touchpads
    // send parts of it, which add up to one page.
    constexpr int kNotch = 120;
    wheel_travel_ += event->angleDelta().y();
    while (wheel_travel_ <= -kNotch) {
        wheel_travel_ += kNotch;
        emit page_requested(cmd::kNextScreen);
    }
    while (wheel_travel_ >= kNotch) {
        wheel_travel_ -= kNotch;
        emit page_requested(cmd::kPrecedingScreen);
    }
    event->accept();
}

}  // namespace korvane::gui
