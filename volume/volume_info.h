#pragma once
// "Volume Information": the figures of the open volume taken from its header
// (MDB) and from the geometry discovery found, in the order and with the
// labels of the dialog DLG_INFO "Informations about the Macintosh volume".
// The window shows them in that dialog; korvane-cmd's INFO prints them.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/dialog.h"
#include "hfs/hfs_context.h"

namespace korvane {

struct VolumeFigure {
    std::string_view label;  // "Volume Size:", "Free space:", ...
    std::uint64_t value;     // shown in decimal
};

// Every figure of the open volume, each computed from the header as it is
// now (sizes in bytes can exceed 32 bits: a u16 block count times a u32 size).
std::vector<VolumeFigure> volume_figures(const HfsContext& ctx);

// The dialog: the figures, OK and the help button (key dlg_INFO).
class VolumeInfoDialog : public Dialog {
public:
    static constexpr std::string_view kTitle = "Informations about the Macintosh volume";
    std::string_view name() const override { return "DLG_INFO"; }
    std::vector<VolumeFigure> figures;
};

// 104: shows the figures of the open volume; without one, says why.
void volume_info_dialog(HfsContext& ctx);

}  // namespace korvane
