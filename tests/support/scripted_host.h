#pragma once
// A Host for tests: records everything the engine shows and answers questions
// and dialogs from queues prepared by the test. An unexpected question gets
// the negative answer and is recorded, so a test can assert on it.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/host.h"

namespace korvane::testing {

struct ScriptedHost : Host {
    // What was shown, in order. Questions are recorded as "?" + text,
    // plain message boxes as "!" + text, notices as the text itself.
    std::vector<std::string> notices;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::string> statuses;  // every left status text set
    std::vector<std::string> dialogs;   // template names of dialogs run
    std::vector<std::string> help_keys;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
    int beeps = 0;
    int busy_ticks = 0;
    int listing_invalidations = 0;

    // Answers, consumed in order; an empty queue answers No / Cancel.
    std::deque<bool> answers;
    std::deque<Choice> choices;
    std::deque<std::function<int(Dialog&)>> dialog_answers;
    // Esc presses: each busy loop poll takes one; true = the user aborts.
    std::deque<bool> escapes;
    // Notices close by themselves after five seconds when this is set.
    bool notices_time_out = false;

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

    // True when any notice, message or question contains the text.
    bool showed(const std::string& text) const;

private:
    bool next_answer();
};

}  // namespace korvane::testing
