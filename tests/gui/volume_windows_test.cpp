// The windows on a real volume made by hfsutils. The main window: start-up
// opens the volume (its catalog is large enough for a progress bar, which is
// gone afterwards), the title names it, a double click enters a folder,
// Parent goes back, and "Command line" runs lines. The dump window: its
// size, title and menu states, the lines painted in four blocks of eight,
// the scroll bar and keys moving through the fork, "Back to Main Screen".

#include <string>

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "app/dump_command.h"
#include "app/startup.h"
#include "gui/command_line_form.h"
#include "gui/dialog_registry.h"
#include "gui/dump_window.h"
#include "gui/volume_info_form.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/session.h"
#include "volume/discovery.h"

namespace korvane::gui {

using testing::GuiFixture;
using testing::when_modal_opens;

class VolumeWindowsTest : public QObject {
    Q_OBJECT

    korvane::testing::ScratchDir scratch;
    std::string image;
    std::unique_ptr<korvane::testing::Session> session;

    // Alt+C opens "Command line"; the line is typed, then Execute or Cancel.
    static void type_command_line(GuiFixture& gui, const char* line, bool execute) {
        when_modal_opens(
                [line, execute](QWidget* form) {
                    auto* command = static_cast<CommandLineForm*>(form);
                    QVERIFY(command->line()->text().isEmpty());
                    QTest::keyClicks(command->line(), line);
                    (execute ? command->execute_button() : command->cancel_button())->click();
                },
                "Command line");
        QTest::keyClick(gui.window.get(), Qt::Key_C, Qt::AltModifier);
    }

private slots:
    void init_test_case() {
        korvane::testing::HfsutilsVolume volume(scratch, "browse.hda", 40 * 1024, "Browse Vol");
        volume.add_folder(":Inner");
        volume.addFile(":Inner:Note", "hello\n");
        volume.addFile(":text", std::string(2048, 'x'));
        volume.unmount();
        image = volume.image();
        session = std::make_unique<korvane::testing::Session>(image);
        QVERIFY(analyze_volume(session->ctx) > 0);
    }

    void double_click_enters_a_folder_parent_returns_and_lines_run() {
        GuiFixture gui;
        QVERIFY(init_application(gui.ctx, {"/A00", image}, FrontEnd::Window));
        gui.host.command_finished();
        update_menus(gui.ctx);
        gui.window->apply_menu_state();
        gui.window->update_title();
        QCOMPARE(gui.window->windowTitle(), QString("Korvane : Browse Vol"));
        QVERIFY2(!gui.window->client()->progress(), "the catalog copy's progress bar is cleared");
        QVERIFY2(!gui.window->button(4)->isEnabled(), "Parent is disabled in the root");
        QCOMPARE(int(gui.ctx.state.entries.size()), 2);

        QTest::mouseDClick(gui.window->client(), Qt::LeftButton, {}, QPoint(40, gui.row_middle(0)));
        QVERIFY(gui.ctx.state.current_path.find("Inner") != std::string::npos);
        QCOMPARE(int(gui.ctx.state.entries.size()), 1);
        QVERIFY2(gui.window->button(4)->isEnabled(), "Parent is enabled inside a folder");
        QTest::mouseClick(gui.window->button(4), Qt::LeftButton);
        QCOMPARE(gui.ctx.state.current_dir_id, 2u);
        QVERIFY(!gui.window->button(4)->isEnabled());

        // Execute runs the line with the parser and table of korvane-cmd,
        // then what the line posted, after the form closed.
        type_command_line(gui, "dir /e", true);
        QVERIFY(gui.window->action(cmd::kExtendedListing)->isChecked());
        type_command_line(gui, "CD Inner", false);
        QCOMPARE(gui.ctx.state.current_dir_id, 2u);
        type_command_line(gui, "CD Inner", true);
        QVERIFY(gui.ctx.state.current_path.find("Inner") != std::string::npos);
        QString volume_size;
        when_modal_opens(
                [&volume_size](QWidget* form) {
                    auto* info = static_cast<VolumeInfoForm*>(form);
                    volume_size = info->value_of("Volume Size:")->text();
                    info->ok_button()->click();
                },
                "Informations about the Macintosh volume");
        type_command_line(gui, "INFO", true);
        QCOMPARE(volume_size.toStdString(),
                 std::to_string(gui.ctx.mdb.allocation_blocks() * std::uint64_t{gui.ctx.geometry.allocBlockSize}));
        shutdown_application(gui.ctx);
    }

