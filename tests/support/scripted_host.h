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
    // What was shown, in order.
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
    NoticeEnd show_notice(const std::string& text) override {
        notices.push_back(text);
        return NoticeEnd::Answered;
    }
    void show_message(const std::string& text) override { messages.push_back(text); }
    bool ask_ok_cancel(const std::string& text) override { return answer(questions, text, answers, false); }
    bool ask_yes_no(const std::string& text) override { return answer(questions, text, answers, false); }
    Choice ask_yes_no_cancel(const std::string& text) override {
        return answer(questions, text, choices, Choice::Cancel);
    }
    void status_changed(const std::string& left, const std::string&) override { statuses.push_back(left); }
    void show_progress(std::uint32_t remaining, std::uint32_t total) override {
        progress.emplace_back(remaining, total);
    }
    bool busy_tick() override {
        ++busy_ticks;
        return false;
    }
    bool escape_requested() override { return next_of(escapes, false); }
    void beep() override { ++beeps; }
    int run_dialog(Dialog& dialog) override {
        dialogs.emplace_back(dialog.name());
        return next_of(dialog_answers, std::function<int(Dialog&)>([](Dialog&) { return kDialogCancel; }))(dialog);
    }
    void show_help(const std::string& key) override { help_keys.push_back(key); }
    void repaint_after_move() override {}
    void invalidate_listing(int) override { ++listing_invalidations; }

    // True when any notice, message or question contains the text.
    bool showed(const std::string& text) const {
        for (const auto* list : {&notices, &messages, &questions})
            for (const std::string& item : *list)
                if (item.find(text) != std::string::npos) return true;
        return false;
    }

private:
    template <typename T>
    static T next_of(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) return otherwise;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
    template <typename T>
    static T answer(std::vector<std::string>& asked, const std::string& text, std::deque<T>& queue, T otherwise) {
        asked.push_back(text);
        return next_of(queue, otherwise);
    }
};

}  // namespace korvane::testing
