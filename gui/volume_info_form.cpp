#include "gui/volume_info_form.h"

#include <QGridLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "volume/volume_info.h"

namespace korvane::gui {

VolumeInfoForm::VolumeInfoForm(QWidget* owner, const VolumeInfoDialog& dialog) : ModalDialog(owner, dialog.help_key()) {
    setWindowTitle(qt_text(VolumeInfoDialog::kTitle));
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const VolumeFigure& figure : dialog.figures) {
        grid->addWidget(new QLabel(qt_text(figure.label)), row, 0);
        auto* value = new QLabel(QString::number(figure.value));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, row, 1);
        values_.emplace_back(figure.label, value);
        ++row;
    }
    ok_ = new QPushButton("OK");
    ok_->setDefault(true);
    auto* help = new QPushButton("?");
    grid->addWidget(ok_, 0, 2);
    grid->addWidget(help, 1, 2);
    connect_help(help);
    connect(ok_, &QPushButton::clicked, this, &ModalDialog::confirm);
}

QLabel* VolumeInfoForm::value_of(std::string_view label) const {
    for (const auto& [shown, value] : values_) {
        if (shown == label) return value;
    }
    return nullptr;
}

namespace {

int run_volume_info_dialog(QWidget* owner, Dialog& dialog) {
    VolumeInfoForm form(owner, static_cast<const VolumeInfoDialog&>(dialog));
    return form.exec();
}

const RegisterDialog kVolumeInfo("DLG_INFO", run_volume_info_dialog);

}  // namespace
}  // namespace korvane::gui
