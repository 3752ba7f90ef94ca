#pragma once
// The forms of the dialogs that ask for a name: "Rename file or folder" /
// "Rename Macintosh volume" (help key dlg_REN) and "New Directory"
// (dlg_NOUV).

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/modal_dialog.h"

namespace korvane {
class RenameDialog;
class NewDirectoryDialog;
}  // namespace korvane

namespace korvane::gui {

class RenameForm : public ModalDialog {
public:
    RenameForm(QWidget* owner, RenameDialog& dialog);
    QLabel* old_name() const { return old_name_; }
    QLineEdit* new_name() const { return new_name_; }
    QPushButton* ok_button() const { return ok_; }

private:
    RenameDialog& dialog_;
    QLabel* old_name_;
    QLineEdit* new_name_;
    QPushButton* ok_;
};

class NewDirectoryForm : public ModalDialog {
public:
    NewDirectoryForm(QWidget* owner, NewDirectoryDialog& dialog);
    QLineEdit* folder_name() const { return folder_name_; }
    QPushButton* ok_button() const { return ok_; }

private:
    NewDirectoryDialog& dialog_;
    QLineEdit* folder_name_;
    QPushButton* ok_;
};

}  // namespace korvane::gui
