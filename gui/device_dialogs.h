#pragma once
// The Qt forms of the device dialogs: "Device selection" (DLG_DEV), "Drive to
// be used" (DLG_SAME) and "Select Partition" (DLG_PART). Each form draws the
// engine's dialog object and calls its actions; the runners registered for
// the template names open them modally.

#include <QDialog>
#include <array>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace korvane {

class DeviceDialog;
class PartitionDialog;
class SameDriveDialog;

class DeviceSelectionForm : public QDialog {
    Q_OBJECT
public:
    DeviceSelectionForm(QWidget* owner, DeviceDialog& dialog);

private:
    void refresh();
    void press_ok();

    DeviceDialog& dialog_;
    QLabel* driver_ = nullptr;
    QButtonGroup* targets_ = nullptr;
    std::array<QRadioButton*, 8> radios_{};
    std::array<std::array<QLabel*, 3>, 8> columns_{};
    QPushButton* next_ = nullptr;
    QPushButton* preceding_ = nullptr;
};

class SameDriveForm : public QDialog {
    Q_OBJECT
public:
    SameDriveForm(QWidget* owner, SameDriveDialog& dialog);
};

class PartitionForm : public QDialog {
    Q_OBJECT
public:
    PartitionForm(QWidget* owner, PartitionDialog& dialog);
    // Esc and Cancel: no partition; the window's close box: no drive either.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void press_ok();

    PartitionDialog& dialog_;
};

}  // namespace korvane
