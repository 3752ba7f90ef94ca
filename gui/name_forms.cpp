#include "gui/name_forms.h"

#include <QGridLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "hfs/name_dialogs.h"

namespace korvane::gui {

RenameForm::RenameForm(QWidget* owner, RenameDialog& dialog) : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(qt_text(dialog_.title));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Old name"), 0, 0);
    old_name_ = new QLabel(qt_text(dialog_.old_name));
    grid->addWidget(old_name_, 0, 1);
    grid->addWidget(new QLabel("New name"), 1, 0);
    new_name_ = new QLineEdit(qt_text(dialog_.new_name));
    new_name_->setMaxLength(static_cast<int>(RenameDialog::kMaxNameLength));
    grid->addWidget(new_name_, 1, 1);
    ok_ = add_dialog_buttons(*this, grid, 2, "OK");
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.new_name = windows_text(new_name_->text());
        confirm();
    });
}

NewDirectoryForm::NewDirectoryForm(QWidget* owner, NewDirectoryDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(qt_text(dialog_.title));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Directory Name:"), 0, 0);
    folder_name_ = new QLineEdit(qt_text(dialog_.folder_name));
    folder_name_->setMaxLength(static_cast<int>(NewDirectoryDialog::kMaxNameLength));
    grid->addWidget(folder_name_, 1, 0);
    ok_ = add_dialog_buttons(*this, grid, 1, "OK");
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.folder_name = windows_text(folder_name_->text());
        confirm();
    });
}

namespace {

int run_rename_dialog(QWidget* owner, Dialog& dialog) {
    RenameForm form(owner, static_cast<RenameDialog&>(dialog));
    return form.exec();
}

int run_new_directory_dialog(QWidget* owner, Dialog& dialog) {
    NewDirectoryForm form(owner, static_cast<NewDirectoryDialog&>(dialog));
    return form.exec();
}

const RegisterDialog kRename("DLG_REN", run_rename_dialog);
const RegisterDialog kNewDirectory("DLG_NOUV", run_new_directory_dialog);

}  // namespace
}  // namespace korvane::gui
