#pragma once
// The drawing that every part of the main window shares: raised panels, text
// placed by its top-left corner (or its right edge), the status line and the
// progress bar at its right end.

#include <cstdint>

#include <QFont>
#include <QString>

#include "gui/window_geometry.h"

class QPainter;

namespace korvane::gui {

// The font of every text of the main window, and its line spacing. Its face
// and size let the widest date, length and type/creator texts of a wide
// listing fit between their column edges.
QFont list_font();
int line_height(const QFont& font);

// White top and left edge, dark grey right and bottom edge, light grey inside.
void draw_raised_panel(QPainter& painter, const QRect& rect);

// Text whose cell's top-left corner is (x, top).
void draw_text_at(QPainter& painter, int x, int top, const QString& text);
// Text whose cell's right edge is x.
void draw_text_right(QPainter& painter, int right, int top, const QString& text);
// Text in a listing column, left- or right-aligned, cut at the column's edges
// so that a long name never runs into the next column.
void draw_text_in_column(QPainter& painter, const ColumnSpan& column, int top, const QString& text,
                         Qt::AlignmentFlag alignment);
// Inverts the pixels of a rectangle (selection cells, the progress bar's done part).
void invert_rect(QPainter& painter, const QRect& rect);

void draw_status_line(QPainter& painter, const ClientGeometry& geometry, const QString& left, const QString& right);

// (total - remaining) x 100 / total in unsigned arithmetic; total is never 0.
unsigned progress_percent(std::uint32_t remaining, std::uint32_t total);
// "%02d%%": "07%", "100%".
QString progress_text(unsigned percent);
// The inverted part of the 200-pixel inside: two pixels per percent.
int progress_inverted_width(unsigned percent);
void draw_progress(QPainter& painter, const ClientGeometry& geometry, unsigned percent);

}  // namespace korvane::gui
