#include "gui/transfer_option_forms.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "transfer/output_port.h"
#include "transfer/transfer_dialogs.h"

namespace korvane::gui {
namespace {

// OK, Cancel and the help button in a row under the choices.
QHBoxLayout* button_row(ModalDialog* form, QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    ok = new QPushButton("OK");
    ok->setDefault(true);
    cancel = new QPushButton("Cancel");
    auto* help = new QPushButton("?");
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    form->connect_help(help);
    return row;
}

QRadioButton* add_radio(QButtonGroup* group, QLayout* layout, const QString& text, int id) {
    auto* button = new QRadioButton(text);
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

}  // namespace

NamingOptionsForm::NamingOptionsForm(QWidget* owner, NamingOptionsDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle("Advanced copy options");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Filenaming convention");
    auto* choices = new QVBoxLayout(group);
    modes_ = new QButtonGroup(this);
    add_radio(modes_, choices, "Long file names", 0);
    add_radio(modes_, choices, "Short file names", 1);
    add_radio(modes_, choices, "Renaming on the fly", 2);
    if (QAbstractButton* current = modes_->button(dialog_.mode())) current->setChecked(true);
    layout->addWidget(group);
    layout->addLayout(button_row(this, ok_, cancel_));
    connect(modes_, &QButtonGroup::idClicked, this, [this](int mode) { dialog_.choose(mode); });
    connect(ok_, &QPushButton::clicked, this, &ModalDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &NamingOptionsForm::reject);
}

void NamingOptionsForm::reject() {
    if (!closing_by_close_box_) dialog_.cancel();
    ModalDialog::reject();
}

void NamingOptionsForm::closeEvent(QCloseEvent* event) {
    closing_by_close_box_ = true;
    ModalDialog::closeEvent(event);
    closing_by_close_box_ = false;
}

OutputPortsForm::OutputPortsForm(QWidget* owner, OutputPortsDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle("Output Ports");
    auto* layout = new QVBoxLayout(this);
    ports_ = new QButtonGroup(this);  // the eight buttons form one radio group
    auto* file = new QGroupBox(" MS-DOS File: ");
    add_radio(ports_, new QVBoxLayout(file), "File", kPortFile);
    auto* serial = new QGroupBox("Serial ports");
    auto* serial_layout = new QVBoxLayout(serial);
    for (int port = 4; port <= 7; ++port)
        add_radio(ports_, serial_layout, QString::fromLatin1(port_name(port).data(), 4), port);
    auto* parallel = new QGroupBox("Parallel ports");
    auto* parallel_layout = new QVBoxLayout(parallel);
    for (int port = 1; port <= 3; ++port)
        add_radio(ports_, parallel_layout, QString::fromLatin1(port_name(port).data(), 4), port);
    if (QAbstractButton* current = ports_->button(dialog_.port())) current->setChecked(true);
    auto* groups = new QHBoxLayout;
    groups->addWidget(file);
    groups->addWidget(serial);
    groups->addWidget(parallel);
    layout->addLayout(groups);
    layout->addLayout(button_row(this, ok_, cancel_));
    connect(ports_, &QButtonGroup::idClicked, this, [this](int port) { dialog_.choose(port); });
    connect(ok_, &QPushButton::clicked, this, &ModalDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &ModalDialog::cancel);
}

namespace {

int run_naming_options(QWidget* owner, Dialog& dialog) {
    NamingOptionsForm form(owner, static_cast<NamingOptionsDialog&>(dialog));
    return form.exec();
}

int run_output_ports(QWidget* owner, Dialog& dialog) {
    OutputPortsForm form(owner, static_cast<OutputPortsDialog&>(dialog));
    return form.exec();
}

const RegisterDialog naming_registration("DLG_OPT", run_naming_options);
const RegisterDialog ports_registration("DLG_PORT", run_output_ports);

}  // namespace
}  // namespace korvane::gui
