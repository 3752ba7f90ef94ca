#include "gui/transfer_destination_form.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "transfer/transfer_dialogs.h"

namespace korvane::gui {
namespace {

// Directory and mount-point names are UTF-8, as the file system has them.
QString file_system_text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

DestinationForm::DestinationForm(QWidget* owner, DestinationDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle("Target Directory");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Path :"), 0, 0);
    path_ = new QLabel;
    path_->setObjectName("path");
    grid->addWidget(path_, 0, 1, 1, 3);

    grid->addWidget(new QLabel("Directories"), 1, 0, 1, 2);
    directories_ = new QListWidget;
    directories_->setObjectName("directories");
    grid->addWidget(directories_, 2, 0, 4, 2);
    root_ = new QPushButton("[:\\]");
    parent_ = new QPushButton("[..]");
    grid->addWidget(root_, 6, 0);
    grid->addWidget(parent_, 6, 1);

    grid->addWidget(new QLabel("Drives"), 1, 2);
    drives_ = new QListWidget;
    drives_->setObjectName("drives");
    grid->addWidget(drives_, 2, 2, 2, 1);
    create_ = new QPushButton("Create new");
    grid->addWidget(create_, 4, 2);

    accept_ = new QPushButton(QString::fromStdString(dialog_.default_button_text()));
    accept_->setDefault(true);
    cancel_ = new QPushButton("Cancel");
    auto* help = new QPushButton("?");
    grid->addWidget(accept_, 2, 3);
    grid->addWidget(cancel_, 3, 3);
    grid->addWidget(help, 4, 3);

    connect(directories_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (dialog_.open_directory(item->text().toStdString()) == 0) fill_lists();
    });
    connect(drives_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (dialog_.open_drive(item->text().toStdString()) == 0) fill_lists();
    });
    connect(root_, &QPushButton::clicked, this, [this] {
        if (dialog_.go_to_root() == 0) fill_lists();
    });
    connect(parent_, &QPushButton::clicked, this, [this] {
        if (dialog_.go_to_parent() == 0) fill_lists();
    });
    connect(create_, &QPushButton::clicked, this, [this] {
        QString name = "DIR";
        if (ask_new_directory_name(name) && dialog_.create_directory(name.toStdString()) == 0) fill_lists();
    });
    connect(accept_, &QPushButton::clicked, this, &ModalDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect_help(help);
    fill_lists();
}

bool DestinationForm::ask_new_directory_name(QString& name) {
    QInputDialog question(this);
    question.setWindowTitle("New Directory");
    question.setLabelText("Directory Name:");
    question.setTextValue(name);
    if (auto* edit = question.findChild<QLineEdit*>())
        edit->setMaxLength(static_cast<int>(DestinationDialog::kMaxNewDirectoryName));
    if (question.exec() != QDialog::Accepted) return false;
    name = question.textValue();
    return true;
}

void DestinationForm::fill_lists() {
    const PcBrowser& browser = dialog_.browser();
    path_->setText(file_system_text(browser.shown_path));
    path_->setToolTip(file_system_text(browser.path));
    directories_->clear();
    for (const std::string& entry : browser.directories) directories_->addItem(file_system_text(entry));
    drives_->clear();
    for (const std::string& drive : browser.drives) drives_->addItem(file_system_text(drive));
}

namespace {

int run_destination_dialog(QWidget* owner, Dialog& dialog) {
    DestinationForm form(owner, static_cast<DestinationDialog&>(dialog));
    return form.exec();
}

const RegisterDialog registration("DLG_DEST", run_destination_dialog);

}  // namespace
}  // namespace korvane::gui
