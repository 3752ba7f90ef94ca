#pragma once
// A condition from which the program cannot go on (no memory, no room for
// the working files, a PC file that cannot be opened, an unusable drive or
// catalog). The engine throws it through fatal_notice (core/notices.h) and
// never ends the process itself: the front end catches it at the top of its
// start-up and command loop, shows the text, removes the working files
// (report_fatal_error) and ends the program with status 1.
//
// It deliberately does not derive from std::exception, so that no handler
// of ordinary errors (a number that does not parse, say) can swallow it.

#include <string>
#include <utility>

namespace korvane {

class FatalError {
public:
    explicit FatalError(std::string text) : text_(std::move(text)) {}
    // The text to show, exactly as the message table has it.
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The exit status of a program ended by a fatal error.
inline constexpr int kExitFatal = 1;

}  // namespace korvane
