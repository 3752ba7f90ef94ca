#include "gui/modal_dialog.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QMoveEvent>
#include <QPushButton>

#include "gui/main_window.h"
#include "gui/qt_host.h"

namespace korvane::gui {
namespace {

// The main window under a dialog, through the chain of owners.
MainWindow* main_window_of(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* main = qobject_cast<MainWindow*>(w)) return main;
    }
    return nullptr;
}

}  // namespace

ModalDialog::ModalDialog(QWidget* owner, std::string help_key) : QDialog(owner), help_key_(std::move(help_key)) {
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

void ModalDialog::connect_help(QAbstractButton* button) {
    connect(button, &QAbstractButton::clicked, this, [this] {
        if (MainWindow* main = main_window_of(parentWidget())) main->host().show_help(help_key_);
    });
}

void ModalDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // Only a move by the user matters, not the placing before the first show.
    if (!isVisible()) return;
    if (MainWindow* main = main_window_of(parentWidget())) main->host().repaint_after_move();
}

QPushButton* add_dialog_buttons(ModalDialog& form, QGridLayout* grid, int column, const QString& first) {
    auto* ok = new QPushButton(first);
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel");
    auto* help = new QPushButton("?");
    grid->addWidget(ok, 0, column);
    grid->addWidget(cancel, 1, column);
    grid->addWidget(help, 2, column);
    QObject::connect(cancel, &QPushButton::clicked, &form, &ModalDialog::cancel);
    form.connect_help(help);
    return ok;
}

}  // namespace korvane::gui
