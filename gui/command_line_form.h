#pragma once
// The form of "Command line" (DLG_COMM, help key dlg_COMM): one edit field of
// at most 79 characters, empty when it opens, "Execute" (the default button,
// also Enter) and "Cancel". The line is run by the engine after the form
// has closed.

#include <QLineEdit>
#include <QPushButton>

#include "gui/modal_dialog.h"

namespace korvane {
class CommandLineDialog;
}

namespace korvane::gui {

class CommandLineForm : public ModalDialog {
public:
    CommandLineForm(QWidget* owner, CommandLineDialog& dialog);
    QLineEdit* line() const { return line_; }
    QPushButton* execute_button() const { return execute_; }
    QPushButton* cancel_button() const { return cancel_; }

private:
    CommandLineDialog& dialog_;
    QLineEdit* line_;
    QPushButton* execute_;
    QPushButton* cancel_;
};

}  // namespace korvane::gui
