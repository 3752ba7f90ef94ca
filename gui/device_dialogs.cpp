#include "gui/device_dialogs.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/device_commands.h"
#include "device/device_dialog.h"
#include "device/partition_dialog.h"
#include "device/same_drive_dialog.h"
#include "gui/dialog_registry.h"

namespace korvane {
namespace {

QString text(const std::string& value) { return QString::fromLatin1(value.data(), static_cast<int>(value.size())); }

QPushButton* addButton(QBoxLayout* row, const QString& label, const char* objectName) {
    auto* button = new QPushButton(label);
    button->setObjectName(objectName);
    row->addWidget(button);
    return button;
}

QLabel* column_heading(const QString& label) {
    auto* title = new QLabel(label);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    return title;
}

}  // namespace

// --- Device selection ------------------------------------------------------------

DeviceSelectionForm::DeviceSelectionForm(QWidget* owner, DeviceDialog& dialog) : QDialog(owner), dialog_(dialog) {
    setWindowTitle("Device selection");
    auto* layout = new QVBoxLayout(this);
    auto* driverRow = new QHBoxLayout;
    driverRow->addWidget(new QLabel("Driver:"));
    driver_ = new QLabel;
    driver_->setObjectName("driver");
    driverRow->addWidget(driver_, 1);
    layout->addLayout(driverRow);

    auto* grid = new QGridLayout;
    grid->addWidget(column_heading("Typ"), 0, 1);
    grid->addWidget(column_heading("Model"), 0, 2);
    grid->addWidget(column_heading("Release"), 0, 3);
    targets_ = new QButtonGroup(this);
    for (int target = 0; target < 8; ++target) {
        auto* radio = new QRadioButton(QString::number(target) + " ");
        radio->setObjectName(QString("target%1").arg(target));
        targets_->addButton(radio, target);
        radios_[target] = radio;
        grid->addWidget(radio, target + 1, 0);
        const char* names[] = {"typ", "model", "release"};
        for (int column = 0; column < 3; ++column) {
            auto* label = new QLabel;
            label->setObjectName(QString("%1%2").arg(names[column]).arg(target));
            columns_[target][column] = label;
            grid->addWidget(label, target + 1, column + 1);
        }
    }
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = addButton(buttons, "OK", "ok");
    ok->setDefault(true);
    QPushButton* cancel = addButton(buttons, "Cancel", "cancel");
    next_ = addButton(buttons, "Next Host", "next_host");
    preceding_ = addButton(buttons, "Preceding Host", "preceding_host");
    QPushButton* help = addButton(buttons, "Help", "help");
    layout->addLayout(buttons);

    connect(targets_, &QButtonGroup::idClicked, this, [this](int target) {
        dialog_.choose_target(static_cast<std::uint8_t>(target));
        refresh();
    });
    connect(ok, &QPushButton::clicked, this, &DeviceSelectionForm::press_ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(next_, &QPushButton::clicked, this, [this] {
        dialog_.next_host();
        refresh();
    });
    connect(preceding_, &QPushButton::clicked, this, [this] {
        dialog_.preceding_host();
        refresh();
    });
    connect(help, &QPushButton::clicked, this, [this] { dialog_.help(); });
    refresh();
}

void DeviceSelectionForm::refresh() {
    driver_->setText(text(dialog_.driver_name()));
    // Unchecking every radio button of a group needs it non-exclusive for a moment.
    targets_->setExclusive(false);
    for (int target = 0; target < 8; ++target) {
        const DeviceRow& row = dialog_.rows()[target];
        radios_[target]->setEnabled(row.enabled);
        radios_[target]->setChecked(dialog_.chosen_target() == target);
        columns_[target][0]->setText(text(row.vendor));
        columns_[target][1]->setText(text(row.product));
        columns_[target][2]->setText(text(row.revision));
    }
    targets_->setExclusive(true);
    next_->setEnabled(dialog_.next_host_enabled());
    preceding_->setEnabled(dialog_.preceding_host_enabled());
}

void DeviceSelectionForm::press_ok() {
    if (dialog_.confirm()) done(kDialogOk);
}

// --- Drive to be used ------------------------------------------------------------

SameDriveForm::SameDriveForm(QWidget* owner, SameDriveDialog& dialog) : QDialog(owner) {
    setWindowTitle(SameDriveDialog::kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(SameDriveDialog::kText));
    auto* buttons = new QHBoxLayout;
    QPushButton* same = addButton(buttons, "Use the same drive", "useSame");
    same->setDefault(true);
    QPushButton* cancel = addButton(buttons, "Cancel", "cancel");
    QPushButton* rescan = addButton(buttons, "Rescan the bus", "rescan");
    QPushButton* help = addButton(buttons, "Help", "help");
    layout->addLayout(buttons);
    connect(same, &QPushButton::clicked, this, [this] { done(kUseSameDrive); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kSameDriveCancel); });
    connect(rescan, &QPushButton::clicked, this, [this] { done(kRescanBus); });
    connect(help, &QPushButton::clicked, this, [&dialog] { dialog.help(); });
}

// --- Select Partition --------------------------------------------------------------

PartitionForm::PartitionForm(QWidget* owner, PartitionDialog& dialog) : QDialog(owner), dialog_(dialog) {
    setWindowTitle("Select Partition");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(column_heading("Partition"), 0, 1);
    grid->addWidget(column_heading("Offset"), 0, 2);
    grid->addWidget(column_heading("Nr Sect."), 0, 3);
    auto* rows = new QButtonGroup(this);
    for (int row = 0; row < static_cast<int>(kPartitionRowsShown); ++row) {
        auto* radio = new QRadioButton(QString::number(row));
        radio->setObjectName(QString("row%1").arg(row));
        rows->addButton(radio, row);
        grid->addWidget(radio, row + 1, 0);
        bool present = static_cast<std::size_t>(row) < dialog.rows().size();
        radio->setEnabled(present);
        if (!present) continue;
        const PartitionRow& entry = dialog.rows()[row];
        grid->addWidget(new QLabel(text(entry.name)), row + 1, 1);
        grid->addWidget(new QLabel(QString::number(entry.start)), row + 1, 2);
        grid->addWidget(new QLabel(QString::number(entry.size)), row + 1, 3);
    }
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    QPushButton* ok = addButton(buttons, "OK", "ok");
    ok->setDefault(true);
    QPushButton* cancel = addButton(buttons, "Cancel", "cancel");
    QPushButton* help = addButton(buttons, "Help", "help");
    layout->addLayout(buttons);
    connect(rows, &QButtonGroup::idClicked, this, [this](int row) { dialog_.choose_row(row); });
    connect(ok, &QPushButton::clicked, this, &PartitionForm::press_ok);
    connect(cancel, &QPushButton::clicked, this, &PartitionForm::reject);
    connect(help, &QPushButton::clicked, this, [this] { dialog_.help(); });
}

void PartitionForm::press_ok() {
    if (dialog_.confirm()) done(dialog_.chosen_row());
}

void PartitionForm::reject() { done(kPartitionCancelled); }

void PartitionForm::closeEvent(QCloseEvent* event) {
    event->accept();
    done(kPartitionWindowClosed);
}

// --- runners ----------------------------------------------------------------------

namespace {

int run_device_dialog(QWidget* owner, Dialog& dialog) {
    DeviceSelectionForm form(owner, static_cast<DeviceDialog&>(dialog));
    return form.exec();
}

int run_same_drive(QWidget* owner, Dialog& dialog) {
    SameDriveForm form(owner, static_cast<SameDriveDialog&>(dialog));
    return form.exec();
}

int run_partition_dialog(QWidget* owner, Dialog& dialog) {
    PartitionForm form(owner, static_cast<PartitionDialog&>(dialog));
    return form.exec();
}

int run_attach_image(QWidget* owner, Dialog& dialog) {
    auto& chooser = static_cast<AttachImageDialog&>(dialog);
    QString path = QFileDialog::getOpenFileName(
            owner, AttachImageDialog::kTitle, QString(),
            "Disk images (*.hda *.hds *.img *.dsk *.image *.dc42 *.hfs *.iso *.toast);;All files (*)");
    if (path.isEmpty()) return kDialogCancel;
    chooser.path = path.toStdString();
    return kDialogOk;
}

const RegisterDialog kDeviceRunner("DLG_DEV", run_device_dialog);
const RegisterDialog kSameDriveRunner("DLG_SAME", run_same_drive);
const RegisterDialog kPartitionRunner("DLG_PART", run_partition_dialog);
const RegisterDialog kAttachRunner("DLG_ATTACH", run_attach_image);

}  // namespace
}  // namespace korvane
