#pragma once
// The one context of a Korvane process: every record of every subsystem.
// Created by the front end at start and handed down by reference.

#include "app/menu_state.h"
#include "transfer/transfer_context.h"

namespace korvane {

struct Context : TransferContext {
    using TransferContext::TransferContext;

    // The enabled, grayed and checked states of the menus and function
    // buttons (app/menu_state.h); the window applies them after each command.
    MenuState menus;
};

}  // namespace korvane
