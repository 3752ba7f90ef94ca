#pragma once
// Where everything of the main window lies, in client coordinates: the six
// function buttons, the three raised panels, the status line and its progress
// bar, the header texts and the icon. Painting, hit testing and the tests all
// read these, so the layout is written down once.

#include <QRect>
#include <QString>

namespace korvane::gui {

// The window's fixed size; the menu bar takes the top of it, the client area the rest.
inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 425;

inline constexpr int kStatusLineHeight = 20;
inline constexpr int kButtonTop = 4;
inline constexpr int kButtonHeight = 25;
inline constexpr int kFirstButtonLeft = 12;
inline constexpr int kButtonGap = 13;
inline constexpr int kButtonPanelBottom = 34;
inline constexpr int kHeaderPanelBottom = 70;
inline constexpr int kHeaderFirstLine = 36;
inline constexpr int kHeaderSecondLine = 51;
inline constexpr int kProgressWidth = 202;  // frame included: 200 pixels inside

// 10 pixels per character of the text plus 20.
inline int button_width(const QString& text) { return 10 * static_cast<int>(text.size()) + 20; }

struct ClientGeometry {
    int width = 0;  // W
    int height = 0;

    int status_top() const { return height - kStatusLineHeight; }
    QRect button_panel() const { return QRect(0, 0, width, kButtonPanelBottom); }
    QRect header_panel() const { return QRect(0, kButtonPanelBottom, width, kHeaderPanelBottom - kButtonPanelBottom); }
    QRect listing_panel() const { return QRect(0, kHeaderPanelBottom, width, status_top() - kHeaderPanelBottom); }
    QRect status_line() const { return QRect(0, status_top(), width, height - status_top()); }
    // From W - 204 to W - 2, from status_top + 1 to status_top + 19.
    QRect progress_frame() const { return QRect(width - 204, status_top() + 1, kProgressWidth, 18); }
    QRect progress_inside() const { return progress_frame().adjusted(1, 1, -1, -1); }
    QPoint icon_position() const { return QPoint(width - 35, kHeaderFirstLine); }
};

// One column of a listing row: its text is right-aligned at right (names are
// left-aligned at left) and nothing of it is drawn outside [left, right).
struct ColumnSpan {
    int left = 0;
    int right = 0;
    int width() const { return right - left; }
};

// A number column is as wide as the step between the size and the resource
// columns of the wide listings.
inline constexpr int kNumberColumnPixels = 60;

// The columns of the extended and signature listings for a client width W.
// Each column begins where the one before it ends.
struct WideColumns {
    int width = 0;

    ColumnSpan size() const { return {width / 2 + 50 - kNumberColumnPixels, width / 2 + 50}; }
    ColumnSpan name() const { return {2, size().left}; }
    ColumnSpan resource() const { return {size().right, width / 2 + 110}; }
    ColumnSpan created() const { return {resource().right, width / 2 + 211}; }
    ColumnSpan modified() const { return {created().right, width - 8}; }
    ColumnSpan signature() const { return {created().right, width - 16}; }
};

// The two cells of a short-listing row: a name and, right-aligned, its size.
struct ShortCell {
    ColumnSpan name;
    ColumnSpan size;
};

inline ShortCell short_cell(int width, bool right_half) {
    int name_left = right_half ? width / 2 + 5 : 2;
    int size_right = right_half ? width - 6 : width / 2 - 4;
    int size_left = size_right - kNumberColumnPixels;
    return {{name_left, size_left}, {size_left, size_right}};
}

}  // namespace korvane::gui
