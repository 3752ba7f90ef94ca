#pragma once
// The maintenance commands of the "Mac Drive" menu and the command
// language: Format (102, FORMAT [name] [/V]), Medium Scanning (130, and
// RESCUE), Verify (135, VERIFY).

#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/context.h"
#include "volume/rescue_scan.h"
#include "volume/verify_medium.h"

namespace korvane {

struct FormatRequest {
    std::string name;          // preset of the name field; empty: the last one of this run
    bool bare = false;         // preset of "Bare HFS volume"
    std::string driver_image;  // preset of "Driver from disk image..."
};

// The whole format: "Formatting", "Drive to be used" (or the device
// dialog), the medium's size, the layout, the new volume opened and listed.
// The write guard has run before.
void format_command(Context& ctx, const FormatRequest& request = {});

// 135: the device dialog, then the verification of the drive chosen.
void verify_command(Context& ctx);
// VERIFY: the selected drive (the device dialog first when none is).
VerifyResult verify_selected_drive(Context& ctx);

// 130: the "Rescue Scanning" dialog.
void medium_scanning_command(Context& ctx);
// RESCUE: one scan of the selected drive (the device dialog first when none
// is) into the current PC directory;
// on_file receives each file's progress as it is written.
RescueResult rescue_selected_drive(Context& ctx, const std::function<void(const RescueProgress&)>& on_file);

// FORMAT, VERIFY and RESCUE of the command language.
void add_maintenance_command_handlers(CommandHandlers& handlers);

}  // namespace korvane
