#include "core/dialog.h"

namespace korvane {

std::string Dialog::help_key() const {
    std::string_view template_name = name();
    constexpr std::string_view prefix = "DLG_";
    if (template_name.starts_with(prefix)) template_name.remove_prefix(prefix.size());
    return "dlg_" + std::string(template_name);
}

}  // namespace korvane