    void dump_window_shows_the_fork_in_four_blocks_and_scrolls() {
        auto state = DumpState::open(session->ctx, "text");
        QVERIFY(state);
        DumpWindow window(nullptr, *state);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(615, 435));
        QCOMPARE(window.windowTitle(), QString("Dumping file \"text\""));
        QVERIFY(window.action(dump_cmd::kData)->isChecked());
        QVERIFY(!window.action(dump_cmd::kResource)->isEnabled());
        QVERIFY(window.action(dump_cmd::kMacintosh)->isChecked());
        QVERIFY(window.action(dump_cmd::kDecimal)->isChecked());
        QCOMPARE(window.scroll_bar()->maximum(), 16);

        // Rows 0-7 hold lines, row 8 is empty, row 9 holds the ninth line.
        const QImage image = window.text_area()->grab().toImage();
        const int line = window.line_height();
        QVERIFY(line > 0);
        const int width = window.text_area()->width();
        QVERIFY(testing::has_dark_pixel(image, QRect(0, 7 * line, width, line)));
        QVERIFY(!testing::has_dark_pixel(image, QRect(0, 8 * line + 1, width, line - 2)));
        QVERIFY(testing::has_dark_pixel(image, QRect(0, 9 * line, width, line)));
        QVERIFY(testing::has_dark_pixel(image, QRect(0, 34 * line, width, line)));  // the 32nd line
        QVERIFY(35 * line <= image.height());

        struct Step {
            std::function<void()> act;
            std::uint32_t position;
        } steps[] = {
                {[&] { QTest::keyClick(&window, Qt::Key_End); }, 1536},
                {[&] { window.scroll_bar()->triggerAction(QAbstractSlider::SliderSingleStepSub); }, 1408},
                {[&] { QTest::keyClick(&window, Qt::Key_Up); }, 896},
                {[&] { window.scroll_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd); }, 1408},
                {[&] { QTest::keyClick(&window, Qt::Key_Home); }, 0},
                {[&] { QTest::keyClick(&window, Qt::Key_Down); }, 512},
                {[&] { window.scroll_bar()->setSliderPosition(10); }, 1280},  // as the wheel moves it
                {[&] { window.scroll_bar()->triggerAction(QAbstractSlider::SliderPageStepSub); }, 768},
        };
        for (const Step& step : steps) {
            step.act();
            QCOMPARE(state->position(), step.position);
            QCOMPARE(window.scroll_bar()->value(), static_cast<int>(step.position / 128));
        }
        window.action(dump_cmd::kHexadecimal)->trigger();
        QVERIFY(window.action(dump_cmd::kHexadecimal)->isChecked());
        QVERIFY(!window.action(dump_cmd::kDecimal)->isChecked());
        QCOMPARE(QString::fromStdString(state->screen_lines()[0].substr(0, 8)), QString("00000300"));
        window.action(dump_cmd::kBackToMainScreen)->trigger();
        QVERIFY(!window.isVisible());
    }

    // The Qt host runs the window for the engine's "filedump".
    void the_host_runs_the_dump_window_until_back_to_main_screen() {
        auto state = DumpState::open(session->ctx, "text");
        QVERIFY(state);
        DumpWindowDialog dialog(*state);
        const QtDialogs::Runner* runner = QtDialogs::instance().find("filedump");
        QVERIFY(runner);
        bool seen = false;
        when_modal_opens([&seen](QWidget* modal) {
            auto* window = qobject_cast<DumpWindow*>(modal);
            seen = window != nullptr;
            if (window) window->action(dump_cmd::kBackToMainScreen)->trigger();
        });
        QCOMPARE((*runner)(nullptr, dialog), kDialogOk);
        QVERIFY(seen);
    }
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::VolumeWindowsTest)
#include "volume_windows_test.moc"
