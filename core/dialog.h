#pragma once
// A dialog whose answer the engine needs. The engine fills a subclass with
// what the dialog shows, hands it to Host::run_dialog, and reads the answer
// back from the same object. Each front end maps the dialog's template name
// ("DLG_PART", "DLG_SAME", ...) to its own form; the subclasses live in the
// subsystem that owns the dialog.

#include <functional>
#include <map>
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

// Maps a dialog's template name to the front end's code that runs it. Each
// front end has one registry, keyed by what its runners need to reach the user
// (the Qt owner widget, the console host). Each dialog's source file registers
// itself at start, so a host needs no list of every dialog:
//   const QtDialogs::Registration kPartition("DLG_PART", run_partition_dialog);
template <typename Owner>
class DialogRegistry {
public:
    // Returns the dialog's end value (kDialogOk, kDialogCancel or its own).
    using Runner = std::function<int(Owner owner, Dialog& dialog)>;

    struct Registration {
        Registration(std::string name, Runner runner) { instance().add(std::move(name), std::move(runner)); }
    };

    static DialogRegistry& instance() {
        // Filled once at start (static initialisation) and only read afterwards.
        static DialogRegistry registry;
        return registry;
    }
    void add(std::string name, Runner runner) { runners_[std::move(name)] = std::move(runner); }
    // Null when the front end has no code for the name.
    const Runner* find(std::string_view name) const {
        auto found = runners_.find(name);
        return found == runners_.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, Runner, std::less<>> runners_;
};

}  // namespace korvane
