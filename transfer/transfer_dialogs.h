#pragma once
// The dialogs of the copies to the PC whose answers the engine needs. Each
// front end shows them in its own form (registered under the template name)
// and reads and changes only these objects; the engine does the work.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dialog.h"
#include "transfer/pc_browser.h"
#include "transfer/transfer_context.h"

namespace korvane {

// "File name on the DOS volume": renaming on the fly (naming mode 2).
class DosNameDialog : public Dialog {
public:
    static constexpr std::size_t kMaxNameLength = 30;  // characters read from the edit field
    std::string_view name() const override { return "DLG_NOMD"; }
    // Texts in the Windows character set, like every text the engine shows.
    std::string title;     // "File name on the DOS volume"
    std::string old_name;  // shown under "Old name"
    std::string new_name;  // the edit field under "New name"; the answer
};

// "Target Directory": the destination of copies to the PC is the current PC
// directory; this dialog changes which one that is. Changes made while
// browsing stay in force whatever the dialog ends with.
class DestinationDialog : public Dialog {
public:
    DestinationDialog(TransferContext& context, bool opened_by_copy);
    std::string_view name() const override { return "DLG_DEST"; }

    static constexpr std::size_t kMaxNewDirectoryName = 39;
    // "Copy in current directory" when a copy waits for the answer, else "OK".
    std::string default_button_text() const;
    const PcBrowser& browser() const { return browser_; }

    // The form's actions; each fills the lists again. 0, or -1 when nothing changed.
    int open_directory(std::string_view entry);  // "[name]" or "[..]"
    int open_drive(std::string_view mount_point);
    int go_to_root();
    int go_to_parent();
    int create_directory(std::string_view name);  // "Create new"

private:
    TransferContext& ctx_;
    bool opened_by_copy_;
    PcBrowser browser_;
};

// "Advanced copy options": the naming mode, set at once on each click.
class NamingOptionsDialog : public Dialog {
public:
    explicit NamingOptionsDialog(TransferContext& context);
    std::string_view name() const override { return "DLG_OPT"; }
    int mode() const;
    void choose(int mode);  // 0 long names, 1 short names, 2 renaming on the fly
    void cancel();          // Cancel or Escape: the mode the dialog opened with

private:
    TransferContext& ctx_;
    int remembered_;
};

// "Output Ports": a PC file or a port, set at once on each click; every way
// of closing keeps the choice.
class OutputPortsDialog : public Dialog {
public:
    explicit OutputPortsDialog(TransferContext& context) : ctx_(context) {}
    std::string_view name() const override { return "DLG_PORT"; }
    int port() const;
    void choose(int port);  // 0 File, 1-3 LPT1-LPT3, 4-7 COM1-COM4

private:
    TransferContext& ctx_;
};

}  // namespace korvane
