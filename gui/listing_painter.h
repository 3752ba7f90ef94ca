#pragma once
// Paints the client area of the main window: the three raised panels, the
// icon, the header of the open volume and one screen of the listing in the
// short, extended or signature layout, with selected cells inverted.

class QPainter;

namespace korvane {
struct Context;
}

namespace korvane::gui {

struct ClientGeometry;

// settle_screen must have run: end_shown marks the screen's end.
void paint_listing(QPainter& painter, const Context& ctx, const ClientGeometry& geometry, int line_height);

}  // namespace korvane::gui
