#pragma once
// "Rescue Scanning" (DLG_RECUP): the counters of the scan ("Sector:",
// "File:", "Number:"), a "Copy Mode" group whose buttons only move their
// check mark (the rescue writes the data fork, or the resource fork of a
// file without one, whatever is checked), and Start, which may be pressed
// again. Each front end shows it in its own form and drives it only through
// this object.

#include <functional>
#include <string>

#include "core/dialog.h"
#include "volume/rescue_scan.h"

namespace korvane {

class RescueDialog : public Dialog {
public:
    static constexpr const char* kTitle = "Rescue Scanning";
    enum class CopyMode { Data, Resource, Binary };

    explicit RescueDialog(TransferContext& ctx) : ctx_(ctx) {}
    std::string_view name() const override { return "DLG_RECUP"; }
    std::string help_key() const override { return "dlg_RECUP"; }

    // The fields as the form shows them: "%05lu", the name, decimal.
    std::string sector_text() const;
    const std::string& file_text() const { return progress_.file; }
    std::string number_text() const { return std::to_string(progress_.files); }

    CopyMode copyMode = CopyMode::Data;

    // The form's repaint of the three fields while a scan runs.
    void on_change(std::function<void()> repaint);
    // "&Start": one whole scan.
    RescueResult start();

private:
    TransferContext& ctx_;
    RescueProgress progress_;
};

}  // namespace korvane
