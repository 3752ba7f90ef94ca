#pragma once
// DLG_OPT "Advanced copy options" (the naming mode) and DLG_PORT "Output
// Ports" (a PC file or a port). Both set their choice at once on each click;
// Cancel and Esc give "Advanced copy options" back the mode it opened with,
// while its close box and every way of closing "Output Ports" keep the choice.

#include <QButtonGroup>
#include <QPushButton>

#include "gui/modal_dialog.h"

namespace korvane {
class NamingOptionsDialog;
class OutputPortsDialog;
}  // namespace korvane

namespace korvane::gui {

class NamingOptionsForm : public ModalDialog {
public:
    NamingOptionsForm(QWidget* owner, NamingOptionsDialog& dialog);
    QButtonGroup* modes() const { return modes_; }  // ids 0 long, 1 short, 2 renaming on the fly
    QPushButton* ok_button() const { return ok_; }
    QPushButton* cancel_button() const { return cancel_; }

    void reject() override;  // Cancel and Esc

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    NamingOptionsDialog& dialog_;
    QButtonGroup* modes_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool closing_by_close_box_ = false;
};

class OutputPortsForm : public ModalDialog {
public:
    OutputPortsForm(QWidget* owner, OutputPortsDialog& dialog);
    QButtonGroup* ports() const { return ports_; }  // ids 0 File, 1-3 LPT1-LPT3, 4-7 COM1-COM4
    QPushButton* ok_button() const { return ok_; }
    QPushButton* cancel_button() const { return cancel_; }

private:
    OutputPortsDialog& dialog_;
    QButtonGroup* ports_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace korvane::gui
