#pragma once
// The drive commands of the "Mac Drive" menu (Select Drive, Lock/Unlock
// volume, Reset drive, Attach image...) and the bus that start-up builds.

#include <string>
#include <vector>

#include "app/context.h"
#include "app/switches.h"
#include "core/dialog.h"

namespace korvane {

namespace cmd {
// "Attach image..." of the "Mac Drive" menu: an image file joins adapter 0.
inline constexpr int kAttachImage = 150;
}  // namespace cmd

// The file chooser of "Attach image...": the front end sets path and ends
// with kDialogOk, or ends with kDialogCancel.
class AttachImageDialog : public Dialog {
public:
    std::string_view name() const override { return "DLG_ATTACH"; }
    static constexpr const char* kTitle = "Attach image";
    std::string path;
};

// The image bus of the launch: its images on adapter 0, one adapter per
// --bus folder. Images that cannot be used are reported and left out.
// Returns the number of host adapters (0 when the bus does not answer).
int start_image_bus(Context& ctx, const LaunchArguments& launch);
// --scan: one line per bus list entry (adapter, kind, target, vendor,
// product, revision, tab-separated).
std::vector<std::string> bus_scan_lines(Context& ctx);

// 101: the device dialog; after OK, volume discovery and a fresh listing.
void select_drive_command(Context& ctx);
// 136: "Lock volume" locks the selected drive's medium; "Unlock volume"
// unlocks the drive that the menu locked, whichever drive is selected now.
// The item's text follows volume_locked, which changes only when the drive
// takes the command; a refusal is said and leaves everything as it was.
void toggle_lock(Context& ctx);
// LOCK and UNLOCK of the command line: the selected drive, the menu's text
// and volume_locked left alone. A refusal is said and counted.
void lock_selected_drive(Context& ctx, bool lock);
// At exit, also after a fatal error: unlock every medium this run locked.
void release_medium_locks(Context& ctx);
// 137: the bus device reset before every transfer, on or off.
void toggle_reset(Context& ctx);
// "Attach image...": the file chooser, the image joins adapter 0, then the
// device dialog opens as for Select Drive.
void attach_image_command(Context& ctx);

}  // namespace korvane
