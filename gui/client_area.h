#pragma once
// The client area of the main window under the menu bar: it paints the panels,
// the listing and the status line, and turns mouse clicks on the listing into
// entry indexes, and wheel turns into pages, for the window's handlers.

#include <functional>
#include <optional>

#include <QFont>
#include <QWidget>

#include "gui/window_geometry.h"

namespace korvane {
struct Context;
}

namespace korvane::gui {

class ClientArea : public QWidget {
    Q_OBJECT
public:
    ClientArea(Context& ctx, QWidget* parent);

    ClientGeometry client_geometry() const { return {width(), height()}; }
    int line_height() const { return line_height_; }
    const QFont& font_used() const { return font_; }

    // The progress bar stays on the status line until the status texts
    // change or the command ends.
    void set_progress(std::optional<unsigned> percent) { progress_ = percent; }
    std::optional<unsigned> progress() const { return progress_; }

    // The band of one listing row, or (255) everything.
    void invalidate_row(int row);
    // The entry index under a point, or -1.
    int entry_at(const QPoint& point) const;

    // Called after each paint fixed the screen's end (the "Next Screen" state).
    std::function<void()> on_screen_settled;

signals:
    void entry_pressed(int index);
    void entry_double_clicked(int index);
    void entry_right_clicked(int index, const QPoint& global_position);
    // The wheel turned a notch: the command of "Next Screen" or "Preceding Screen".
    void page_requested(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    Context& ctx_;
    QFont font_;
    int line_height_;
    std::optional<unsigned> progress_;
    int wheel_travel_ = 0;  // eighths of a degree not yet turned into a page
};

}  // namespace korvane::gui
