#include "gui/command_line_form.h"

#include <QGridLayout>

#include "app/command_line_dialog.h"
#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"

namespace korvane::gui {

CommandLineForm::CommandLineForm(QWidget* owner, CommandLineDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(qt_text(CommandLineDialog::kTitle));
    auto* grid = new QGridLayout(this);
    line_ = new QLineEdit;
    line_->setObjectName("line");
    line_->setMaxLength(static_cast<int>(CommandLineDialog::kMaxLineLength));
    line_->setMinimumWidth(360);
    grid->addWidget(line_, 0, 0, 1, 3);
    execute_ = new QPushButton("Execute");
    execute_->setDefault(true);
    cancel_ = new QPushButton("Cancel");
    auto* help = new QPushButton("?");
    grid->addWidget(execute_, 1, 0);
    grid->addWidget(cancel_, 1, 1);
    grid->addWidget(help, 1, 2);
    connect_help(help);
    connect(cancel_, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect(execute_, &QPushButton::clicked, this, [this] {
        dialog_.line = windows_text(line_->text());
        confirm();
    });
}

namespace {

int run_command_line_dialog(QWidget* owner, Dialog& dialog) {
    CommandLineForm form(owner, static_cast<CommandLineDialog&>(dialog));
    return form.exec();
}

const RegisterDialog kCommandLine("DLG_COMM", run_command_line_dialog);

}  // namespace
}  // namespace korvane::gui
