#include "gui/attribute_forms.h"

#include <QGridLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "hfs/attribute_dialogs.h"

namespace korvane::gui {
namespace {

QSpinBox* spin(int low, int high, int value) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

// One row of date spins under its label; the year shows the year less 1900.
DateSpins date_row(QGridLayout* grid, int row, const char* label, const DateFields& date) {
    grid->addWidget(new QLabel(label), row, 0);
    DateSpins spins{spin(1, 31, date.day), spin(1, 12, date.month), spin(0, 199, year_field(date.year)),
                    spin(0, 23, date.hour), spin(0, 59, date.minute)};
    auto* line = new QHBoxLayout;
    for (QSpinBox* box : {spins.day, spins.month, spins.year, spins.hour, spins.minute}) line->addWidget(box);
    grid->addLayout(line, row, 1, 1, 3);
    return spins;
}

// A year field left as shown keeps the year, even one the field cannot show.
DateFields read_date(const DateSpins& spins, const DateFields& shown) {
    DateFields date{shown.year, spins.month->value(), spins.day->value(), spins.hour->value(), spins.minute->value()};
    if (spins.year->value() != year_field(shown.year)) date.year = year_of_field(spins.year->value());
    return date;
}

QLineEdit* line_edit(const std::string& text, int max_length) {
    auto* edit = new QLineEdit(qt_text(text));
    edit->setMaxLength(max_length);
    return edit;
}

}  // namespace

AttributesForm::AttributesForm(QWidget* owner, AttributesDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle(AttributesDialog::kTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Filename"), 0, 0);
    file_name_ = line_edit(dialog_.file_name, static_cast<int>(AttributesDialog::kMaxNameLength));
    grid->addWidget(file_name_, 0, 1, 1, 3);
    grid->addWidget(new QLabel("Creator"), 1, 0);
    creator_ = line_edit(dialog_.creator, 4);
    grid->addWidget(creator_, 1, 1);
    grid->addWidget(new QLabel("Filetype"), 1, 2);
    file_type_ = line_edit(dialog_.file_type, 4);
    grid->addWidget(file_type_, 1, 3);
    created_ = date_row(grid, 2, "Creation Date", dialog_.created);
    modified_ = date_row(grid, 3, "Last Mod. Date", dialog_.modified);
    grid->addWidget(new QLabel("Filelength"), 4, 0);
    grid->addWidget(new QLabel(QString::number(dialog_.data_length)), 4, 1);
    grid->addWidget(new QLabel(QString::number(dialog_.resource_length)), 4, 3);

    advanced_ = new QPushButton("Advanced");
    write_ = new QPushButton("Write");
    write_->setDefault(true);
    quit_ = new QPushButton("Quit");
    auto* identification = new QPushButton("Identification");
    identification->setEnabled(false);
    auto* help = new QPushButton("?");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {write_, quit_, advanced_, identification, help}) buttons->addWidget(button);
    grid->addLayout(buttons, 5, 0, 1, 4);
    connect(write_, &QPushButton::clicked, this, &AttributesForm::write);
    connect(quit_, &QPushButton::clicked, this, &ModalDialog::cancel);
    connect(advanced_, &QPushButton::clicked, this, [this] {
        if (const auto* runner = QtDialogs::instance().find(dialog_.advanced.name())) (*runner)(this, dialog_.advanced);
    });
    connect_help(help);
}

void AttributesForm::write() {
    dialog_.file_name = windows_text(file_name_->text());
    dialog_.creator = windows_text(creator_->text());
    dialog_.file_type = windows_text(file_type_->text());
    dialog_.created = read_date(created_, dialog_.created);
    dialog_.modified = read_date(modified_, dialog_.modified);
    confirm();
}

namespace {

int run_attributes(QWidget* owner, Dialog& dialog) {
    AttributesForm form(owner, static_cast<AttributesDialog&>(dialog));
    return form.exec();
}

int run_spelunking(QWidget* owner, Dialog& dialog) {
    const auto& details = static_cast<SpelunkingDialog&>(dialog);
    ModalDialog form(owner, details.help_key());
    form.setWindowTitle(SpelunkingDialog::kTitle);
    auto* grid = new QGridLayout(&form);
    const std::pair<const char*, const std::string*> rows[] = {{"Filename", &details.file_name},
                                                               {"File #", &details.file_number},
                                                               {"Data extents", &details.data_extents},
                                                               {"Ressource extents", &details.resource_extents}};
    int row = 0;
    for (const auto& [label, text] : rows) {
        grid->addWidget(new QLabel(label), row, 0);
        grid->addWidget(new QLabel(qt_text(*text)), row++, 1);
    }
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &form, &ModalDialog::confirm);
    grid->addWidget(ok, row, 1);
    auto* help = new QPushButton("?");
    form.connect_help(help);
    grid->addWidget(help, row, 0);
    return form.exec();
}

const RegisterDialog kAttributes("DLG_ATTR", run_attributes);
const RegisterDialog kSpelunking("DLG_ATT2", run_spelunking);

}  // namespace
}  // namespace korvane::gui
