#include "volume/format_dialogs.h"

namespace korvane {

std::string FormattingDialog::accepted_name() const {
    std::string accepted = volume_name.substr(0, kMaxNameLength);
    while (!accepted.empty() && accepted.back() == ' ') accepted.pop_back();
    return accepted;
}

const std::array<MediumSize, 9>& CapacityDialog::sizes() {
    static constexpr std::array<MediumSize, 9> kSizes{{
            {"44 MB", "SyQuest Cartridges", 86700},
            {"88 MB", "SyQuest Cartridges", 173456},
            {"200 MB", "SyQuest Cartridges", 390696},
            {"105 MB", "SyQuest Cartridges", 215440},
            {"270 MB", "SyQuest Cartridges", 524288},
            {"128 MB", "Magneto-optical cartridges", 248826},
            {"230 MB", "Magneto-optical cartridges", 446325},
            {"300 MB", "Magneto-optical cartridges", 576998},
            {"600 MB", "Magneto-optical cartridges", 1163336},
    }};
    return kSizes;
}

std::uint32_t CapacityDialog::capacity_for(int endValue) const {
    if (endValue != kDialogOk || !chosen || *chosen >= sizes().size()) return 0;
    return sizes()[*chosen].sectors;
}

}  // namespace korvane
