#pragma once
// The window's dialog forms, registered by their template names.

#include "core/dialog.h"

class QWidget;

namespace korvane {

using QtDialogs = DialogRegistry<QWidget*>;
using RegisterDialog = QtDialogs::Registration;

}  // namespace korvane
