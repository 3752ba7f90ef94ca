#pragma once
// The forms of Format and Medium Scanning: DLG_FORM "Formatting" (the
// volume's name and the bare-volume choice), DLG_CAPA "Data medium to
// format" (the nine medium sizes) and DLG_RECUP "Rescue Scanning" (the
// counters of the scan, the "Copy Mode" group and Start).

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "gui/modal_dialog.h"

namespace korvane {
class FormattingDialog;
class CapacityDialog;
class RescueDialog;
}  // namespace korvane

namespace korvane::gui {

class FormattingForm : public ModalDialog {
public:
    FormattingForm(QWidget* owner, FormattingDialog& dialog);
    QLineEdit* name_field() const { return name_; }
    QCheckBox* bare_box() const { return bare_; }
    QPushButton* driver_button() const { return driver_; }
    QLabel* driver_label() const { return driver_image_; }
    QPushButton* ok_button() const { return ok_; }

private:
    FormattingDialog& dialog_;
    QLineEdit* name_;
    QCheckBox* bare_;
    QPushButton* driver_;
    QLabel* driver_image_;
    QPushButton* ok_;
};

class CapacityForm : public ModalDialog {
public:
    CapacityForm(QWidget* owner, CapacityDialog& dialog);
    const std::vector<QRadioButton*>& size_buttons() const { return sizes_; }
    QPushButton* ok_button() const { return ok_; }

private:
    CapacityDialog& dialog_;
    std::vector<QRadioButton*> sizes_;
    QPushButton* ok_;
};

class RescueForm : public ModalDialog {
public:
    RescueForm(QWidget* owner, RescueDialog& dialog);
    QLabel* sector_label() const { return sector_; }
    QLabel* file_label() const { return file_; }
    QLabel* number_label() const { return number_; }
    QPushButton* start_button() const { return start_; }

private:
    void show_counters();

    RescueDialog& dialog_;
    QLabel* sector_;
    QLabel* file_;
    QLabel* number_;
    QPushButton* start_;
};

}  // namespace korvane::gui
