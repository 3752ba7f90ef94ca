#include "gui/listing_painter.h"

#include <algorithm>
#include <string>
#include <string_view>

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

void paint_panels(QPainter& painter, const ClientGeometry& geometry) {
    draw_raised_panel(painter, geometry.button_panel());
    draw_raised_panel(painter, geometry.header_panel());
    draw_raised_panel(painter, geometry.listing_panel());
    painter.drawPixmap(geometry.icon_position(), QPixmap(":/icons/korvane.xpm"));
}

void paint_header(QPainter& painter, const Context& ctx, const ClientGeometry& geometry) {
    ListingHeader header = listing_header(ctx);
    int middle = geometry.width / 2 + 9;
    draw_text_at(painter, 10, kHeaderFirstLine, qt_text(header.free));
    draw_text_at(painter, middle, kHeaderFirstLine, qt_text(header.used));
    draw_text_at(painter, 10, kHeaderSecondLine, qt_text(header.volume));
    draw_text_at(painter, middle, kHeaderSecondLine, qt_text(header.directory));
}

// A column as stored: fixed width, blanks included; a NUL shows as a blank.
QString column_text(std::string_view stored) {
    std::string text(stored);
    std::replace(text.begin(), text.end(), '\0', ' ');
    return qt_text(text);
}

void paint_wide_row(QPainter& painter, const ListingEntry& entry, bool signature, int top, int width) {
    WideColumns columns{width};
    draw_text_in_column(painter, columns.name(), top, mac_name_text(entry.name()), Qt::AlignLeft);
    draw_text_in_column(painter, columns.size(), top, column_text(entry.size_column()), Qt::AlignRight);
    draw_text_in_column(painter, columns.resource(), top, column_text(entry.resource_column()), Qt::AlignRight);
    draw_text_in_column(painter, columns.created(), top, column_text(entry.created_column()), Qt::AlignRight);
    if (signature) {
        draw_text_in_column(painter, columns.signature(), top, column_text(entry.signature_column()), Qt::AlignRight);
    } else {
        draw_text_in_column(painter, columns.modified(), top, column_text(entry.modified_column()), Qt::AlignRight);
    }
}

void paint_short_cell(QPainter& painter, const ListingEntry& entry, int top, const ShortCell& cell) {
    draw_text_in_column(painter, cell.name, top, mac_name_text(entry.name()), Qt::AlignLeft);
    draw_text_in_column(painter, cell.size, top, column_text(entry.size_column()), Qt::AlignRight);
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
    ListingLayout layout = listing_layout(state.option_flags);
    bool wide = layout != ListingLayout::Short;
    bool signature = layout == ListingLayout::Signature;
    std::size_t end = std::min<std::size_t>(state.end_shown, state.entries.size());
    for (std::size_t index = state.first_shown; index < end; ++index) {
        int position = static_cast<int>(index - state.first_shown);
        int top = kFirstRowTop + (wide ? position : position / 2) * line_height;
        const ListingEntry& entry = state.entries[index];
        if (wide) {
            paint_wide_row(painter, entry, signature, top, width);
        } else {
            paint_short_cell(painter, entry, top, short_cell(width, position % 2 == 1));
        }
    }
    for (std::size_t index = state.first_shown; index < state.end_shown; ++index) {
        if (is_selected(state, index))
            invert_rect(painter,
                        selection_cell(state, static_cast<int>(index - state.first_shown), width, line_height));
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
        draw_text_at(painter, 200, 100, qt_text(message(Msg::kNoFile)));
        return;
    }
    paint_entries(painter, state, geometry.width, line_height);
}

}  // namespace korvane::gui
