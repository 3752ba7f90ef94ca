#pragma once
// The dialogs of the Format command, as each front end shows them:
// "Formatting" (DLG_FORM: the volume's name, and whether the medium gets a
// partition map or holds the volume alone) and "Data medium to format"
// (DLG_CAPA: the medium's size when the drive cannot tell it).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/dialog.h"

namespace korvane {

class FormattingDialog : public Dialog {
public:
    static constexpr const char* kTitle = "Formatting";
    static constexpr const char* kCaution = "Caution !!!\rAll data will be destroyed.";
    static constexpr const char* kNameLabel = "Name:";
    static constexpr const char* kBareLabel = "Bare HFS volume (no partition map, no driver)";
    static constexpr const char* kDriverButton = "Driver from disk image...";
    static constexpr std::size_t kMaxNameLength = 26;

    std::string_view name() const override { return "DLG_FORM"; }
    std::string help_key() const override { return "dlg_FORM"; }

    // The name field (Windows character set), preset by the command.
    std::string volume_name;
    // The volume alone from sector 0, with no partition map or driver partition.
    bool bare = false;
    // A device image (or disk) whose driver partitions the medium gets
    // instead of an empty one; empty for none.
    std::string driver_image;

    // The name as OK reads it: at most 26 characters, trailing blanks removed.
    std::string accepted_name() const;
};

struct MediumSize {
    std::string_view button;
    std::string_view group;
    std::uint32_t sectors;
};

class CapacityDialog : public Dialog {
public:
    static constexpr const char* kTitle = "Data medium to format";
    std::string_view name() const override { return "DLG_CAPA"; }
    std::string help_key() const override { return "dlg_CAPA"; }

    static const std::array<MediumSize, 9>& sizes();
    // The row of sizes() chosen; OK without a choice gives no size.
    std::optional<std::size_t> chosen;
    // C for OK (kDialogOk) with a size chosen, otherwise 0.
    std::uint32_t capacity_for(int endValue) const;
};

}  // namespace korvane
