#pragma once
// The dialogs that ask for a name: "Rename file or folder" and "Rename
// Macintosh volume" (DLG_REN) and "New Directory" (DLG_NOUV). Each front end
// shows them in its own form and changes only these objects. Texts are in
// the Windows character set.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/dialog.h"

namespace korvane {

class RenameDialog : public Dialog {
public:
    static constexpr std::size_t kMaxNameLength = 30;  // characters read from the edit field
    std::string_view name() const override { return "DLG_REN"; }
    std::string title;     // "Rename file or folder" or "Rename Macintosh volume"
    std::string old_name;  // shown under "Old name"
    std::string new_name;  // the edit field under "New name", prefilled with old_name; the answer
};

class NewDirectoryDialog : public Dialog {
public:
    static constexpr std::size_t kMaxNameLength = 39;
    std::string_view name() const override { return "DLG_NOUV"; }
    std::string title = "New Directory";
    std::string folder_name = "New folder";  // the edit field under "Directory Name:"; the answer
};

}  // namespace korvane
