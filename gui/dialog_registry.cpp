#include "gui/dialog_registry.h"

namespace korvane {

DialogRegistry& DialogRegistry::instance() {
    // The registry is filled once at start-up and only read afterwards.
    static DialogRegistry registry;
    return registry;
}

const DialogRunner* DialogRegistry::find(std::string_view name) const {
    auto found = runners_.find(name);
    return found == runners_.end() ? nullptr : &found->second;
}

}  // namespace korvane
