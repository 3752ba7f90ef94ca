#include "tests/support/scripted_host.h"

namespace korvane::testing {

NoticeEnd ScriptedHost::show_notice(const std::string& text) {
    notices.push_back(text);
    return notices_time_out ? NoticeEnd::TimedOut : NoticeEnd::Answered;
}

void ScriptedHost::show_message(const std::string& text) { messages.push_back(text); }

bool ScriptedHost::next_answer() {
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedHost::ask_ok_cancel(const std::string& text) {
    questions.push_back(text);
    return next_answer();
}

bool ScriptedHost::ask_yes_no(const std::string& text) {
    questions.push_back(text);
    return next_answer();
}

Choice ScriptedHost::ask_yes_no_cancel(const std::string& text) {
    questions.push_back(text);
    if (choices.empty()) return Choice::Cancel;
    Choice choice = choices.front();
    choices.pop_front();
    return choice;
}

void ScriptedHost::status_changed(const std::string& left, const std::string&) { statuses.push_back(left); }

void ScriptedHost::show_progress(std::uint32_t remaining, std::uint32_t total) {
    progress.emplace_back(remaining, total);
}

bool ScriptedHost::busy_tick() {
    ++busy_ticks;
    return false;
}

bool ScriptedHost::escape_requested() {
    if (escapes.empty()) return false;
    bool abort = escapes.front();
    escapes.pop_front();
    return abort;
}

void ScriptedHost::beep() { ++beeps; }

int ScriptedHost::run_dialog(Dialog& dialog) {
    dialogs.emplace_back(dialog.name());
    if (dialog_answers.empty()) return kDialogCancel;
    auto answer = std::move(dialog_answers.front());
    dialog_answers.pop_front();
    return answer(dialog);
}

void ScriptedHost::show_help(const std::string& key) { help_keys.push_back(key); }

void ScriptedHost::repaint_after_move() {}

void ScriptedHost::invalidate_listing(int) { ++listing_invalidations; }

bool ScriptedHost::showed(const std::string& text) const {
    auto contains = [&text](const std::vector<std::string>& list) {
        for (const std::string& item : list)
            if (item.find(text) != std::string::npos) return true;
        return false;
    };
    return contains(notices) || contains(messages) || contains(questions);
}

}  // namespace korvane::testing
