#pragma once
// DLG_QUIT, "Exit Program": what Korvane is, and "Do you really want to
// quit?" with Yes (1, also Enter) and No (0, also Esc and Close).

#include <memory>

#include "gui/modal_dialog.h"

namespace Ui {
class QuitDialog;
}

class QPushButton;

namespace korvane::gui {

class QuitDialog : public ModalDialog {
    Q_OBJECT
public:
    explicit QuitDialog(QWidget* owner);
    ~QuitDialog() override;
    QPushButton* yes_button() const;
    QPushButton* no_button() const;
    QPushButton* help_button() const;

private:
    std::unique_ptr<Ui::QuitDialog> ui_;
};

// Runs the dialog; true when the user answered Yes.
bool confirm_quit(QWidget* owner);

}  // namespace korvane::gui
