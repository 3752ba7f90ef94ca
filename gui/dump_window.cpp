#include "gui/dump_window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>

#include "app/dump_command.h"
#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"

namespace korvane::gui {

namespace {

constexpr int kFontPixels = 11;
constexpr int kLinesPerBlock = 8;
constexpr int kRows = kDumpScreenLines + kDumpScreenLines / kLinesPerBlock - 1;

bool can_be_checked(int command) {
    return command != dump_cmd::kFileParameter && command != dump_cmd::kBackToMainScreen;
}

}  // namespace

// The client area: the lines painted with the dump font on light grey.
class DumpText : public QWidget {
public:
    DumpText(QWidget* parent, const DumpState& state) : QWidget(parent), state_(state) {
        QFont font("Courier");
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        font.setPixelSize(kFontPixels);
        setFont(font);
    }
    // The font's height and leading less 2, as the window was drawn for;
    // the metrics of the fonts found here may be taller, and the 32 lines
    // and three empty rows must still fit the window.
    int line_height() const {
        const QFontMetrics metrics(font());
        return std::max(1, std::min(metrics.height() + metrics.leading() - 2, height() / kRows));
    }

protected:
    void paintEvent(QPaintEvent*) override { paint_dump(); }

private:
    void paint_dump() {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::lightGray);
        painter.setPen(Qt::black);
        const int ascent = QFontMetrics(font()).ascent();
        const std::vector<std::string> lines = state_.screen_lines();
        // An empty row after every eighth line: four blocks of 128 bytes.
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int row = static_cast<int>(i + i / kLinesPerBlock);
            painter.drawText(QPoint(0, row * line_height() + ascent), qt_text(shown_dump_line(lines[i])));
        }
    }

    const DumpState& state_;
};

DumpWindow::DumpWindow(QWidget* owner, DumpState& state) : QDialog(owner), state_(state) {
    setObjectName("filedump");
    // Caption, system menu and minimise box; no sizing border.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    text_ = new DumpText(this, state_);
    scroll_bar_ = new QScrollBar(Qt::Vertical, this);
    layout->addWidget(text_, 1);
    layout->addWidget(scroll_bar_);
    build_menus();
    connect(scroll_bar_, &QScrollBar::actionTriggered, this, &DumpWindow::scroll_bar_action);
    connect(scroll_bar_, &QScrollBar::sliderReleased, this,
            [this] { scroll(DumpScroll::ThumbReleased, static_cast<std::uint32_t>(scroll_bar_->sliderPosition())); });
    setFixedSize(kWidth, kHeight);
    move(0, 0);
    show_state();
}

void DumpWindow::build_menus() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    for (const DumpMenu& menu_def : dump_menu_layout()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(menu_def.title.data(), static_cast<int>(menu_def.title.size())));
        for (const DumpMenuItem& item : menu_def.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text.data(), static_cast<int>(item.text.size())));
            action->setCheckable(can_be_checked(item.command));
            const int command = item.command;
            connect(action, &QAction::triggered, this, [this, command] { run(command); });
            actions_[command] = action;
        }
    }
}

QAction* DumpWindow::action(int command) const {
    auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

QWidget* DumpWindow::text_area() const { return text_; }

int DumpWindow::line_height() const { return text_->line_height(); }

void DumpWindow::run(int command) {
    if (!state_.run_command(command)) {
        accept();
        return;
    }
    show_state();
}

void DumpWindow::scroll(DumpScroll request, std::uint32_t thumb) {
    state_.scroll(request, thumb);
    show_state();
}

void DumpWindow::scroll_bar_action(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            state_.scroll(DumpScroll::LineDown);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            state_.scroll(DumpScroll::LineUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            state_.scroll(DumpScroll::PageDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            state_.scroll(DumpScroll::PageUp);
            break;
        case QAbstractSlider::SliderToMinimum:
            state_.scroll(DumpScroll::Top);
            break;
        case QAbstractSlider::SliderToMaximum:
            state_.scroll(DumpScroll::Bottom);
            break;
        case QAbstractSlider::SliderMove:
            // A thumb being dragged changes nothing until it is released; the wheel moves at once.
            if (scroll_bar_->isSliderDown()) return;
            state_.scroll(DumpScroll::ThumbReleased, static_cast<std::uint32_t>(scroll_bar_->sliderPosition()));
            break;
        default:
            return;
    }
    {
        // The scroll bar takes the position the request gave, not the one of
        // its own step, without taking that for a move of its own.
        const QSignalBlocker quiet(scroll_bar_);
        scroll_bar_->setSliderPosition(static_cast<int>(state_.thumb()));
    }
    show_state();
}

void DumpWindow::keyPressEvent(QKeyEvent* event) {
    static const std::map<int, DumpKey> kKeys = {{Qt::Key_Home, DumpKey::Home},         {Qt::Key_End, DumpKey::End},
                                                 {Qt::Key_PageUp, DumpKey::PageUp},     {Qt::Key_Up, DumpKey::Up},
                                                 {Qt::Key_PageDown, DumpKey::PageDown}, {Qt::Key_Down, DumpKey::Down}};
    auto found = kKeys.find(event->key());
    if (found == kKeys.end()) return QDialog::keyPressEvent(event);
    scroll(scroll_for_key(found->second));
}

void DumpWindow::show_state() {
    setWindowTitle(qt_text(state_.title()));
    for (auto& [command, action] : actions_) {
        action->setEnabled(state_.item_enabled(command));
        if (action->isCheckable()) action->setChecked(state_.item_checked(command));
    }
    const QSignalBlocker quiet(scroll_bar_);
    scroll_bar_->setRange(0, static_cast<int>(state_.scroll_max()));
    scroll_bar_->setValue(static_cast<int>(state_.thumb()));
    text_->update();
}

namespace {

int run_dump_window(QWidget* owner, Dialog& dialog) {
    DumpWindow window(owner, static_cast<DumpWindowDialog&>(dialog).state);
    window.exec();
    return kDialogOk;
}

const RegisterDialog kDumpWindow("filedump", run_dump_window);

}  // namespace
}  // namespace korvane::gui
