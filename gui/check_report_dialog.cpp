// The window's form of the CHECK report: its lines in a scrollable text,
// closed with OK.

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/check_command.h"
#include "gui/dialog_registry.h"
#include "gui/modal_dialog.h"
#include "gui/text_conversion.h"

namespace korvane::gui {
namespace {

int run_check_report(QWidget* owner, Dialog& dialog) {
    const auto& report = static_cast<CheckReportDialog&>(dialog);
    ModalDialog form(owner, report.help_key());
    form.setWindowTitle(CheckReportDialog::kTitle);
    auto* layout = new QVBoxLayout(&form);
    auto* text = new QPlainTextEdit(&form);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    for (const std::string& line : report.lines) text->appendPlainText(qt_text(line));
    text->moveCursor(QTextCursor::Start);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &form);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &form, &ModalDialog::confirm);
    layout->addWidget(buttons);
    form.resize(560, 320);
    return form.exec();
}

const RegisterDialog registration("DLG_CHECK", run_check_report);

}  // namespace
}  // namespace korvane::gui
