#pragma once
// The dialogs of the copies to the PC whose answers the engine needs. Each
// front end shows them in its own form (registered under the template name)
// and reads and changes only these objects; the engine does the work.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dialog.h"

namespace korvane {

// "File name on the DOS volume": renaming on the fly (naming mode 2).
class DosNameDialog : public Dialog {
public:
    static constexpr std::size_t kMaxNameLength = 30;  // characters read from the edit field
    std::string_view name() const override { return "DLG_NOMD"; }
    std::string title;     // "File name on the DOS volume"
    std::string old_name;  // UTF-8, shown under "Old name"
    std::string new_name;  // UTF-8, the edit field under "New name"; the answer
};

}  // namespace korvane
