// The main window as the user meets it: the panel bands, the status line and
// the progress bar, the accelerators, menu help on the status line and the
// exit question.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/check_command.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "core/messages.h"
#include "core/notices.h"
#include "gui/panel_painter.h"
#include "gui/quit_dialog.h"
#include "tests/gui/gui_fixture.h"

using namespace korvane;
using namespace korvane::gui;
using korvane::gui::testing::GuiFixture;

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> gui;

    // A drive with an open root folder of count files, for the keys that need one.
    void open_listing(std::size_t count) {
        Context& ctx = gui->ctx;
        ctx.state.host_adapter = 0;
        ctx.state.target_id = 1;
        ctx.state.current_dir_id = 2;
        ctx.state.entries.assign(count, ListingEntry{});
        for (auto& entry : ctx.state.entries) entry.set_record_type(ListingEntry::kFile);
        settle_screen(ctx);
        update_menus(ctx);
        gui->window->apply_menu_state();
    }

private slots:
    void init() { gui = std::make_unique<GuiFixture>(); }
    void cleanup() { gui.reset(); }

    void panels_status_line_and_progress_bar() {
        Context& ctx = gui->ctx;
        set_status(ctx, "Copying", "Please wait");
        QImage image = gui->client_image();
        int w = gui->width(), status_top = gui->height() - 20;
        // Three raised panels: white top-left edges, dark grey bottom-right edges.
        for (int top : {0, 34, 70, status_top}) QCOMPARE(image.pixel(0, top), QColor(Qt::white).rgb());
        for (int bottom : {33, 69, status_top - 1, gui->height() - 1})
            QCOMPARE(image.pixel(w - 1, bottom), QColor(Qt::darkGray).rgb());
        QCOMPARE(image.pixel(5, 20), testing::light_gray());
        // The left text starts at x = 10, the right one ends 10 pixels from the edge.
        QRect band(0, status_top + 1, w, 19);
        QVERIFY(testing::has_dark_pixel(image, QRect(10, band.top(), 12, band.height())));
        QVERIFY(!testing::has_dark_pixel(image, QRect(2, band.top(), 7, band.height())));
        QVERIFY(testing::has_dark_pixel(image, QRect(w - 22, band.top(), 12, band.height())));
        QVERIFY(!testing::has_dark_pixel(image, QRect(w - 9, band.top(), 7, band.height() - 1)));

        show_progress(ctx, 75, 100);  // 25 %: 50 pixels inverted
        image = gui->client_image();
        QRect inside(w - 203, status_top + 2, 200, 16);
        QCOMPARE(image.pixel(w - 204, status_top + 1), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(inside.left() + 10, inside.top() + 1), testing::inverted_light_gray());
        QCOMPARE(image.pixel(inside.left() + 49, inside.top() + 1), testing::inverted_light_gray());
        QCOMPARE(image.pixel(inside.left() + 50, inside.top() + 1), testing::light_gray());
        QCOMPARE(image.pixel(inside.left() + 180, inside.top() + 1), testing::light_gray());
        QVERIFY(testing::has_dark_pixel(image, QRect(inside.left() + 90, inside.top(), 30, inside.height())));

        show_progress(ctx, 0, 100);
        image = gui->client_image();
        QCOMPARE(image.pixel(inside.right(), inside.top() + 1), testing::inverted_light_gray());
        QCOMPARE(progress_text(progress_percent(0, 100)), QString("100%"));
        QCOMPARE(progress_text(progress_percent(93, 100)), QString("07%"));
        QCOMPARE(progress_text(progress_percent(100, 100)), QString("00%"));
        QCOMPARE(progress_percent(1, 4000000000u), 99u);  // no overflow on large totals
    }

    void accelerators_dispatch_their_commands() {
        Context& ctx = gui->ctx;
        open_listing(40);
        QWidget* target = gui->window->client();
        QTest::keyClick(target, Qt::Key_F10, Qt::ControlModifier);
        QCOMPARE(count_selected(ctx.state), std::size_t(40));
        QVERIFY(gui->window->action(cmd::kCopyToPc)->isEnabled());
        QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(count_selected(ctx.state), std::size_t(0));
        select_entry(ctx.state, 4);
        QTest::keyClick(target, Qt::Key_F10);
        QCOMPARE(count_selected(ctx.state), std::size_t(0));

        QTest::keyClick(target, Qt::Key_PageDown);
        QCOMPARE(int(ctx.state.first_shown), 36);
        QVERIFY(!gui->window->action(cmd::kNextScreen)->isEnabled());
        QTest::keyClick(target, Qt::Key_PageDown);  // grayed: nothing happens
        QCOMPARE(int(ctx.state.first_shown), 36);
        QTest::keyClick(target, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(int(ctx.state.first_shown), 0);

        QTest::keyClick(target, Qt::Key_E, Qt::AltModifier);
        QVERIFY(gui->window->action(cmd::kExtendedListing)->isChecked());
        QVERIFY(!gui->window->action(cmd::kShortListing)->isChecked());
        QTest::keyClick(target, Qt::Key_S, Qt::AltModifier);
        QVERIFY(gui->window->action(cmd::kSignatureListing)->isChecked());
        QTest::keyClick(target, Qt::Key_B, Qt::AltModifier);
        QCOMPARE(ctx.state.option_flags & kCopyModeMask, kCopyMacBinary);
        QVERIFY(gui->window->action(cmd::kBinaryCopy)->isChecked());
        QVERIFY(!gui->window->action(cmd::kNormalCopy)->isChecked());
        QTest::keyClick(target, Qt::Key_R, Qt::AltModifier);
        QCOMPARE(ctx.state.option_flags & kCopyModeMask, kCopyResourceFork);

        QTest::keyClick(target, Qt::Key_F1);
        QVERIFY(gui->host.help_window() != nullptr);
        QCOMPARE(gui->host.help_window()->current_anchor(), QString("index"));
    }

    // Moving through a drop-down of the bar shows each item's help line; an
    // item without one leaves the text; closing the menu brings the idle text back.
    void menu_help_goes_to_the_status_line() {
        Context& ctx = gui->ctx;
        auto status = [&ctx] { return QString::fromStdString(ctx.state.status_text); };
        QMenu* options = gui->window->menu(2);
        gui->window->menuBar()->setActiveAction(options->menuAction());
        QTRY_VERIFY(options->isVisible());
        QCOMPARE(status(), QString("Select a menu or press F1 for help..."));
        QTest::keyClick(options, Qt::Key_Down);
        QCOMPARE(status(), QString("Copy the data fork only (default copy for Macintosh files)."));
        QTest::keyClick(options, Qt::Key_Down);
        QCOMPARE(status(), QString("Copy the resources fork only (Macintosh files)."));
        // "Preceding Screen" has no help line: the text stays.
        emit gui->window->menuBar()->hovered(gui->window->action(cmd::kPrecedingScreen));
        QCOMPARE(status(), QString("Copy the resources fork only (Macintosh files)."));
        QTest::keyClick(options, Qt::Key_Escape);
        QTRY_VERIFY(!options->isVisible());
        QCOMPARE(status(), QString("Select a menu or press F1 for help..."));
    }

    void exit_question_answers() {
        MainWindow& w = *gui->window;
        // Esc runs Exit; Esc in the question answers No and the window stays.
        QString title;
        testing::when_modal_opens([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(w.client(), Qt::Key_Escape);
        QCOMPARE(title, QString("Exit Program"));
        QVERIFY(w.isVisible());

        testing::when_modal_opens([](QWidget* dialog) {
            QTest::mouseClick(static_cast<QuitDialog*>(dialog)->no_button(), Qt::LeftButton);
        });
        w.close();
        QVERIFY(w.isVisible());

        // Enter answers Yes: the window closes.
        testing::when_modal_opens([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        w.close();
        QVERIFY(!w.isVisible());
    }

    // The check report is a scrollable text in the Windows character set, closed with Return.
    void check_volume_report_dialog() {
        CheckReportDialog report;
        report.lines = {"Folder \"R\xE9sum\xE9\" (ID 16) has no thread record.", "1 problem found."};
        QString shown;
        testing::when_modal_opens([&shown](QWidget* dialog) {
            shown = dialog->findChild<QPlainTextEdit*>()->toPlainText();
            QCOMPARE(dialog->windowTitle(), QString("Check volume"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(gui->host.run_dialog(report), kDialogOk);
        QCOMPARE(shown,
                 QString::fromUtf8("Folder \"R\u00e9sum\u00e9\" (ID 16) has no thread record.\n1 problem found."));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
