#pragma once
// The Host of korvane-cmd: notices and (with -v) status texts go to standard
// error as "Korvane: " and the text; questions are answered by --yes / --no,
// asked on a terminal, or given the negative choice; dialogs go to the
// handlers registered in cli/console_dialogs.h.

#include <iosfwd>
#include <string>

#include "app/switches.h"
#include "core/host.h"

namespace korvane {

class ConsoleHost : public Host {
public:
    // in: where a terminal's answers come from; err: notices and questions.
    // interactive: whether in is a terminal that a person answers.
    ConsoleHost(ConsoleOptions options, std::istream& in, std::ostream& err, bool interactive);

    NoticeEnd show_notice(const std::string& text) override;
    void show_message(const std::string& text) override;
    bool ask_ok_cancel(const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    Choice ask_yes_no_cancel(const std::string& text) override;
    void status_changed(const std::string& left, const std::string& right) override;
    void show_progress(std::uint32_t remaining, std::uint32_t total) override;
    bool busy_tick() override { return false; }
    bool escape_requested() override { return false; }
    void beep() override;
    int run_dialog(Dialog& dialog) override;
    void show_help(const std::string& key) override;
    void repaint_after_move() override {}
    void invalidate_listing(int) override {}

    const ConsoleOptions& options() const { return options_; }
    std::ostream& err() { return err_; }
    // Where reports that are korvane-cmd's output (CHECK) go: the session's
    // standard output once set_output has named it, std::cout before.
    std::ostream& out();
    void set_output(std::ostream& out) { out_ = &out; }
    bool interactive() const { return interactive_ && options_.answers == AnswerMode::AskTerminal; }
    // Writes "Korvane: " and the text as one line.
    void say(const std::string& text);
    // Asks a question with the given choices ("yn", "ync"); returns the
    // letter chosen, or default_choice when no person can answer.
    char ask(const std::string& text, std::string_view choices, char default_choice);
    // Prompts on a terminal and reads one answer line; false when no person
    // can answer (--yes, --no, no terminal) or the input has ended.
    bool ask_line(const std::string& prompt, std::string& line);

private:
    ConsoleOptions options_;
    std::istream& in_;
    std::ostream& err_;
    std::ostream* out_ = nullptr;
    bool interactive_;
    std::string last_status_;
};

}  // namespace korvane
