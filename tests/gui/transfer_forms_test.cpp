// The copy dialogs' Qt forms driven offscreen: the destination browser with
// real directories, the naming options and ports setting output_options at
// once, and "Copy PC -> Mac" over real files.

#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/context.h"
#include "gui/copy_to_mac_form.h"
#include "gui/transfer_destination_form.h"
#include "gui/transfer_option_forms.h"
#include "tests/support/scripted_host.h"
#include "transfer/copy_to_mac_dialog.h"
#include "transfer/output_port.h"
#include "transfer/transfer_dialogs.h"

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

}  // namespace

class TransferFormsTest : public QObject {
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
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::TransferFormsTest)
#include "transfer_forms_test.moc"
