#include "gui/panel_painter.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

namespace korvane::gui {

QFont list_font() {
    // A condensed sans-serif face: at 13 pixels a 14-character date takes 90
    // of the 101 pixels its column has, and eight capital Ws fit the 93 of
    // the type/creator column.
    QFont font("DejaVu Sans Condensed");
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    return font;
}

int line_height(const QFont& font) {
    QFontMetrics metrics(font);
    return metrics.height() + metrics.leading();
}

void draw_raised_panel(QPainter& painter, const QRect& rect) {
    painter.fillRect(rect.adjusted(1, 1, -1, -1), Qt::lightGray);
    painter.setPen(Qt::white);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(Qt::darkGray);
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

void draw_text_at(QPainter& painter, int x, int top, const QString& text) {
    painter.drawText(x, top + painter.fontMetrics().ascent(), text);
}

void draw_text_right(QPainter& painter, int right, int top, const QString& text) {
    draw_text_at(painter, right - painter.fontMetrics().horizontalAdvance(text), top, text);
}

void draw_text_in_column(QPainter& painter, const ColumnSpan& column, int top, const QString& text,
                         Qt::AlignmentFlag alignment) {
    painter.save();
    painter.setClipRect(QRect(column.left, top, column.width(), line_height(painter.font())));
    if (alignment == Qt::AlignRight) {
        draw_text_right(painter, column.right, top, text);
    } else {
        draw_text_at(painter, column.left, top, text);
    }
    painter.restore();
}

void invert_rect(QPainter& painter, const QRect& rect) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(rect, Qt::white);
    painter.restore();
}

void draw_status_line(QPainter& painter, const ClientGeometry& geometry, const QString& left, const QString& right) {
    draw_raised_panel(painter, geometry.status_line());
    painter.setPen(Qt::black);
    draw_text_at(painter, 10, geometry.status_top() + 1, left);
    draw_text_right(painter, geometry.width - 10, geometry.status_top() + 1, right);
}

unsigned progress_percent(std::uint32_t remaining, std::uint32_t total) {
    if (total == 0) return 100;
    remaining = std::min(remaining, total);
    // 64 bits: (total - remaining) x 100 must not wrap for large transfers.
    return static_cast<unsigned>((static_cast<std::uint64_t>(total - remaining) * 100) / total);
}

QString progress_text(unsigned percent) { return QString::asprintf("%02u%%", percent); }

int progress_inverted_width(unsigned percent) { return 2 * static_cast<int>(std::min(percent, 100u)); }

void draw_progress(QPainter& painter, const ClientGeometry& geometry, unsigned percent) {
    QRect frame = geometry.progress_frame();
    painter.setPen(Qt::black);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    QRect inside = geometry.progress_inside();
    painter.fillRect(inside, Qt::lightGray);
    draw_text_at(painter, inside.left() + 90, inside.top(), progress_text(percent));
    int inverted = progress_inverted_width(percent);
    if (inverted > 0) invert_rect(painter, QRect(inside.left(), inside.top(), inverted, inside.height()));
}

}  // namespace korvane::gui
