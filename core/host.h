#pragma once
// Everything the engine asks of the user interface. The engine never draws
// and never blocks on a widget: it calls these, and each front end (the Qt
// window, the console, the scripted host of the tests) answers in its own way.
// Engine code normally goes through the wrappers in core/notices.h, which
// keep AppState and the log in step; these are the raw services.

#include <cstdint>
#include <string>

namespace korvane {

class Dialog;

enum class NoticeEnd {
    Answered,  // OK or Close
    TimedOut,  // the five-second timer closed the box
};

enum class Choice { Yes, No, Cancel };

class Host {
public:
    virtual ~Host() = default;

    // The self-closing notice box, caption "Korvane".
    virtual NoticeEnd show_notice(const std::string& text) = 0;
    // A system message box with only OK (warnings that do not close by themselves).
    virtual void show_message(const std::string& text) = 0;
    // Questions: true for OK / Yes.
    virtual bool ask_ok_cancel(const std::string& text) = 0;
    virtual bool ask_yes_no(const std::string& text) = 0;
    virtual Choice ask_yes_no_cancel(const std::string& text) = 0;

    // The status line changed (texts are in AppState); repaint it now.
    virtual void status_changed(const std::string& left, const std::string& right) = 0;
    // Draw the progress bar now. total is never 0.
    virtual void show_progress(std::uint32_t remaining, std::uint32_t total) = 0;
    // Advance the busy cursor; true when a user event is waiting.
    virtual bool busy_tick() = 0;
    // Consume one pending key; true only for Esc when the user confirms the abort.
    virtual bool escape_requested() = 0;
    virtual void beep() = 0;

    // Run a dialog the engine needs an answer from; returns its end value.
    virtual int run_dialog(Dialog& dialog) = 0;
    // Open the help window at a key ("dlg_QUIT") or, with an empty key, the index.
    virtual void show_help(const std::string& key) = 0;

    // Repaint the listing and clear the status texts (a dialog was moved).
    virtual void repaint_after_move() = 0;
    // Row 255: the whole client area; otherwise the band of that listing row.
    virtual void invalidate_listing(int row) = 0;
};

}  // namespace korvane
