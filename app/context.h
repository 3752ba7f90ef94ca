#pragma once
// The one context of a Korvane process: every record of every subsystem.
// Created by the front end at start and handed down by reference.

#include "transfer/transfer_context.h"

namespace korvane {

struct Context : TransferContext {
    using TransferContext::TransferContext;
};

}  // namespace korvane
