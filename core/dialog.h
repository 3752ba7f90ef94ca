#pragma once
// A dialog whose answer the engine needs. The engine fills a subclass with
// what the dialog shows, hands it to Host::run_dialog, and reads the answer
// back from the same object. Each front end maps the dialog's template name
// ("DLG_PART", "DLG_SAME", ...) to its own form; the subclasses live in the
// subsystem that owns the dialog.

#include <string>
#include <string_view>

namespace korvane {

class Dialog {
public:
    virtual ~Dialog() = default;
    // The resource name of the dialog's template, e.g. "DLG_PART".
    virtual std::string_view name() const = 0;
    // The help key opened by the dialog's help button: "dlg_" + the suffix.
    virtual std::string help_key() const;
};

// Values with which every dialog ends unless its own rules say otherwise.
inline constexpr int kDialogCancel = 0;
inline constexpr int kDialogOk = 1;

}  // namespace korvane
