#pragma once
// "File Attributes" (help key dlg_ATTR) and "For spelunking fans..."
// (dlg_ATT2): a file's name, type, creator and dates for editing, and its
// file number and extents for reading.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "gui/modal_dialog.h"

namespace korvane {
class AttributesDialog;
struct DateFields;
}  // namespace korvane

namespace korvane::gui {

// Day, month, year less 1900, hour and minute of one date.
struct DateSpins {
    QSpinBox* day;
    QSpinBox* month;
    QSpinBox* year;
    QSpinBox* hour;
    QSpinBox* minute;
};

class AttributesForm : public ModalDialog {
public:
    AttributesForm(QWidget* owner, AttributesDialog& dialog);
    QLineEdit* file_name() const { return file_name_; }
    QLineEdit* creator() const { return creator_; }
    QLineEdit* file_type() const { return file_type_; }
    const DateSpins& created() const { return created_; }
    const DateSpins& modified() const { return modified_; }
    QPushButton* write_button() const { return write_; }
    QPushButton* quit_button() const { return quit_; }
    QPushButton* advanced_button() const { return advanced_; }

private:
    // Writes the edited fields back into the dialog and ends with "Write".
    void write();

    AttributesDialog& dialog_;
    QLineEdit* file_name_;
    QLineEdit* creator_;
    QLineEdit* file_type_;
    DateSpins created_;
    DateSpins modified_;
    QPushButton* write_;
    QPushButton* quit_;
    QPushButton* advanced_;
};

}  // namespace korvane::gui
