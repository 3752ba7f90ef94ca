#pragma once
// The dump window (class filedump): 615 x 435 at the top left, its menu
// FILEDUMP, a vertical scroll bar and 32 lines of the fork in four blocks of
// eight on light grey. It shows a DumpState (app/dump_state.h) and hands it
// every command, scroll request and key; it is modal, so the main window
// receives nothing while it is open.

#include <map>

#include <QDialog>

#include "app/dump_state.h"

class QAction;
class QScrollBar;

namespace korvane::gui {

class DumpText;

class DumpWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 615;
    static constexpr int kHeight = 435;

    DumpWindow(QWidget* owner, DumpState& state);

    QAction* action(int command) const;
    QScrollBar* scroll_bar() const { return scroll_bar_; }
    QWidget* text_area() const;
    // The spacing of the lines: the font's height and leading less 2, or
    // less when the window could not hold the 35 rows.
    int line_height() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build_menus();
    void run(int command);
    void scroll(DumpScroll request, std::uint32_t thumb = 0);
    void scroll_bar_action(int action);
    // Menus, title and scroll bar as the state has them, and a repaint.
    void show_state();

    DumpState& state_;
    DumpText* text_ = nullptr;
    QScrollBar* scroll_bar_ = nullptr;
    std::map<int, QAction*> actions_;
};

}  // namespace korvane::gui
