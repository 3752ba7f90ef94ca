#pragma once
// The form of "Informations about the Macintosh volume" (DLG_INFO, help key
// dlg_INFO): each figure under its label, in decimal, then OK.

#include <QLabel>
#include <QPushButton>
#include <vector>

#include "gui/modal_dialog.h"

namespace korvane {
class VolumeInfoDialog;
}

namespace korvane::gui {

class VolumeInfoForm : public ModalDialog {
public:
    VolumeInfoForm(QWidget* owner, const VolumeInfoDialog& dialog);
    // The value shown for a label ("Volume Size:"), or null.
    QLabel* value_of(std::string_view label) const;
    QPushButton* ok_button() const { return ok_; }

private:
    std::vector<std::pair<std::string_view, QLabel*>> values_;
    QPushButton* ok_;
};

}  // namespace korvane::gui
