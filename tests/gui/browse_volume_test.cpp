// The window on a real volume made by hfsutils: start-up opens it (its
// catalog is large enough for a progress bar, which is gone afterwards), the
// title names it, a double click enters a folder and Parent goes back.

#include <string>
#include <vector>

#include <QPushButton>
#include <QtTest>

#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/startup.h"
#include "gui/command_line_form.h"
#include "gui/volume_info_form.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"

using namespace korvane;
using korvane::gui::testing::GuiFixture;
using korvane::gui::testing::when_modal_opens;

class BrowseVolumeTest : public QObject {
    Q_OBJECT

    korvane::testing::ScratchDir scratch;
    std::string image;

    int row_middle(GuiFixture& gui, int row) const {
        int line = gui.window->client()->line_height();
        return 72 + row * line + line / 2;
    }

private slots:
    void init_test_case() {
        korvane::testing::HfsutilsVolume volume(scratch, "browse.hda", 40 * 1024, "Browse Vol");
        volume.add_folder(":Inner");
        volume.addFile(":Inner:Note", "hello\n");
        volume.unmount();
        image = volume.image();
    }

    void double_click_enters_a_folder_and_parent_returns() {
        GuiFixture gui;
        QVERIFY(init_application(gui.ctx, {"/A00", image}, FrontEnd::Window));
        gui.host.command_finished();
        update_menus(gui.ctx);
        gui.window->apply_menu_state();
        gui.window->update_title();
        QCOMPARE(gui.window->windowTitle(), QString("Korvane : Browse Vol"));
        QVERIFY2(!gui.window->client()->progress(), "the catalog copy's progress bar is cleared");
        QCOMPARE(gui.ctx.state.current_dir_id, 2u);
        QVERIFY2(!gui.window->button(4)->isEnabled(), "Parent is disabled in the root");
        QCOMPARE(int(gui.ctx.state.entries.size()), 1);

        QTest::mouseDClick(gui.window->client(), Qt::LeftButton, {}, QPoint(40, row_middle(gui, 0)));
        QVERIFY(gui.ctx.state.current_dir_id != 2u);
        QCOMPARE(int(gui.ctx.state.entries.size()), 1);
        QVERIFY2(gui.window->button(4)->isEnabled(), "Parent is enabled inside a folder");
        QVERIFY(gui.ctx.state.current_path.find("Inner") != std::string::npos);

        QTest::mouseClick(gui.window->button(4), Qt::LeftButton);
        QCOMPARE(gui.ctx.state.current_dir_id, 2u);
        QVERIFY(!gui.window->button(4)->isEnabled());
        shutdown_application(gui.ctx);
    }

    // Alt+C opens "Command line"; Execute runs the line with the parser and
    // table of korvane-cmd, then what the line posted, after the form closed.
    void command_line_runs_a_line_then_what_it_posted() {
        GuiFixture gui;
        QVERIFY(init_application(gui.ctx, {"/A00", image}, FrontEnd::Window));
        gui.host.command_finished();
        update_menus(gui.ctx);
        gui.window->apply_menu_state();
        QVERIFY(gui.window->action(cmd::kCommandLine)->isEnabled());
        QVERIFY(gui.window->action(cmd::kVolumeInfo)->isEnabled());

        type_command_line(gui, "dir /e", true);
        QVERIFY(gui.window->action(cmd::kExtendedListing)->isChecked());
        QVERIFY((gui.ctx.state.option_flags & kListingExtended) != 0);
        type_command_line(gui, "CD Inner", false);  // Cancel: nothing runs
        QCOMPARE(gui.ctx.state.current_dir_id, 2u);
        type_command_line(gui, "CD Inner", true);
        QVERIFY(gui.ctx.state.current_path.find("Inner") != std::string::npos);

        // INFO posts Volume Information, which opens once "Command line" has closed.
        QString volume_size;
        when_modal_opens(
                [&volume_size](QWidget* form) {
                    auto* info = static_cast<gui::VolumeInfoForm*>(form);
                    volume_size = info->value_of("Volume Size:")->text();
                    info->ok_button()->click();
                },
                "Informations about the Macintosh volume");
        type_command_line(gui, "INFO", true);
        QCOMPARE(volume_size.toStdString(),
                 std::to_string(gui.ctx.mdb.allocation_blocks() * std::uint64_t{gui.ctx.geometry.allocBlockSize}));
        shutdown_application(gui.ctx);
    }

private:
    static void type_command_line(GuiFixture& gui, const char* line, bool execute) {
        when_modal_opens(
                [line, execute](QWidget* form) {
                    auto* command = static_cast<gui::CommandLineForm*>(form);
                    QVERIFY(command->line()->text().isEmpty());
                    QTest::keyClicks(command->line(), line);
                    (execute ? command->execute_button() : command->cancel_button())->click();
                },
                "Command line");
        QTest::keyClick(gui.window.get(), Qt::Key_C, Qt::AltModifier);
    }
};

QTEST_MAIN(BrowseVolumeTest)
#include "browse_volume_test.moc"
