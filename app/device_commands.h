#pragma once
// The drive commands of the "Mac Drive" menu (Select Drive, Lock/Unlock
// volume, Reset drive, Attach image...) and the device layer's part of
// start-up, connected to the start-up hooks.

#include <string>

#include "app/context.h"
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

// 101: the device dialog; after OK, volume discovery and a fresh listing.
void select_drive_command(Context& ctx);
// 136: PREVENT (or ALLOW) MEDIUM REMOVAL to the selected drive; the item's
// text follows volume_locked. The drive's answer is not examined.
void toggle_lock(Context& ctx);
// 137: the bus device reset before every transfer, on or off.
void toggle_reset(Context& ctx);
// "Attach image...": the file chooser, the image joins adapter 0, then the
// device dialog opens as for Select Drive.
void attach_image_command(Context& ctx);

// Fills the device layer's start-up hooks that are still empty.
void connect_device_hooks(StartupHooks& hooks);

}  // namespace korvane
