#pragma once
// The Host of the window: notices in the self-closing box, questions in
// message boxes captioned "Korvane", the status line and progress bar of the
// main window, the twelve-frame busy cursor, Esc polling and the dialogs
// registered by the front end's forms.

#include <deque>
#include <memory>

#include "core/host.h"
#include "gui/busy_cursor.h"

class QWidget;

namespace korvane {
struct Context;
}

namespace korvane::gui {

class MainWindow;
class HelpWindow;

class QtHost : public Host {
public:
    QtHost();
    ~QtHost() override;

    // The window appears after the context: until then notices have no owner
    // and the status line is only remembered.
    void attach(Context& ctx, MainWindow* window);
    MainWindow* window() const { return window_; }

    NoticeEnd show_notice(const std::string& text) override;
    void show_message(const std::string& text) override;
    bool ask_ok_cancel(const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    Choice ask_yes_no_cancel(const std::string& text) override;
    void status_changed(const std::string& left, const std::string& right) override;
    void show_progress(std::uint32_t remaining, std::uint32_t total) override;
    bool busy_tick() override;
    bool escape_requested() override;
    void beep() override;
    int run_dialog(Dialog& dialog) override;
    void show_help(const std::string& key) override;
    void repaint_after_move() override;
    void invalidate_listing(int row) override;

    // Keys typed while a command runs wait here for escape_requested.
    void queue_key(int key) { pending_keys_.push_back(key); }
    bool has_pending_keys() const { return !pending_keys_.empty(); }
    // The end of a command: the normal cursor comes back, typed keys are dropped.
    void command_finished();
    void close_help();
    HelpWindow* help_window() const { return help_.get(); }

private:
    QWidget* owner() const;

    Context* ctx_ = nullptr;
    MainWindow* window_ = nullptr;
    BusyCursor busy_cursor_;
    std::deque<int> pending_keys_;
    std::unique_ptr<HelpWindow> help_;
};

}  // namespace korvane::gui
