#pragma once
// The console's answers to dialogs, registered by their template names:
//   static const RegisterConsoleDialog reg("DLG_PART", answer_partition_dialog);

#include "core/dialog.h"

namespace korvane {

class ConsoleHost;

using ConsoleDialogs = DialogRegistry<ConsoleHost&>;
using ConsoleDialogHandler = ConsoleDialogs::Runner;
using RegisterConsoleDialog = ConsoleDialogs::Registration;

}  // namespace korvane
