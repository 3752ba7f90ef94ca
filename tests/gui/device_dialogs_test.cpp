// The device dialogs driven offscreen: the real forms on a real image bus.

#include <filesystem>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "device/bus_setup.h"
#include "device/device_dialog.h"
#include "device/partition_dialog.h"
#include "device/same_drive_dialog.h"
#include "gui/device_dialogs.h"
#include "gui/dialog_registry.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"

using namespace korvane;

namespace {

template <typename Widget>
Widget* child(QWidget& parent, const char* name) {
    auto* found = parent.findChild<Widget*>(name);
    if (found == nullptr) qFatal("no widget %s", name);
    return found;
}

// Clicks a radio button on its indicator (a stretched row is wider than its hit area).
void click_radio(QRadioButton* radio) {
    QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, QPoint(6, radio->height() / 2));
}

// Clicks a button of the next modal dialog once it is open.
void click_in_modal(const char* name) {
    gui::testing::when_modal_opens(
            [name](QWidget* modal) { QTest::mouseClick(child<QPushButton>(*modal, name), Qt::LeftButton); });
}

}  // namespace

class DeviceDialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    testing::ScriptedHost host;
    DeviceContext ctx{host};

private slots:
    void init_test_case() {
        const std::string base = dir.path().toStdString();
        for (const char* folder : {"/empty", "/full", "/last"}) std::filesystem::create_directory(base + folder);
        testing::zero_file(base + "/full/HD2_512.hda", 100 * 512);
        testing::zero_file(base + "/full/HD5_512.hda", 100 * 512);
        testing::zero_file(base + "/last/MO4_1024.img", 50 * 1024);
        ctx.transport = make_image_bus({}, {base + "/empty", base + "/full", base + "/last"}).bus;
    }

    // The first adapter with drives is shown, none checked; OK without a
    // choice stays and says so; "next host" pre-checks its only drive.
    void form_shows_adapters_and_ok_needs_a_drive() {
        DeviceDialog dialog(ctx, scan_bus(*ctx.transport));
        DeviceSelectionForm form(nullptr, dialog);
        form.show();
        QCOMPARE(child<QLabel>(form, "driver")->text(), QString("Korvane ImageBus"));
        QVERIFY(child<QRadioButton>(form, "target2")->isEnabled());
        QVERIFY(child<QRadioButton>(form, "target5")->isEnabled());
        QVERIFY(!child<QRadioButton>(form, "target0")->isEnabled());
        QVERIFY(!child<QRadioButton>(form, "target2")->isChecked());
        QCOMPARE(child<QLabel>(form, "model2")->text(), QString("HD2_512.hda     "));
        QCOMPARE(child<QLabel>(form, "typ5")->text(), QString("KORVANE "));
        QCOMPARE(child<QLabel>(form, "release5")->text(), QString("1.0 "));
        QVERIFY(child<QPushButton>(form, "preceding_host")->isEnabled());
        QTest::mouseClick(child<QPushButton>(form, "ok"), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(host.notices, std::vector<std::string>{"Please select a drive on the SCSI bus."});
        click_radio(child<QRadioButton>(form, "target5"));
        QCOMPARE(dialog.chosen_target(), std::uint8_t{5});

        QTest::mouseClick(child<QPushButton>(form, "next_host"), Qt::LeftButton);
        QCOMPARE(dialog.adapter(), std::uint8_t{2});
        QVERIFY(child<QRadioButton>(form, "target4")->isChecked());
        QVERIFY(!child<QRadioButton>(form, "target2")->isEnabled());
        QCOMPARE(child<QLabel>(form, "model2")->text(), QString());
        QVERIFY(!child<QPushButton>(form, "next_host")->isEnabled());
        QTest::mouseClick(child<QPushButton>(form, "help"), Qt::LeftButton);
        QCOMPARE(host.help_keys.back(), std::string("dlg_DEV"));
        QTest::mouseClick(child<QPushButton>(form, "ok"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), kDialogOk);
        QCOMPARE(dialog.chosen_target(), std::uint8_t{4});
    }

    void registered_runner_selects_the_drive_with_its_sector_size() {
        // The Qt host's path: select_device_dialog -> run_dialog -> the registered form.
        struct QtLikeHost : testing::ScriptedHost {
            int run_dialog(Dialog& dialog) override {
                const QtDialogs::Runner* runner = QtDialogs::instance().find(dialog.name());
                return runner ? (*runner)(nullptr, dialog) : kDialogCancel;
            }
        } qtHost;
        DeviceContext selecting(qtHost);
        selecting.transport = std::move(ctx.transport);
        gui::testing::when_modal_opens([](QWidget* modal) {
            QTest::mouseClick(child<QPushButton>(*modal, "next_host"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(*modal, "ok"), Qt::LeftButton);
        });
        QCOMPARE(select_device_dialog(selecting), 1);
        QCOMPARE(selecting.state.host_adapter, std::uint8_t{2});
        QCOMPARE(selecting.state.target_id, std::uint8_t{4});
        QCOMPARE(selecting.device.sectorSize, std::uint16_t{1024});
        QCOMPARE(selecting.device.capacity, 49u);
        QVERIFY(selecting.device.transfer == TransferRoutine::Sector1024);

        click_in_modal("cancel");
        QCOMPARE(select_device_dialog(selecting), 0);
        QCOMPARE(selecting.state.target_id, kNoDrive);
        ctx.transport = std::move(selecting.transport);
    }

    void same_drive_buttons_give_their_answers() {
        SameDriveDialog dialog(host);
        const QtDialogs::Runner* runner = QtDialogs::instance().find("DLG_SAME");
        QVERIFY(runner != nullptr);
        const std::pair<const char*, int> cases[] = {
                {"useSame", kUseSameDrive}, {"cancel", kSameDriveCancel}, {"rescan", kRescanBus}};
        for (const auto& [button, answer] : cases) {
            click_in_modal(button);
            QCOMPARE((*runner)(nullptr, dialog), answer);
        }
        SameDriveForm form(nullptr, dialog);
        QTest::mouseClick(child<QPushButton>(form, "help"), Qt::LeftButton);
        QCOMPARE(host.help_keys.back(), std::string("dlg_CAPA"));
    }

    void partition_form_rows_and_ends() {
        host.notices.clear();
        PartitionDialog dialog(ctx, {{"MacOS", 96, 40000}, {"Extra", 40096, 2000}});
        PartitionForm form(nullptr, dialog);
        form.show();
        QVERIFY(child<QRadioButton>(form, "row1")->isEnabled());
        QVERIFY(!child<QRadioButton>(form, "row2")->isEnabled());
        QTest::mouseClick(child<QPushButton>(form, "ok"), Qt::LeftButton);
        QCOMPARE(host.notices, std::vector<std::string>{"Please select a partition on the volume."});
        click_radio(child<QRadioButton>(form, "row1"));
        QTest::mouseClick(child<QPushButton>(form, "ok"), Qt::LeftButton);
        QCOMPARE(form.result(), 1);

        PartitionForm cancelled(nullptr, dialog);
        cancelled.show();
        QTest::mouseClick(child<QPushButton>(cancelled, "cancel"), Qt::LeftButton);
        QCOMPARE(cancelled.result(), kPartitionCancelled);

        PartitionForm closed(nullptr, dialog);
        closed.show();
        closed.close();
        QCOMPARE(closed.result(), kPartitionWindowClosed);
    }
};

QTEST_MAIN(DeviceDialogsTest)
#include "device_dialogs_test.moc"
