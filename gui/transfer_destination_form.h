#pragma once
// DLG_DEST, "Target Directory": the PC directory browser that chooses where
// copies to the PC go, and its "New Directory" question behind "Create new".

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "gui/modal_dialog.h"

namespace korvane {
class DestinationDialog;
}

namespace korvane::gui {

class DestinationForm : public ModalDialog {
public:
    DestinationForm(QWidget* owner, DestinationDialog& dialog);

    QLabel* path_label() const { return path_; }
    QListWidget* directories() const { return directories_; }
    QListWidget* drives() const { return drives_; }
    QPushButton* root_button() const { return root_; }
    QPushButton* parent_button() const { return parent_; }
    QPushButton* create_button() const { return create_; }
    QPushButton* default_button() const { return accept_; }
    QPushButton* cancel_button() const { return cancel_; }

    // "Create new": asks for the name in "New Directory"; overridable so
    // that the question can be answered without a second modal loop.
    virtual bool ask_new_directory_name(QString& name);

private:
    void fill_lists();

    DestinationDialog& dialog_;
    QLabel* path_;
    QListWidget* directories_;
    QListWidget* drives_;
    QPushButton* root_;
    QPushButton* parent_;
    QPushButton* create_;
    QPushButton* accept_;
    QPushButton* cancel_;
};

}  // namespace korvane::gui
