// The dump window driven offscreen on a volume made by hfsutils: its size,
// title and menu states, the lines painted in four blocks of eight, the
// scroll bar and keys moving through the fork, and "Back to Main Screen".

#include <QAction>
#include <QScrollBar>
#include <QtTest>

#include "app/dump_command.h"
#include "gui/dialog_registry.h"
#include "gui/dump_window.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/session.h"
#include "volume/discovery.h"

namespace korvane::gui {

class DumpWindowTest : public QObject {
    Q_OBJECT

    korvane::testing::ScratchDir dir;
    std::unique_ptr<korvane::testing::Session> session;
    std::unique_ptr<korvane::testing::HfsutilsVolume> volume;

private slots:
    void init_test_case() {
        volume = std::make_unique<korvane::testing::HfsutilsVolume>(dir, "dump.img", 800);
        volume->addFile(":text", std::string(2048, 'x'));
        volume->unmount();
        session = std::make_unique<korvane::testing::Session>(volume->image());
        QVERIFY(analyze_volume(session->ctx) > 0);
    }

    void shows_the_fork_in_four_blocks_and_scrolls() {
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
    void the_host_runs_the_window_until_back_to_main_screen() {
        auto state = DumpState::open(session->ctx, "text");
        QVERIFY(state);
        DumpWindowDialog dialog(*state);
        const QtDialogs::Runner* runner = QtDialogs::instance().find("filedump");
        QVERIFY(runner);
        bool seen = false;
        testing::when_modal_opens([&seen](QWidget* modal) {
            auto* window = qobject_cast<DumpWindow*>(modal);
            seen = window != nullptr;
            if (window) window->action(dump_cmd::kBackToMainScreen)->trigger();
        });
        QCOMPARE((*runner)(nullptr, dialog), kDialogOk);
        QVERIFY(seen);
    }
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::DumpWindowTest)
#include "dump_window_test.moc"
