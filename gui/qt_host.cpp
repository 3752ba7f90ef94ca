#include "gui/qt_host.h"

#include <QApplication>
#include <QMessageBox>

#include "app/context.h"
#include "core/dialog.h"
#include "core/messages.h"
#include "core/notices.h"
#include "gui/client_area.h"
#include "gui/dialog_registry.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/notice_box.h"
#include "gui/panel_painter.h"
#include "gui/text_conversion.h"

namespace korvane::gui {
namespace {

QMessageBox::StandardButton ask(QWidget* owner, const std::string& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton default_button) {
    QMessageBox box(QMessageBox::Question, qt_text(message(Msg::kNoticeCaption)), qt_text(text), buttons, owner);
    box.setDefaultButton(default_button);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

void QtHost::attach(Context& ctx, MainWindow* window) {
    ctx_ = &ctx;
    window_ = window;
}

QWidget* QtHost::owner() const { return window_; }

NoticeEnd QtHost::show_notice(const std::string& text) {
    NoticeBox box(owner(), text);
    return box.run();
}

void QtHost::show_message(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, qt_text(message(Msg::kNoticeCaption)), qt_text(text), QMessageBox::Ok,
                    owner());
    box.exec();
}

bool QtHost::ask_ok_cancel(const std::string& text) {
    return ask(owner(), text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

bool QtHost::ask_yes_no(const std::string& text) {
    return ask(owner(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

Choice QtHost::ask_yes_no_cancel(const std::string& text) {
    switch (ask(owner(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return Choice::Yes;
        case QMessageBox::No:
            return Choice::No;
        default:
            return Choice::Cancel;
    }
}

void QtHost::status_changed(const std::string&, const std::string&) {
    // The texts live in AppState; the status line is repainted at once, and
    // its panel covers a progress bar left by the work that went before (the
    // copy of a large catalog ends at 90-99 %).
    if (window_ == nullptr) return;
    ClientArea* client = window_->client();
    client->set_progress(std::nullopt);
    client->repaint(client->client_geometry().status_line());
}

void QtHost::show_progress(std::uint32_t remaining, std::uint32_t total) {
    if (window_ == nullptr) return;
    ClientArea* client = window_->client();
    client->set_progress(progress_percent(remaining, total));
    client->repaint(client->client_geometry().status_line());
}

bool QtHost::busy_tick() {
    busy_cursor_.advance();
    // Keeps the window painted; typed keys wait in the queue for the Esc check.
    QApplication::processEvents();
    return has_pending_keys();
}

bool QtHost::escape_requested() {
    QApplication::processEvents();
    if (pending_keys_.empty()) return false;
    int key = pending_keys_.front();
    pending_keys_.pop_front();
    if (key != Qt::Key_Escape) return false;
    return ask_yes_no(std::string(message(Msg::kAbortOnEsc)));
}

void QtHost::beep() { QApplication::beep(); }

int QtHost::run_dialog(Dialog& dialog) {
    const QtDialogs::Runner* runner = QtDialogs::instance().find(dialog.name());
    if (runner == nullptr) return kDialogCancel;
    return (*runner)(owner(), dialog);
}

void QtHost::show_help(const std::string& key) {
    if (!help_) help_ = std::make_unique<HelpWindow>();
    help_->open_at(key);
}

void QtHost::close_help() {
    if (help_) help_->close();
}

void QtHost::repaint_after_move() {
    if (ctx_ != nullptr) set_status(*ctx_, nullptr, nullptr);
    if (window_ != nullptr) window_->client()->update();
}

void QtHost::invalidate_listing(int row) {
    if (window_ != nullptr) window_->client()->invalidate_row(row);
}

void QtHost::command_finished() {
    busy_cursor_.restore();
    pending_keys_.clear();
}

}  // namespace korvane::gui
