// The main window as the user meets it: its fixed size, the function buttons'
// rectangles, the panel bands, the status line and the progress bar, the menu
// tree with its initial states and key texts, the accelerators, menu help on
// the status line and the exit question.

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
        for (auto& entry : ctx.state.entries) entry.bytes[listing_field::kRecordType] = kRecordFile;
        settle_screen(ctx);
        update_menus(ctx);
        gui->window->apply_menu_state();
    }

private slots:
    void init() { gui = std::make_unique<GuiFixture>(); }
    void cleanup() { gui.reset(); }

    void window_is_fixed_and_titled() {
        MainWindow& w = *gui->window;
        QCOMPARE(w.windowTitle(), QString("Korvane"));
        QCOMPARE(w.size(), QSize(640, 425));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(gui->width(), 640);
    }

    void buttons_stand_at_their_places() {
        const char* texts[] = {"Mac->PC", "PC->Mac", "Rename", "Delete", "Parent", "Root"};
        const QRect expected[] = {{12, 4, 90, 25},  {115, 4, 90, 25}, {218, 4, 80, 25},
                                  {311, 4, 80, 25}, {404, 4, 80, 25}, {497, 4, 60, 25}};
        for (std::size_t i = 0; i < kFunctionButtonCount; ++i) {
            QPushButton* button = gui->window->button(i);
            QCOMPARE(button->text(), QString(texts[i]));
            QCOMPARE(button->geometry(), expected[i]);
            QVERIFY2(!button->isEnabled(), "buttons start disabled");
        }
    }

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

    void menu_tree_has_every_item_state_and_key_text() {
        MainWindow& w = *gui->window;
        QCOMPARE(w.menu_count(), std::size_t(4));
        QCOMPARE(w.menu(0)->title(), QString("Mac &Drive"));
        QCOMPARE(w.menu(1)->title(), QString("&File"));
        QCOMPARE(w.menu(2)->title(), QString("&Options"));
        QCOMPARE(w.menu(3)->title(), QString("&Help"));
        // "&Help" sits at the right end of the bar.
        QCOMPARE(w.menuBar()->cornerWidget(Qt::TopRightCorner), static_cast<QWidget*>(w.help_bar()));
        QVERIFY(w.help_bar()->geometry().left() > w.menuBar()->actionGeometry(w.menu(2)->menuAction()).right());

        QCOMPARE(w.action(cmd::kSelectDrive)->text(), QString("&Select Drive\tAlt+D"));
        QCOMPARE(w.action(cmd::kSelectAll)->text(), QString("Select All\tCtl+F10"));
        QCOMPARE(w.action(cmd::kFirstScreen)->text(), QString("First Screen\tCtl+PgUp"));
        QCOMPARE(w.action(cmd::kLockVolume)->text(), QString("Lock volume"));
        for (int grayed : {103, 104, 119, 141, 120}) QVERIFY2(!w.action(grayed)->isEnabled(), qPrintable(QString::number(grayed)));
        QVERIFY(w.action(cmd::kNormalCopy)->isChecked());
        QVERIFY(w.action(cmd::kShortListing)->isChecked());
        QVERIFY(!w.action(cmd::kExtendedListing)->isChecked());

        // Separators after 139, 104 and 137; after 107, 111, 115, 118; after 123, 140, 125, 127, 138.
        auto separators_follow = [](QMenu* menu) {
            QList<int> before;
            int previous = 0;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) before << previous;
                previous = a->data().toInt();
            }
            return before;
        };
        QCOMPARE(separators_follow(w.menu(0)), (QList<int>{139, 104, 137}));
        QCOMPARE(separators_follow(w.menu(1)), (QList<int>{107, 111, 115, 118}));
        QCOMPARE(separators_follow(w.menu(2)), (QList<int>{123, 140, 125, 127, 138}));

        QList<int> popup;
        for (QAction* a : w.popup_menu()->actions()) popup << a->data().toInt();
        QCOMPARE(popup, (QList<int>{106, 112, 113, 114, 115}));
    }

    void no_drive_grays_the_file_menu() {
        Context& ctx = gui->ctx;
        open_listing(3);
        QVERIFY(gui->window->menu(1)->menuAction()->isEnabled());
        QVERIFY(gui->window->button(0)->isEnabled());
        ctx.state.target_id = kNoDrive;
        update_menus(ctx);
        gui->window->apply_menu_state();
        QVERIFY(!gui->window->menu(1)->menuAction()->isEnabled());
        QVERIFY2(gui->window->button(0)->isEnabled(), "Mac->PC keeps its state");
        QVERIFY(!gui->window->button(2)->isEnabled());
    }

    void accelerators_dispatch_their_commands() {
        Context& ctx = gui->ctx;
        open_listing(40);
        QWidget* target = gui->window->client();
        QTest::keyClick(target, Qt::Key_F10, Qt::ControlModifier);
        QCOMPARE(count_selected(ctx.state), std::size_t(40));
        QVERIFY(gui->window->button(3)->isEnabled());
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

    void menu_help_goes_to_the_status_line() {
        Context& ctx = gui->ctx;
        QMenu* file = gui->window->menu(1);
        emit file->hovered(gui->window->action(cmd::kDelete));
        QCOMPARE(QString::fromStdString(ctx.state.status_text), QString("Delete selected items (files or directories)."));
        // "Preceding Screen" has no help line: the text stays.
        emit file->hovered(gui->window->action(cmd::kPrecedingScreen));
        QCOMPARE(QString::fromStdString(ctx.state.status_text), QString("Delete selected items (files or directories)."));
        emit gui->window->menuBar()->hovered(file->menuAction());
        QCOMPARE(QString::fromStdString(ctx.state.status_text), QString("Select a menu or press F1 for help..."));
        emit gui->window->menu(0)->hovered(gui->window->action(cmd::kResetDrive));
        QCOMPARE(QString::fromStdString(ctx.state.status_text),
                 QString("Systematic reset with each read/write operation (required for certain types of SyQuest drives)."));
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

        testing::when_modal_opens([](QWidget* dialog) { QTest::mouseClick(static_cast<QuitDialog*>(dialog)->no_button(), Qt::LeftButton); });
        w.close();
        QVERIFY(w.isVisible());

        // Enter answers Yes: the window closes.
        testing::when_modal_opens([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        w.close();
        QVERIFY(!w.isVisible());
    }

    // "Check volume" is grayed without a drive; its report is a scrollable
    // text in the Windows character set, closed with Return.
    void check_volume_report_dialog() {
        MainWindow& w = *gui->window;
        QCOMPARE(w.action(cmd::kCheckVolume)->text(), QString("Check volume"));
        QVERIFY(w.menu(0)->actions().contains(w.action(cmd::kCheckVolume)));
        QVERIFY(!w.action(cmd::kCheckVolume)->isEnabled());
        CheckReportDialog report;
        report.lines = {"Folder \"R\xE9sum\xE9\" (ID 16) has no thread record.", "1 problem found."};
        QString shown;
        testing::when_modal_opens([&shown](QWidget* dialog) {
            shown = dialog->findChild<QPlainTextEdit*>()->toPlainText();
            QCOMPARE(dialog->windowTitle(), QString("Check volume"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(gui->host.run_dialog(report), kDialogOk);
        QCOMPARE(shown, QString::fromUtf8("Folder \"R\u00e9sum\u00e9\" (ID 16) has no thread record.\n1 problem found."));
    }

    void quit_dialog_help_button_opens_its_page() {
        QuitDialog dialog(gui->window.get());
        QCOMPARE(QString::fromStdString(dialog.help_key()), QString("dlg_QUIT"));
        QTest::mouseClick(dialog.help_button(), Qt::LeftButton);
        QVERIFY(gui->host.help_window() != nullptr);
        QCOMPARE(gui->host.help_window()->current_anchor(), QString("dlg_QUIT"));
        QVERIFY(dialog.yes_button()->isDefault());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
