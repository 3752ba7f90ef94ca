#include "gui/transfer_dos_name_form.h"

#include <QGridLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "transfer/transfer_dialogs.h"

namespace korvane::gui {

DosNameForm::DosNameForm(QWidget* owner, DosNameDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(qt_text(dialog_.title));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Old name"), 0, 0);
    old_name_ = new QLabel(qt_text(dialog_.old_name));
    grid->addWidget(old_name_, 0, 1);
    grid->addWidget(new QLabel("New name"), 1, 0);
    new_name_ = new QLineEdit(qt_text(dialog_.new_name));
    new_name_->setMaxLength(static_cast<int>(DosNameDialog::kMaxNameLength));
    grid->addWidget(new_name_, 1, 1);
    ok_ = new QPushButton("OK");
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cancel");
    auto* help = new QPushButton("?");
    grid->addWidget(ok_, 0, 2);
    grid->addWidget(cancel_, 1, 2);
    grid->addWidget(help, 2, 2);
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.new_name = windows_text(new_name_->text());
        confirm();
    });
    connect(cancel_, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect_help(help);
}

namespace {

int run_dos_name_dialog(QWidget* owner, Dialog& dialog) {
    DosNameForm form(owner, static_cast<DosNameDialog&>(dialog));
    return form.exec();
}

const RegisterDialog registration("DLG_NOMD", run_dos_name_dialog);

}  // namespace
}  // namespace korvane::gui
