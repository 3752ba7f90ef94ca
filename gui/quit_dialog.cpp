#include "gui/quit_dialog.h"

#include "ui_dlg_quit.h"

#ifndef KORVANE_VERSION
#define KORVANE_VERSION "0"
#endif

namespace korvane::gui {

QuitDialog::QuitDialog(QWidget* owner) : ModalDialog(owner, "dlg_QUIT"), ui_(new Ui::QuitDialog) {
    ui_->setupUi(this);
    setFixedSize(size());
    ui_->description->setText(QString("Korvane release %1\n"
                                      "Macintosh HFS volumes on SCSI media,\n"
                                      "disk images and block devices.")
                                      .arg(KORVANE_VERSION));
    connect(ui_->yes128, &QPushButton::clicked, this, &ModalDialog::confirm);
    connect(ui_->no129, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect_help(ui_->help149);
    ui_->yes128->setFocus();
}

QuitDialog::~QuitDialog() = default;

QPushButton* QuitDialog::yes_button() const { return ui_->yes128; }
QPushButton* QuitDialog::no_button() const { return ui_->no129; }
QPushButton* QuitDialog::help_button() const { return ui_->help149; }

bool confirm_quit(QWidget* owner) {
    QuitDialog dialog(owner);
    return dialog.exec() == 1;
}

}  // namespace korvane::gui
