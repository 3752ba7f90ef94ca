#pragma once
// What every dialog of Korvane shares: modal over its owner, the help button
// under the program icon opening the help page at "dlg_" + the dialog's name,
// Cancel, Esc and the window's Close ending with 0, and the main window
// repainted when the dialog is moved over it.

#include <string>

#include <QDialog>

class QAbstractButton;
class QGridLayout;
class QPushButton;
class QString;

namespace korvane::gui {

class ModalDialog : public QDialog {
    Q_OBJECT
public:
    ModalDialog(QWidget* owner, std::string help_key);
    const std::string& help_key() const { return help_key_; }
    // Wires a help button (control 149) to the help page of this dialog.
    void connect_help(QAbstractButton* button);
    // Ends the dialog with 0 / 1.
    void cancel() { done(0); }
    void confirm() { done(1); }

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    std::string help_key_;
};

// OK (or another first button), Cancel and the help button down the right
// of a dialog's grid, in the given column; returns the first button.
QPushButton* add_dialog_buttons(ModalDialog& form, QGridLayout* grid, int column, const QString& first);

}  // namespace korvane::gui
