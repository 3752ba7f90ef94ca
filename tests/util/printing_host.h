#pragma once
// A scripted host that also writes each notice to standard error as
// "notice[text]", where a death test can match it after the process ends.

#include <cstdio>
#include <string>

#include "tests/support/scripted_host.h"

namespace korvane::testing {

struct PrintingHost : ScriptedHost {
    NoticeEnd show_notice(const std::string& text) override {
        std::fprintf(stderr, "notice[%s]\n", text.c_str());
        return ScriptedHost::show_notice(text);
    }
};

}  // namespace korvane::testing
