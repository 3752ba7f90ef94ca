#pragma once
// DLG_FLOG, "Log File Management": the File field and the Create, Open and
// Close buttons of the log dialog, enabled as the log's state allows.

#include <memory>

#include "gui/modal_dialog.h"

namespace Ui {
class LogFileForm;
}

namespace korvane {
class LogFileDialog;
}

namespace korvane::gui {

class LogFileForm : public ModalDialog {
    Q_OBJECT
public:
    LogFileForm(QWidget* owner, LogFileDialog& dialog);
    ~LogFileForm() override;

private:
    void take_file_field();
    void refresh_buttons();

    std::unique_ptr<Ui::LogFileForm> ui_;
    LogFileDialog& dialog_;
};

}  // namespace korvane::gui
