#pragma once
// Maps a dialog's template name ("DLG_PART", ...) to the console code that
// answers it, the console's counterpart of gui/dialog_registry.h. Each
// handler's file registers itself:
//   static const RegisterConsoleDialog reg("DLG_PART", answer_partition_dialog);

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace korvane {

class ConsoleHost;
class Dialog;

// Returns the dialog's end value (kDialogOk, kDialogCancel or its own).
using ConsoleDialogHandler = std::function<int(ConsoleHost& host, Dialog& dialog)>;

class ConsoleDialogs {
public:
    static ConsoleDialogs& instance();
    void add(std::string name, ConsoleDialogHandler handler) { handlers_[std::move(name)] = std::move(handler); }
    // Null when the console has no handler for the name.
    const ConsoleDialogHandler* find(std::string_view name) const;

private:
    std::map<std::string, ConsoleDialogHandler, std::less<>> handlers_;
};

struct RegisterConsoleDialog {
    RegisterConsoleDialog(std::string name, ConsoleDialogHandler handler) {
        ConsoleDialogs::instance().add(std::move(name), std::move(handler));
    }
};

}  // namespace korvane
