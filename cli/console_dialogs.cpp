#include "cli/console_dialogs.h"

namespace korvane {

ConsoleDialogs& ConsoleDialogs::instance() {
    static ConsoleDialogs registry;
    return registry;
}

const ConsoleDialogHandler* ConsoleDialogs::find(std::string_view name) const {
    auto found = handlers_.find(name);
    return found == handlers_.end() ? nullptr : &found->second;
}

}  // namespace korvane
