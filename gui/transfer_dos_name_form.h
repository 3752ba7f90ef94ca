#pragma once
// "File name on the DOS volume" (help key dlg_NOMD): renaming on the fly
// asks for each copied file's PC name, in the layout of the rename dialog.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/modal_dialog.h"

namespace korvane {
class DosNameDialog;
}

namespace korvane::gui {

class DosNameForm : public ModalDialog {
public:
    DosNameForm(QWidget* owner, DosNameDialog& dialog);
    QLabel* old_name() const { return old_name_; }
    QLineEdit* new_name() const { return new_name_; }
    QPushButton* ok_button() const { return ok_; }
    QPushButton* cancel_button() const { return cancel_; }

private:
    DosNameDialog& dialog_;
    QLabel* old_name_;
    QLineEdit* new_name_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace korvane::gui
