#pragma once
// The busy cursor: twelve frames CUR_M01 to CUR_M12 shown in turn, one step
// per unit of work of a long operation.

#include <array>

#include <QCursor>

namespace korvane::gui {

class BusyCursor {
public:
    // Shows the next frame (1 to 12, then 1 again) over the whole application.
    void advance();
    // Gives the normal cursor back.
    void restore();
    int frame() const { return frame_; }

private:
    void load();

    std::array<QCursor, 12> frames_;
    bool loaded_ = false;
    bool shown_ = false;
    int frame_ = 0;
};

}  // namespace korvane::gui
