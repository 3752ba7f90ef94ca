// The forms that ask for a name, a file's attributes or the settings of a
// format, driven offscreen: what they show, how much they read, the answer
// they leave in their dialog; and a whole rescue run from its Start button.

#include <QtTest>
#include <filesystem>

#include "gui/attribute_forms.h"
#include "gui/maintenance_forms.h"
#include "gui/name_forms.h"
#include "gui/transfer_dos_name_form.h"
#include "hfs/attribute_dialogs.h"
#include "hfs/name_dialogs.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_dialogs.h"
#include "volume/format_dialogs.h"
#include "volume/rescue_dialog.h"

namespace korvane::gui {
namespace {

// "Rename" and the name on the fly show the old name, read at most thirty
// characters and hand back the new name in the Windows character set.
template <typename Form, typename NameDialog>
void check_name_form() {
    NameDialog dialog;
    dialog.old_name = "R\xE9sum\xE9";
    dialog.new_name = dialog.old_name;
    Form form(nullptr, dialog);
    QCOMPARE(form.old_name()->text(), QString::fromUtf8("R\xC3\xA9sum\xC3\xA9"));
    QCOMPARE(form.new_name()->text(), form.old_name()->text());
    form.new_name()->setText(QString(40, 'x'));
    QCOMPARE(form.new_name()->text().size(), 30);
    form.new_name()->setText(QString::fromUtf8("caf\xC3\xA9.txt"));
    form.ok_button()->click();
    QCOMPARE(dialog.new_name, std::string("caf\xE9.txt"));
}

AttributesDialog filled_attributes() {
    AttributesDialog dialog;
    dialog.file_name = "Caf\xE9";
    dialog.file_type = "TEXT";
    dialog.creator = "ttxt";
    dialog.created = {1956, 6, 1, 8, 30};  // before the years the field can show
    dialog.modified = {1996, 12, 31, 23, 59};
    return dialog;
}

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
private slots:
    void names_are_read_up_to_their_length() {
        check_name_form<RenameForm, RenameDialog>();
        check_name_form<DosNameForm, DosNameDialog>();

        NewDirectoryDialog dialog;
        NewDirectoryForm form(nullptr, dialog);
        QCOMPARE(form.folder_name()->text(), QString("New folder"));
        form.folder_name()->setText(QString(50, 'x'));
        QCOMPARE(form.folder_name()->text().size(), 39);
        form.folder_name()->setText("Projects");
        form.ok_button()->click();
        QCOMPARE(dialog.folder_name, std::string("Projects"));
    }

    // "Write" hands back the fields with the year field less 1900; "Quit" nothing.
    void attributes_write_or_quit() {
        AttributesDialog dialog = filled_attributes();
        AttributesForm form(nullptr, dialog);
        QCOMPARE(form.file_name()->text(), QString::fromUtf8("Caf\xC3\xA9"));
        QCOMPARE(form.file_name()->maxLength(), 31);
        QCOMPARE(form.modified().year->value(), 96);
        form.file_type()->setText("TEX");
        form.modified().year->setValue(5);
        form.modified().day->setValue(2);
        form.write_button()->click();
        QCOMPARE(form.result(), 1);
        QCOMPARE(dialog.file_type, std::string("TEX"));
        QCOMPARE(dialog.file_name, std::string("Caf\xE9"));
        QVERIFY(dialog.modified == (DateFields{2005, 12, 2, 23, 59}));
        QVERIFY(dialog.created == (DateFields{1956, 6, 1, 8, 30}));

        AttributesDialog quit = filled_attributes();
        AttributesForm quitting(nullptr, quit);
        quitting.file_type()->setText("XXXX");
        quitting.quit_button()->click();
        QCOMPARE(quitting.result(), 0);
        QCOMPARE(quit.file_type, std::string("TEXT"));
    }

    void formatting_reads_the_name_the_bare_choice_and_the_capacity() {
        FormattingDialog dialog;
        dialog.volume_name = "Untitled";
        FormattingForm form(nullptr, dialog);
        QCOMPARE(form.windowTitle(), QString("Formatting"));
        QCOMPARE(form.help_key(), std::string("dlg_FORM"));
        QCOMPARE(form.name_field()->text(), QString("Untitled"));
        QVERIFY(!form.bare_box()->isChecked());
        form.name_field()->setText(QString(40, 'x'));
        QCOMPARE(form.name_field()->text().size(), 26);
        form.name_field()->setText(QString::fromUtf8("Caf\xC3\xA9 Disk  "));
        form.bare_box()->setChecked(true);
        form.ok_button()->click();
        QCOMPARE(dialog.accepted_name(), std::string("Caf\xE9 Disk"));
        QVERIFY(dialog.bare);

        CapacityDialog capacity;
        QCOMPARE(capacity.capacity_for(kDialogOk), 0u);
        CapacityForm sizes(nullptr, capacity);
        QCOMPARE(sizes.windowTitle(), QString("Data medium to format"));
        QCOMPARE(sizes.size_buttons().size(), std::size_t{9});
        QCOMPARE(sizes.size_buttons()[4]->text(), QString("270 MB"));
        sizes.size_buttons()[4]->setChecked(true);
        sizes.ok_button()->click();
        QCOMPARE(capacity.capacity_for(kDialogOk), 524288u);
    }

    void start_rescues_into_the_current_directory_and_shows_the_counters() {
        testing::ScratchDir dir;
        testing::HfsutilsVolume volume(dir, "mac.img", 800);
        volume.add_text_file(":Read Me", "hello");
        volume.unmount();
        std::filesystem::create_directory(dir / "pc");
        const auto saved = std::filesystem::current_path();
        std::filesystem::current_path(dir / "pc");
        testing::ScriptedHost host;
        TransferContext ctx{host};
        testing::select_single_image(ctx, volume.image());
        RescueDialog dialog(ctx);
        RescueForm form(nullptr, dialog);
        QCOMPARE(form.windowTitle(), QString("Rescue Scanning"));
        form.start_button()->click();
        std::filesystem::current_path(saved);
        QCOMPARE(form.number_label()->text(), QString("1"));
        QCOMPARE(form.file_label()->text(), QString("Read Me"));
        QCOMPARE(form.sector_label()->text(), QString("01599"));
        QCOMPARE(testing::read_all(dir / "pc/Read Me.txt"), std::string("hello"));
    }
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::FormsTest)
#include "forms_test.moc"
