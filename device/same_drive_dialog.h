#pragma once
// The "Drive to be used" question (DLG_SAME) that Format and Brute force
// search ask before they touch the selected drive.

#include "core/dialog.h"
#include "device/device_context.h"

namespace korvane {

inline constexpr int kUseSameDrive = -1;
inline constexpr int kSameDriveCancel = 0;
inline constexpr int kRescanBus = 1;

class SameDriveDialog : public Dialog {
public:
    explicit SameDriveDialog(Host& host) : host_(host) {}
    std::string_view name() const override { return "DLG_SAME"; }
    // The question shares its help page with the capacity dialog.
    std::string help_key() const override { return "dlg_CAPA"; }

    static constexpr const char* kTitle = "Drive to be used";
    static constexpr const char* kText = "Do you want to\nuse the same drive ?";

    void help() { host_.show_help(help_key()); }

private:
    Host& host_;
};

// kUseSameDrive, kSameDriveCancel (also for a closed window) or kRescanBus.
int same_drive_question(DeviceContext& ctx);

}  // namespace korvane
