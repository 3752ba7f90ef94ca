#pragma once
// Maps a dialog's template name ("DLG_PART", ...) to the Qt code that runs it.
// Each dialog's source file registers itself, so the Qt host needs no list of
// every dialog and new dialogs need no edit here.

#include <functional>
#include <map>
#include <string>
#include <string_view>

class QWidget;

namespace korvane {

class Dialog;

using DialogRunner = std::function<int(QWidget* owner, Dialog& dialog)>;

class DialogRegistry {
public:
    static DialogRegistry& instance();
    void add(std::string name, DialogRunner runner) { runners_[std::move(name)] = std::move(runner); }
    // Null when no front-end form exists for the name.
    const DialogRunner* find(std::string_view name) const;

private:
    std::map<std::string, DialogRunner, std::less<>> runners_;
};

// Registers a runner at static-initialisation time:
//   static const RegisterDialog reg("DLG_PART", run_partition_dialog);
struct RegisterDialog {
    RegisterDialog(std::string name, DialogRunner runner) {
        DialogRegistry::instance().add(std::move(name), std::move(runner));
    }
};

}  // namespace korvane
