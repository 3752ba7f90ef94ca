// The Qt forms driven offscreen. The copy dialogs: the destination browser
// with real directories, the naming options and ports setting
// output_options at once, and "Copy PC -> Mac" over real files. The forms
// that ask for a name, a file's attributes or the settings of a format:
// what they show, how much they read, the answer they leave in their
// dialog; and a whole rescue run from its Start button.

#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/context.h"
#include "gui/attribute_forms.h"
#include "gui/copy_to_mac_form.h"
#include "gui/maintenance_forms.h"
#include "gui/name_forms.h"
#include "gui/transfer_destination_form.h"
#include "gui/transfer_dos_name_form.h"
#include "gui/transfer_option_forms.h"
#include "hfs/attribute_dialogs.h"
#include "hfs/name_dialogs.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "transfer/copy_to_mac_dialog.h"
#include "transfer/output_port.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_dialogs.h"
#include "volume/format_dialogs.h"
#include "volume/rescue_dialog.h"

namespace korvane::gui {
namespace {

namespace fs = std::filesystem;

// Answers "New Directory" without a second modal loop.
class ScriptedDestinationForm : public DestinationForm {
public:
    using DestinationForm::DestinationForm;
    QString answer;
    QString offered;
    bool ask_new_directory_name(QString& name) override {
        offered = name;
        name = answer;
        return true;
    }
};

QStringList texts(QListWidget* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
    return result;
}

QListWidgetItem* item_named(QListWidget* list, const QString& text) {
    auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

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

private:
    testing::ScriptedHost host;
    Context ctx{host};
    fs::path saved = fs::current_path();
    fs::path root;

private slots:
    void init() {
        char pattern[] = "/tmp/korvane-forms-XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root / "alpha" / "deeper");
        fs::create_directories(root / "beta");
        fs::current_path(root);
        ctx.state.output_options = 0;
    }

    void cleanup() {
        fs::current_path(saved);
        fs::remove_all(root);
    }

    void destination_lists_directories_in_brackets_and_steps() {
        DestinationDialog dialog(ctx, false);
        ScriptedDestinationForm form(nullptr, dialog);
        QCOMPARE(texts(form.directories()), (QStringList{"[..]", "[alpha]", "[beta]"}));
        QVERIFY(texts(form.drives()).contains("/"));
        QVERIFY2(!texts(form.drives()).contains("/proc"), "no pseudo file systems");

        emit form.directories()->itemDoubleClicked(item_named(form.directories(), "[alpha]"));
        QCOMPARE(fs::current_path(), root / "alpha");
        QVERIFY(form.path_label()->text().endsWith("alpha/"));
        QVERIFY(form.path_label()->text().size() <= 30);
        QCOMPARE(texts(form.directories()), (QStringList{"[..]", "[deeper]"}));

        form.parent_button()->click();
        QCOMPARE(fs::current_path(), root);

        form.answer = "made here";
        form.create_button()->click();
        QCOMPARE(form.offered, QString("DIR"));
        QVERIFY(fs::is_directory(root / "made here"));
        QCOMPARE(fs::current_path(), root / "made here");

        form.root_button()->click();
        QVERIFY(fs::current_path().has_root_path());
        QCOMPARE(form.path_label()->text().left(1), QString("/"));
    }

    // Both forms set output_options at once: Cancel restores the naming
    // mode and the close box keeps it; every close keeps the port.
    void naming_options_and_ports_set_at_once() {
        ctx.state.output_options = with_output_port(0, 2);  // LPT2
        NamingOptionsDialog dialog(ctx);
        NamingOptionsForm form(nullptr, dialog);
        QVERIFY(form.modes()->button(0)->isChecked());
        form.modes()->button(2)->click();
        QCOMPARE(ctx.state.output_options, 0x202u);
        form.cancel_button()->click();
        QCOMPARE(ctx.state.output_options, 0x200u);
        NamingOptionsForm closed(nullptr, dialog);
        closed.show();
        closed.modes()->button(1)->click();
        closed.close();
        QCOMPARE(ctx.state.output_options, 0x201u);

        OutputPortsDialog ports_dialog(ctx);
        OutputPortsForm ports(nullptr, ports_dialog);
        QVERIFY(ports.ports()->button(2)->isChecked());
        QCOMPARE(ports.ports()->button(6)->text(), QString("COM3"));
        ports.ports()->button(6)->click();
        ports.cancel_button()->click();
        QCOMPARE(ctx.state.output_options, 0x601u);
    }

    // The files listed through the character sets, the selection copied by
    // its exact name; Enter in the mask field closes nothing; with no file
    // listed and no directory selected nothing is copied.
    void copy_to_mac_lists_masks_and_copies_the_selected_names() {
        std::ofstream(root / "r\xC3\xA9sum\xC3\xA9.txt") << "12345";
        std::ofstream(root / "a*") << "12";
        std::ofstream(root / "two.doc") << "22";
        std::vector<std::string> patterns;
        CopyToMacDialog dialog(ctx, [&patterns](TransferContext&, std::string_view pattern) {
            patterns.emplace_back(pattern);
            return 0;
        });
        CopyToMacForm form(nullptr, dialog);
        QCOMPARE(form.mask_field()->text(), QString("*.*"));
        QCOMPARE(texts(form.files()), (QStringList{"a*", QString::fromUtf8("r\xC3\xA9sum\xC3\xA9.txt"), "two.doc"}));
        QCOMPARE(form.total_label()->text(), QString("9"));
        QCOMPARE(texts(form.directories()), (QStringList{"[..]", "[alpha]", "[beta]"}));
        form.files()->item(0)->setSelected(true);
        QCOMPARE(form.total_label()->text(), QString("2"));
        form.selection_button()->click();
        QCOMPARE(patterns, std::vector<std::string>{"a\\*"});
        QCOMPARE(form.result(), 1);

        CopyToMacForm masked(nullptr, dialog);
        masked.show();
        masked.mask_field()->setText("*.doc");
        QTest::keyClick(masked.mask_field(), Qt::Key_Return);
        QVERIFY(masked.isVisible());
        QCOMPARE(texts(masked.files()), QStringList{"two.doc"});
        QCOMPARE(masked.total_label()->text(), QString("2"));
        emit masked.directories()->itemDoubleClicked(item_named(masked.directories(), "[alpha]"));
        QCOMPARE(fs::current_path(), root / "alpha");
        QVERIFY(masked.path_label()->text().endsWith("alpha/"));
        QCOMPARE(masked.total_label()->text(), QString(""));
        masked.all_files_button()->click();
        masked.directory_button()->click();
        QVERIFY(masked.isVisible());
        masked.cancel_button()->click();
        QCOMPARE(masked.result(), 0);
        QCOMPARE(patterns.size(), std::size_t{1});
    }

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
