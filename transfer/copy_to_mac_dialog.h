#pragma once
// "Copy PC -> Mac": the user picks PC files, all the files of a mask, or a
// PC directory in the PC directory browser, and they are copied into the
// current Macintosh folder. Each front end shows it in its own form
// (registered as "DLG_MCOP") and drives it only through this object.
//
// What the copy is asked for: the copy takes names and patterns as the file
// system spells them (UTF-8), in shell wildcard syntax. A selected file or
// directory is a name, never a pattern, so it is passed with '*', '?', '['
// and '\' each escaped by a backslash: a file named "a*" copies only itself.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dialog.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_browser.h"
#include "transfer/transfer_context.h"

namespace korvane {

// The pattern that matches exactly the named entry and nothing else.
std::string exact_name_pattern(std::string_view name);

class CopyToMacDialog : public Dialog {
public:
    // Copies the entries of the current PC directory matching a pattern;
    // 0 done, non-zero stopped.
    using Copier = std::function<int(TransferContext&, std::string_view pattern)>;
    static constexpr std::size_t kMaxMaskLength = 79;

    explicit CopyToMacDialog(TransferContext& context, Copier copier = copy_pc_matching);
    std::string_view name() const override { return "DLG_MCOP"; }

    // What the form shows: names in the Windows character set (shown_pc_name),
    // while the browser keeps the real names for the file system; the mask
    // and the drives as the file system spells them.
    const std::string& mask() const { return browser_.mask; }
    std::string shown_path() const;
    const std::string& full_path() const { return browser_.path; }
    std::vector<std::string> shown_files() const;
    std::vector<std::string> shown_directories() const;
    const std::vector<std::string>& drives() const { return browser_.drives; }
    // "Total": bytes of the selected files, or of every listed file when none
    // is selected; empty after a change of directory or drive.
    std::string total_text() const;
    const std::vector<std::size_t>& selected_files() const { return selected_; }

    // Browsing. Each step fills the lists again; 0, or -1 when nothing changed.
    int set_mask(std::string_view typed);  // Enter in the "Filename:" field
    void select_files(std::vector<std::size_t> rows);
    int open_directory(std::size_t row);
    int open_drive(std::string_view mount_point);
    int go_to_root();
    int go_to_parent();

    // The copy buttons; true when a copy ran: the dialog then ends with
    // kDialogOk and the caller reloads the listing.
    bool copy_selection();                 // "Selection": each selected file by its name, in list order
    bool copy_all_files();                 // "All Files": the mask
    bool copy_directory(std::size_t row);  // "Directory"

private:
    int stepped(int result);

    TransferContext& ctx_;
    Copier copier_;
    PcBrowser browser_;
    std::vector<std::size_t> selected_;
    std::optional<std::uint64_t> total_;
};

}  // namespace korvane
