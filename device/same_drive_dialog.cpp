#include "device/same_drive_dialog.h"

namespace korvane {

int same_drive_question(DeviceContext& ctx) {
    SameDriveDialog dialog(ctx.host);
    int answer = ctx.host.run_dialog(dialog);
    return answer == kUseSameDrive || answer == kRescanBus ? answer : kSameDriveCancel;
}

}  // namespace korvane
