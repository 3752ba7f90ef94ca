#pragma once
// A host that shows nothing and answers every question with its negative
// choice: for benchmarks and fuzzing, where only the engine's work counts.

#include "core/host.h"

namespace korvane {

class QuietHost : public Host {
public:
    NoticeEnd show_notice(const std::string&) override { return NoticeEnd::Answered; }
    void show_message(const std::string&) override {}
    bool ask_ok_cancel(const std::string&) override { return false; }
    bool ask_yes_no(const std::string&) override { return false; }
    Choice ask_yes_no_cancel(const std::string&) override { return Choice::Cancel; }
    void status_changed(const std::string&, const std::string&) override {}
    void show_progress(std::uint32_t, std::uint32_t) override {}
    bool busy_tick() override { return false; }
    bool escape_requested() override { return false; }
    void beep() override {}
    int run_dialog(Dialog&) override { return 0; }
    void show_help(const std::string&) override {}
    void repaint_after_move() override {}
    void invalidate_listing(int) override {}
};

}  // namespace korvane
