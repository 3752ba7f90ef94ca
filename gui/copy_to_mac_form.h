#pragma once
// DLG_MCOP, "Copy PC -> Mac": the PC directory browser with the files of a
// mask, whose buttons copy the selected files, all the files or a directory
// into the current Macintosh folder.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

class QGridLayout;

#include "gui/modal_dialog.h"

namespace korvane {
class CopyToMacDialog;
}

namespace korvane::gui {

class CopyToMacForm : public ModalDialog {
public:
    CopyToMacForm(QWidget* owner, CopyToMacDialog& dialog);

    QLineEdit* mask_field() const { return mask_; }
    QLabel* path_label() const { return path_; }
    QListWidget* files() const { return files_; }
    QLabel* total_label() const { return total_; }
    QListWidget* directories() const { return directories_; }
    QListWidget* drives() const { return drives_; }
    QPushButton* root_button() const { return root_; }
    QPushButton* parent_button() const { return parent_; }
    QPushButton* selection_button() const { return selection_; }
    QPushButton* all_files_button() const { return all_files_; }
    QPushButton* directory_button() const { return directory_; }
    QPushButton* cancel_button() const { return cancel_; }

private:
    void build_copy_column(QGridLayout* grid);
    void connect_actions();
    void fill_lists();
    // Ends the dialog with 1 when the copy button ran a copy.
    void end_if_copied(bool copied);

    CopyToMacDialog& dialog_;
    QLineEdit* mask_;
    QLabel* path_;
    QListWidget* files_;
    QLabel* total_;
    QListWidget* directories_;
    QListWidget* drives_;
    QPushButton* root_;
    QPushButton* parent_;
    QPushButton* selection_;
    QPushButton* all_files_;
    QPushButton* directory_;
    QPushButton* cancel_;
};

}  // namespace korvane::gui
