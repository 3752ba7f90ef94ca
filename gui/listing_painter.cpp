#include "gui/listing_painter.h"

#include <QPainter>
#include <QPixmap>

#include "app/context.h"
#include "app/listing_view.h"
#include "core/messages.h"
#include "gui/panel_painter.h"
#include "gui/text_conversion.h"
#include "gui/window_geometry.h"
#include "volume/listing_header.h"

namespace korvane::gui {
namespace {

using namespace listing_field;

void paint_panels(QPainter& painter, const ClientGeometry& geometry) {
    draw_raised_panel(painter, geometry.button_panel());
    draw_raised_panel(painter, geometry.header_panel());
    draw_raised_panel(painter, geometry.listing_panel());
    painter.drawPixmap(geometry.icon_position(), QPixmap(":/icons/korvane.xpm"));
}

void paint_header(QPainter& painter, const Context& ctx, const ClientGeometry& geometry) {
    ListingHeader header = listingHeader(ctx);
    int middle = geometry.width / 2 + 9;
    draw_text_at(painter, 10, kHeaderFirstLine, qt_text(header.free));
    draw_text_at(painter, middle, kHeaderFirstLine, qt_text(header.used));
    draw_text_at(painter, 10, kHeaderSecondLine, qt_text(header.volume));
    draw_text_at(painter, middle, kHeaderSecondLine, qt_text(header.directory));
}

QString column(const AppState& state, std::size_t index, std::size_t offset, std::size_t width) {
    return qt_text(entry_column(state, index, offset, width));
}

void paint_wide_row(QPainter& painter, const AppState& state, std::size_t index, int top, int width) {
    bool signature = listing_layout(state.option_flags) == ListingLayout::Signature;
    draw_text_at(painter, 2, top, mac_name_text(entry_name(state, index)));
    draw_text_right(painter, width / 2 + 50, top, column(state, index, kSizeColumn, kNumberColumnWidth));
    draw_text_right(painter, width / 2 + 110, top, column(state, index, kResourceColumn, kNumberColumnWidth));
    draw_text_right(painter, width / 2 + 211, top, column(state, index, kCreatedColumn, kDateColumnWidth));
    if (signature) {
        draw_text_right(painter, width - 16, top, column(state, index, kSignatureColumn, kNumberColumnWidth));
    } else {
        draw_text_right(painter, width - 8, top, column(state, index, kModifiedColumn, kDateColumnWidth));
    }
}

void paint_short_cell(QPainter& painter, const AppState& state, std::size_t index, int top, int name_x, int size_right) {
    draw_text_at(painter, name_x, top, mac_name_text(entry_name(state, index)));
    draw_text_right(painter, size_right, top, column(state, index, kSizeColumn, kNumberColumnWidth));
}

// The cell an on-screen position occupies, for inverting a selected entry.
QRect selection_cell(const AppState& state, int position, int width, int line_height) {
    bool wide = listing_layout(state.option_flags) != ListingLayout::Short;
    int row = wide ? position : position / 2;
    int top = kFirstRowTop + row * line_height;
    if (wide) return QRect(QPoint(2, top), QPoint(width - 4 - 1, top + line_height - 1));
    if (position % 2 == 0) return QRect(QPoint(2, top), QPoint(width / 2 - 4 - 1, top + line_height - 1));
    return QRect(QPoint(width / 2 + 2, top), QPoint(width - 3 - 1, top + line_height - 1));
}

void paint_entries(QPainter& painter, const AppState& state, int width, int line_height) {
    bool wide = listing_layout(state.option_flags) != ListingLayout::Short;
    for (std::size_t index = state.first_shown; index < state.end_shown; ++index) {
        int position = static_cast<int>(index - state.first_shown);
        int top = kFirstRowTop + (wide ? position : position / 2) * line_height;
        if (wide) {
            paint_wide_row(painter, state, index, top, width);
        } else if (position % 2 == 0) {
            paint_short_cell(painter, state, index, top, 2, width / 2 - 4);
        } else {
            paint_short_cell(painter, state, index, top, width / 2 + 5, width - 6);
        }
    }
    for (std::size_t index = state.first_shown; index < state.end_shown; ++index) {
        if (is_selected(state, index))
            invert_rect(painter, selection_cell(state, static_cast<int>(index - state.first_shown), width, line_height));
    }
}

}  // namespace

void paint_listing(QPainter& painter, const Context& ctx, const ClientGeometry& geometry, int line_height) {
    paint_panels(painter, geometry);
    const AppState& state = ctx.state;
    if (state.target_id == kNoDrive || state.volume_start <= 0) return;
    painter.setPen(Qt::black);
    paint_header(painter, ctx, geometry);
    if (state.entry_count() == 0) {
        draw_text_at(painter, 200, 100, qt_text(message(81)));
        return;
    }
    paint_entries(painter, state, geometry.width, line_height);
}

}  // namespace korvane::gui
