#pragma once
// Runs code that should end in a fatal error and returns the error's text,
// or "(no fatal error)" when the code returned normally.

#include <string>

#include "core/fatal_error.h"

namespace korvane::testing {

template <typename Code>
std::string fatal_text_of(Code&& code) {
    try {
        code();
    } catch (const FatalError& error) {
        return error.text();
    }
    return "(no fatal error)";
}

}  // namespace korvane::testing
