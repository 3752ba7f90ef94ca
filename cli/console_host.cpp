#include "cli/console_host.h"

#include <cctype>
#include <iostream>

#include "cli/console_dialogs.h"
#include "core/dialog.h"

namespace korvane {

ConsoleHost::ConsoleHost(ConsoleOptions options, std::istream& in, std::ostream& err, bool interactive)
    : options_(std::move(options)), in_(in), err_(err), interactive_(interactive) {}

std::ostream& ConsoleHost::out() { return out_ != nullptr ? *out_ : std::cout; }

void ConsoleHost::say(const std::string& text) {
    std::string line = text;
    // One line per notice: a line break inside a notice becomes a blank.
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    err_ << "Korvane: " << line << '\n' << std::flush;
}

NoticeEnd ConsoleHost::show_notice(const std::string& text) {
    say(text);
    return NoticeEnd::Answered;
}

void ConsoleHost::show_message(const std::string& text) { say(text); }

char ConsoleHost::ask(const std::string& text, std::string_view choices, char default_choice) {
    if (options_.answers == AnswerMode::AlwaysYes) return choices.front();
    if (options_.answers == AnswerMode::AlwaysNo || !interactive_) {
        say(text);
        return default_choice;
    }
    for (;;) {
        err_ << "Korvane: " << text << " [";
        for (std::size_t i = 0; i < choices.size(); ++i) err_ << (i ? "/" : "") << choices[i];
        err_ << "] " << std::flush;
        std::string answer;
        if (!std::getline(in_, answer)) return default_choice;
        const std::size_t first = answer.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[first])));
        if (choices.find(letter) != std::string_view::npos) return letter;
    }
}

bool ConsoleHost::ask_line(const std::string& prompt, std::string& line) {
    if (!interactive()) return false;
    err_ << "Korvane: " << prompt << std::flush;
    return static_cast<bool>(std::getline(in_, line));
}

bool ConsoleHost::ask_ok_cancel(const std::string& text) { return ask(text, "oc", 'c') == 'o'; }

bool ConsoleHost::ask_yes_no(const std::string& text) { return ask(text, "yn", 'n') == 'y'; }

Choice ConsoleHost::ask_yes_no_cancel(const std::string& text) {
    switch (ask(text, "ync", 'c')) {
        case 'y':
            return Choice::Yes;
        case 'n':
            return Choice::No;
        default:
            return Choice::Cancel;
    }
}

void ConsoleHost::status_changed(const std::string& left, const std::string& right) {
    if (!options_.verbose) return;
    std::string text = left;
    if (!right.empty()) text += (text.empty() ? "" : "  ") + right;
    if (text.empty() || text == last_status_) return;
    last_status_ = text;
    say(text);
}

void ConsoleHost::show_progress(std::uint32_t, std::uint32_t) {}

void ConsoleHost::beep() { err_ << '\a' << std::flush; }

int ConsoleHost::run_dialog(Dialog& dialog) {
    const ConsoleDialogHandler* handler = ConsoleDialogs::instance().find(dialog.name());
    if (handler == nullptr) {
        say("the dialog " + std::string(dialog.name()) + " is not available in korvane-cmd");
        return kDialogCancel;
    }
    return (*handler)(*this, dialog);
}

void ConsoleHost::show_help(const std::string& key) {
    say(key.empty() ? "help: korvane-cmd -c HELP lists the commands" : "help: see the help page at \"" + key + "\"");
}

}  // namespace korvane
