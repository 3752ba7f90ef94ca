#include "gui/notice_box.h"

#include <QTimer>

#include "core/messages.h"
#include "gui/text_conversion.h"
#include "ui_dlgmess.h"

namespace korvane::gui {

NoticeBox::NoticeBox(QWidget* owner, const std::string& text) : QDialog(owner), ui_(new Ui::NoticeBox) {
    ui_->setupUi(this);
    setWindowTitle(qt_text(message(Msg::kNoticeCaption)));
    setFixedSize(size());
    ui_->text1128->setText(qt_text(text));
    connect(ui_->ok1, &QPushButton::clicked, this, [this] { done(0); });
}

NoticeBox::~NoticeBox() = default;

QString NoticeBox::text() const { return ui_->text1128->text(); }

NoticeEnd NoticeBox::run() {
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the box stays its full five seconds.
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, [this] { done(kNoticeTimedOut); });
    timer.start(kNoticeTimeoutMs);
    int result = exec();
    timer.stop();
    return result == kNoticeTimedOut ? NoticeEnd::TimedOut : NoticeEnd::Answered;
}

}  // namespace korvane::gui
