#pragma once
// The one context of a Korvane process: every record of every subsystem.
// Created by the front end at start and handed down by reference.

#include <string>
#include <vector>

#include "app/menu_state.h"
#include "transfer/transfer_context.h"

namespace korvane {

struct Context : TransferContext {
    using TransferContext::TransferContext;

    // The enabled, grayed and checked states of the menus and function
    // buttons (app/menu_state.h); the window applies them after each command.
    MenuState menus;

    // Set by COPY, CD and DIR of the command language when the name typed
    // matched no entry of the current folder of an open volume: korvane-cmd
    // says so and counts it as a failure, the window keeps silent. Cleared
    // when the next line starts.
    std::string unmatched_name;

    // Menu commands that a line of the command language posted: they run,
    // in the order posted, after the line (and its dialog) has finished.
    std::vector<int> posted_commands;

    // The name typed at the last format of this run: the next one's preset.
    std::string last_format_name;
};

}  // namespace korvane
