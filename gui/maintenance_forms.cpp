#include "gui/maintenance_forms.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "volume/format_dialogs.h"
#include "volume/rescue_dialog.h"

namespace korvane::gui {
namespace {

// The dialog texts separate lines with a carriage return.
QString lines_of(const char* text) { return QString(text).replace('\r', '\n'); }

}  // namespace

FormattingForm::FormattingForm(QWidget* owner, FormattingDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(FormattingDialog::kTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(lines_of(FormattingDialog::kCaution)), 0, 0, 1, 2);
    grid->addWidget(new QLabel(FormattingDialog::kNameLabel), 1, 0);
    name_ = new QLineEdit(qt_text(dialog_.volume_name));
    name_->setMaxLength(static_cast<int>(FormattingDialog::kMaxNameLength));
    grid->addWidget(name_, 1, 1);
    bare_ = new QCheckBox(FormattingDialog::kBareLabel);
    bare_->setChecked(dialog_.bare);
    grid->addWidget(bare_, 2, 0, 1, 2);
    driver_ = new QPushButton(FormattingDialog::kDriverButton);
    driver_image_ = new QLabel(QString::fromStdString(dialog_.driver_image));
    grid->addWidget(driver_, 3, 0);
    grid->addWidget(driver_image_, 3, 1);
    // A bare volume has no driver partition to fill.
    connect(bare_, &QCheckBox::toggled, driver_, [this](bool bare) { driver_->setEnabled(!bare); });
    driver_->setEnabled(!dialog_.bare);
    connect(driver_, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, FormattingDialog::kDriverButton);
        if (!chosen.isEmpty()) driver_image_->setText(chosen);
    });
    ok_ = add_dialog_buttons(*this, grid, 2, "OK");
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.volume_name = windows_text(name_->text());
        dialog_.bare = bare_->isChecked();
        dialog_.driver_image = driver_image_->text().toStdString();
        confirm();
    });
}

CapacityForm::CapacityForm(QWidget* owner, CapacityDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(CapacityDialog::kTitle);
    auto* grid = new QGridLayout(this);
    auto* choice = new QButtonGroup(this);
    QGroupBox* group = nullptr;
    int column = -1;
    for (std::size_t i = 0; i < CapacityDialog::sizes().size(); ++i) {
        const MediumSize& size = CapacityDialog::sizes()[i];
        if (group == nullptr || group->title() != qt_text(size.group)) {
            group = new QGroupBox(qt_text(size.group));
            group->setLayout(new QVBoxLayout);
            grid->addWidget(group, 0, ++column, 3, 1);
        }
        auto* button = new QRadioButton(qt_text(size.button));
        choice->addButton(button, static_cast<int>(i));
        group->layout()->addWidget(button);
        sizes_.push_back(button);
    }
    ok_ = add_dialog_buttons(*this, grid, column + 1, "OK");
    connect(ok_, &QPushButton::clicked, this, [this, choice] {
        if (choice->checkedId() >= 0) dialog_.chosen = static_cast<std::size_t>(choice->checkedId());
        confirm();
    });
}

RescueForm::RescueForm(QWidget* owner, RescueDialog& dialog) : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(RescueDialog::kTitle);
    auto* grid = new QGridLayout(this);
    sector_ = new QLabel;
    file_ = new QLabel;
    number_ = new QLabel;
    const std::pair<const char*, QLabel*> counters[] = {{"Sector:", sector_}, {"File:", file_}, {"Number:", number_}};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(counters[row].first), row, 0);
        grid->addWidget(counters[row].second, row, 1);
    }
    auto* mode = new QGroupBox("Copy Mode");
    auto* modes = new QVBoxLayout(mode);
    // The buttons only move their check mark: the rescue writes the data fork.
    for (const char* text : {"&Data", "&Resource", "&Binary"}) modes->addWidget(new QRadioButton(text));
    static_cast<QRadioButton*>(modes->itemAt(0)->widget())->setChecked(true);
    grid->addWidget(mode, 3, 0, 1, 2);
    start_ = add_dialog_buttons(*this, grid, 2, "&Start");
    file_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(31, 'M')));
    dialog_.on_change([this] { show_counters(); });
    connect(start_, &QPushButton::clicked, this, [this] {
        setCursor(Qt::BusyCursor);
        dialog_.start();
        unsetCursor();
        show_counters();
    });
    show_counters();
}

void RescueForm::show_counters() {
    sector_->setText(QString::fromStdString(dialog_.sector_text()));
    file_->setText(qt_text(dialog_.file_text()));
    number_->setText(QString::fromStdString(dialog_.number_text()));
    sector_->repaint();
    file_->repaint();
    number_->repaint();
}

namespace {

template <typename Form, typename EngineDialog>
int run_form(QWidget* owner, Dialog& dialog) {
    Form form(owner, static_cast<EngineDialog&>(dialog));
    return form.exec();
}

const RegisterDialog kFormatting("DLG_FORM", run_form<FormattingForm, FormattingDialog>);
const RegisterDialog kCapacity("DLG_CAPA", run_form<CapacityForm, CapacityDialog>);
const RegisterDialog kRescue("DLG_RECUP", run_form<RescueForm, RescueDialog>);

}  // namespace
}  // namespace korvane::gui
