#include "gui/log_file_form.h"

#include "core/log_file.h"
#include "gui/dialog_registry.h"
#include "ui_dlg_flog.h"

namespace korvane::gui {

LogFileForm::LogFileForm(QWidget* owner, LogFileDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), ui_(new Ui::LogFileForm), dialog_(dialog) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The name is a Linux path: any length, UTF-8 as the file system has it.
    ui_->edit147->setText(QString::fromStdString(dialog_.file_field));
    connect(ui_->create144, &QPushButton::clicked, this, [this] {
        take_file_field();
        dialog_.press_create();
        refresh_buttons();
    });
    connect(ui_->open145, &QPushButton::clicked, this, [this] {
        take_file_field();
        dialog_.press_open();
        refresh_buttons();
    });
    connect(ui_->close146, &QPushButton::clicked, this, [this] {
        dialog_.press_close();
        refresh_buttons();
    });
    connect(ui_->ok101, &QPushButton::clicked, this, &ModalDialog::confirm);
    connect(ui_->cancel100, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect_help(ui_->help149);
    refresh_buttons();
}

LogFileForm::~LogFileForm() = default;

void LogFileForm::take_file_field() { dialog_.file_field = ui_->edit147->text().toStdString(); }

void LogFileForm::refresh_buttons() {
    ui_->create144->setEnabled(dialog_.create_enabled());
    ui_->open145->setEnabled(dialog_.open_enabled());
    ui_->close146->setEnabled(dialog_.close_enabled());
    // Create stays the default button while it can be pressed.
    (dialog_.create_enabled() ? ui_->create144 : ui_->ok101)->setDefault(true);
}

namespace {

int run_log_file_dialog(QWidget* owner, Dialog& dialog) {
    LogFileForm form(owner, static_cast<LogFileDialog&>(dialog));
    return form.exec();
}

const RegisterDialog registration("DLG_FLOG", run_log_file_dialog);

}  // namespace
}  // namespace korvane::gui
