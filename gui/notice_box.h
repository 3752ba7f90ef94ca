#pragma once
// DLGMESS, the notice box: the text in a black frame, the program icon and an
// OK button, caption "Korvane". It closes by itself after five seconds.

#include <memory>
#include <string>

#include <QDialog>

#include "core/host.h"

namespace Ui {
class NoticeBox;
}

namespace korvane::gui {

inline constexpr int kNoticeTimeoutMs = 5000;
// The box's end value when its timer closed it.
inline constexpr int kNoticeTimedOut = -1;

class NoticeBox : public QDialog {
    Q_OBJECT
public:
    NoticeBox(QWidget* owner, const std::string& text);
    ~NoticeBox() override;
    // Runs the box modally until OK, Close or the timer.
    NoticeEnd run();
    QString text() const;

private:
    std::unique_ptr<Ui::NoticeBox> ui_;
};

}  // namespace korvane::gui
