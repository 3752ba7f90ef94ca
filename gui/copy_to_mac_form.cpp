#include "gui/copy_to_mac_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/text_conversion.h"
#include "transfer/copy_to_mac_dialog.h"

namespace korvane::gui {
namespace {

QListWidget* named_list(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(name);
    return list;
}

// Enter belongs to the mask field, so no button may take it.
QPushButton* plain_button(const QString& text) {
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    return button;
}

// The mask and the mount points are UTF-8, as the file system has them.
QString file_system_text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void replace_items(QListWidget* list, const std::vector<std::string>& texts, QString (*shown)(std::string_view)) {
    list->clear();
    for (const std::string& text : texts) list->addItem(shown(text));
}

}  // namespace

CopyToMacForm::CopyToMacForm(QWidget* owner, CopyToMacDialog& dialog)
    : ModalDialog(owner, dialog.help_key()), dialog_(dialog) {
    setWindowTitle("Copy PC -> Mac");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Filename:"), 0, 0);
    mask_ = new QLineEdit(file_system_text(dialog_.mask()));
    mask_->setObjectName("mask");
    mask_->setMaxLength(static_cast<int>(CopyToMacDialog::kMaxMaskLength));
    grid->addWidget(mask_, 0, 1, 1, 3);
    grid->addWidget(new QLabel("Path :"), 1, 0);
    path_ = new QLabel;
    path_->setObjectName("path");
    grid->addWidget(path_, 1, 1, 1, 3);

    grid->addWidget(new QLabel("Files"), 2, 0);
    files_ = named_list("files");
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->addWidget(files_, 3, 0, 4, 1);
    auto* total_row = new QHBoxLayout;
    total_row->addWidget(new QLabel("Total"));
    total_ = new QLabel;
    total_->setObjectName("total");
    total_row->addWidget(total_, 1);
    grid->addLayout(total_row, 7, 0);

    grid->addWidget(new QLabel("Directories"), 2, 1, 1, 2);
    directories_ = named_list("directories");
    grid->addWidget(directories_, 3, 1, 3, 2);
    root_ = plain_button("[:\\]");
    parent_ = plain_button("[..]");
    grid->addWidget(root_, 6, 1);
    grid->addWidget(parent_, 6, 2);
    build_copy_column(grid);
    connect_actions();
    fill_lists();
}

void CopyToMacForm::build_copy_column(QGridLayout* grid) {
    grid->addWidget(new QLabel("Drives"), 2, 3);
    drives_ = named_list("drives");
    grid->addWidget(drives_, 3, 3);
    auto* group = new QGroupBox("Click Button to Copy:");
    auto* buttons = new QVBoxLayout(group);
    selection_ = plain_button("Selection");
    all_files_ = plain_button("All Files");
    directory_ = plain_button("Directory");
    for (QPushButton* button : {selection_, all_files_, directory_}) buttons->addWidget(button);
    grid->addWidget(group, 4, 3);
    cancel_ = plain_button("Cancel/Exit");
    auto* help = plain_button("?");
    grid->addWidget(cancel_, 5, 3);
    grid->addWidget(help, 6, 3);
    connect_help(help);
}

void CopyToMacForm::connect_actions() {
    connect(mask_, &QLineEdit::returnPressed, this, [this] {
        if (dialog_.set_mask(mask_->text().toStdString()) == 0) fill_lists();
    });
    connect(files_, &QListWidget::itemSelectionChanged, this, [this] {
        std::vector<std::size_t> rows;
        for (QListWidgetItem* item : files_->selectedItems())
            rows.push_back(static_cast<std::size_t>(files_->row(item)));
        dialog_.select_files(std::move(rows));
        total_->setText(QString::fromStdString(dialog_.total_text()));
    });
    auto step = [this](int result) {
        if (result == 0) fill_lists();
    };
    connect(directories_, &QListWidget::itemDoubleClicked, this, [this, step](QListWidgetItem* item) {
        step(dialog_.open_directory(static_cast<std::size_t>(directories_->row(item))));
    });
    connect(drives_, &QListWidget::itemDoubleClicked, this, [this, step](QListWidgetItem* item) {
        step(dialog_.open_drive(dialog_.drives()[static_cast<std::size_t>(drives_->row(item))]));
    });
    connect(root_, &QPushButton::clicked, this, [this, step] { step(dialog_.go_to_root()); });
    connect(parent_, &QPushButton::clicked, this, [this, step] { step(dialog_.go_to_parent()); });
    connect(selection_, &QPushButton::clicked, this, [this] { end_if_copied(dialog_.copy_selection()); });
    connect(all_files_, &QPushButton::clicked, this, [this] { end_if_copied(dialog_.copy_all_files()); });
    connect(directory_, &QPushButton::clicked, this, [this] {
        const QList<QListWidgetItem*> chosen = directories_->selectedItems();
        if (chosen.isEmpty()) return;
        end_if_copied(dialog_.copy_directory(static_cast<std::size_t>(directories_->row(chosen.front()))));
    });
    connect(cancel_, &QPushButton::clicked, this, &ModalDialog::cancel);
}

void CopyToMacForm::fill_lists() {
    path_->setText(qt_text(dialog_.shown_path()));
    path_->setToolTip(file_system_text(dialog_.full_path()));
    {
        // Refilling is not a choice of the user: the dialog's selection is already empty.
        const QSignalBlocker quiet(files_);
        replace_items(files_, dialog_.shown_files(), qt_text);
    }
    replace_items(directories_, dialog_.shown_directories(), qt_text);
    replace_items(drives_, dialog_.drives(), file_system_text);
    total_->setText(QString::fromStdString(dialog_.total_text()));
}

void CopyToMacForm::end_if_copied(bool copied) {
    if (copied) confirm();
}

namespace {

int run_copy_to_mac_dialog(QWidget* owner, Dialog& dialog) {
    CopyToMacForm form(owner, static_cast<CopyToMacDialog&>(dialog));
    return form.exec();
}

const RegisterDialog registration("DLG_MCOP", run_copy_to_mac_dialog);

}  // namespace
}  // namespace korvane::gui
