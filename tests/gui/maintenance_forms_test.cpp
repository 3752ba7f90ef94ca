// The forms of Format and Medium Scanning, driven offscreen: what they show
// and the answers they leave in their dialogs; a whole rescue run from the
// Start button.

#include <QtTest>
#include <filesystem>
#include <fstream>

#include "gui/maintenance_forms.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "transfer/transfer_context.h"
#include "volume/format_dialogs.h"
#include "volume/rescue_dialog.h"

namespace korvane::gui {

class MaintenanceFormsTest : public QObject {
    Q_OBJECT
private slots:
    void formatting_reads_the_name_and_the_bare_choice() {
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
    }

    void capacity_gives_the_size_of_the_button_chosen() {
        CapacityDialog dialog;
        CapacityForm form(nullptr, dialog);
        QCOMPARE(form.windowTitle(), QString("Data medium to format"));
        QCOMPARE(form.size_buttons().size(), std::size_t{9});
        QCOMPARE(form.size_buttons()[4]->text(), QString("270 MB"));
        form.size_buttons()[4]->setChecked(true);
        form.ok_button()->click();
        QCOMPARE(dialog.capacity_for(kDialogOk), 524288u);
        CapacityDialog none;
        QCOMPARE(none.capacity_for(kDialogOk), 0u);
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

QTEST_MAIN(korvane::gui::MaintenanceFormsTest)
#include "maintenance_forms_test.moc"
