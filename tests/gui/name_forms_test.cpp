// The forms that ask for a name, driven offscreen: what they show, how much
// they read, and the answer they leave in the dialog.

#include <QtTest>

#include "gui/name_forms.h"
#include "hfs/name_dialogs.h"

namespace korvane::gui {

class NameFormsTest : public QObject {
    Q_OBJECT
private slots:
    void rename_shows_the_old_name_and_reads_at_most_thirty_characters() {
        RenameDialog dialog;
        dialog.title = "Rename file or folder";
        dialog.old_name = "R\xE9sum\xE9";
        dialog.new_name = dialog.old_name;
        RenameForm form(nullptr, dialog);
        QCOMPARE(form.old_name()->text(), QString::fromUtf8("R\xC3\xA9sum\xC3\xA9"));
        QCOMPARE(form.new_name()->text(), form.old_name()->text());
        form.new_name()->setText(QString(40, 'x'));
        QCOMPARE(form.new_name()->text().size(), 30);
        form.new_name()->setText(QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
        form.ok_button()->click();
        QCOMPARE(dialog.new_name, std::string("\xE9t\xE9"));
    }

    void new_directory_offers_new_folder() {
        NewDirectoryDialog dialog;
        NewDirectoryForm form(nullptr, dialog);
        QCOMPARE(form.folder_name()->text(), QString("New folder"));
        form.folder_name()->setText(QString(50, 'x'));
        QCOMPARE(form.folder_name()->text().size(), 39);
        form.folder_name()->setText("Projects");
        form.ok_button()->click();
        QCOMPARE(dialog.folder_name, std::string("Projects"));
    }
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::NameFormsTest)
#include "name_forms_test.moc"
