// The main window as the user meets it: the status line and the progress
// bar, the accelerators, menu help on the status line, the exit question,
// the self-closing notice box and its log line, questions with the caption
// "Korvane", Esc during a command, and the log dialog. The listing as
// painted and clicked: rows at y = 72 + r x line height, two cells per row
// in the short listing, selected cells inverted, clicks that toggle an
// entry, the wheel, the pop-up menu of a right click, "[No file]" and the
// header of an open volume.

#include <cstdio>
#include <fstream>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/check_command.h"
#include "core/messages.h"
#include "core/notices.h"
#include "gui/notice_box.h"
#include "gui/panel_painter.h"
#include "gui/quit_dialog.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/scratch_dir.h"

using namespace korvane;
using namespace korvane::gui;
using korvane::gui::testing::GuiFixture;
using korvane::gui::testing::has_dark_pixel;
using korvane::gui::testing::inverted_light_gray;
using korvane::gui::testing::light_gray;
using korvane::gui::testing::listing_entry;
using korvane::gui::testing::when_modal_opens;
using korvane::testing::read_all;

namespace {

// The character of the set that the font draws widest.
QChar widest_of(const QFontMetrics& metrics, const QString& characters) {
    QChar widest = characters.front();
    for (QChar c : characters)
        if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(widest)) widest = c;
    return widest;
}

// Every third entry a folder, beginning with the first.
std::vector<ListingEntry> entries(std::size_t count) {
    std::vector<ListingEntry> listed;
    for (std::size_t i = 0; i < count; ++i)
        listed.push_back(i % 3 == 0 ? listing_entry("A", ListingEntry::kFolder, "   <DIR>")
                                    : listing_entry("A", ListingEntry::kFile, "     12k"));
    return listed;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> gui;
    std::unique_ptr<korvane::testing::ScratchDir> dir;
    std::string log_path;

    QRgb pixel_at(int x, int row) const { return gui->client_image().pixel(x, gui->row_middle(row)); }

private slots:
    void init() {
        gui = std::make_unique<GuiFixture>();
        dir = std::make_unique<korvane::testing::ScratchDir>();
        log_path = *dir / "transfers.log";
    }
    void cleanup() {
        gui.reset();
        dir.reset();
    }

    // The left status text starts at x = 10; 25 % done inverts the first 50
    // of the bar's 200 pixels, with the percentage drawn over it.
    void status_line_and_progress_bar() {
        set_status(gui->ctx, "Copying", "Please wait");
        show_progress(gui->ctx, 75, 100);
        const QImage image = gui->client_image();
        const int status_top = gui->height() - 20;
        QVERIFY(has_dark_pixel(image, QRect(10, status_top + 1, 12, 19)));
        QVERIFY(!has_dark_pixel(image, QRect(2, status_top + 1, 7, 19)));
        const QRect inside(gui->width() - 203, status_top + 2, 200, 16);
        QCOMPARE(image.pixel(inside.left() - 1, inside.top() - 1), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(inside.left() + 49, inside.top() + 1), inverted_light_gray());
        QCOMPARE(image.pixel(inside.left() + 50, inside.top() + 1), light_gray());
        QVERIFY(has_dark_pixel(image, QRect(inside.left() + 90, inside.top(), 30, inside.height())));
        QCOMPARE(progress_text(progress_percent(93, 100)), QString("07%"));
        QCOMPARE(progress_percent(1, 4000000000u), 99u);  // no overflow on large totals
    }

    void accelerators_dispatch_their_commands() {
        Context& ctx = gui->ctx;
        gui->open_listing(std::vector(40, listing_entry()));
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
        auto status = [this] { return QString::fromStdString(gui->ctx.state.status_text); };
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

    // Esc runs Exit; Esc or No in the question keeps the window, Enter answers Yes.
    void exit_question_answers() {
        MainWindow& w = *gui->window;
        QString title;
        when_modal_opens([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(w.client(), Qt::Key_Escape);
        QCOMPARE(title, QString("Exit Program"));
        QVERIFY(w.isVisible());

        when_modal_opens([](QWidget* dialog) {
            QTest::mouseClick(static_cast<QuitDialog*>(dialog)->no_button(), Qt::LeftButton);
        });
        w.close();
        QVERIFY(w.isVisible());

        when_modal_opens([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        w.close();
        QVERIFY(!w.isVisible());
    }

    // The check report is a scrollable text in the Windows character set, closed with Return.
    void check_volume_report_dialog() {
        CheckReportDialog report;
        report.lines = {"Folder \"R\xE9sum\xE9\" (ID 16) has no thread record.", "1 problem found."};
        QString shown;
        when_modal_opens([&shown](QWidget* dialog) {
            shown = dialog->findChild<QPlainTextEdit*>()->toPlainText();
            QCOMPARE(dialog->windowTitle(), QString("Check volume"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(gui->host.run_dialog(report), kDialogOk);
        QCOMPARE(shown,
                 QString::fromUtf8("Folder \"R\u00e9sum\u00e9\" (ID 16) has no thread record.\n1 problem found."));
    }

    // Answered in time, a notice leaves nothing in the open log; unanswered,
    // it closes by itself after five seconds and leaves "#" and its text.
    void notice_box_closes_by_itself_and_is_logged() {
        gui->ctx.log.adopt(std::fopen(log_path.c_str(), "w+b"));
        when_modal_opens([](QWidget* box) { QTest::mouseClick(box->findChild<QPushButton*>("ok1"), Qt::LeftButton); });
        show_notice(gui->ctx, "Drive not ready or no floppy disk.");
        QString caption, text;
        when_modal_opens([&](QWidget* box) {
            caption = box->windowTitle();
            text = box->findChild<QLabel*>("text1128")->text();
        });
        QElapsedTimer clock;
        clock.start();
        show_notice(gui->ctx, "Not enough space on the volume.");
        QVERIFY(clock.elapsed() >= kNoticeTimeoutMs - 100);
        QCOMPARE(caption, QString("Korvane"));
        QCOMPARE(text, QString("Not enough space on the volume."));
        gui->ctx.log.close_file();
        QCOMPARE(QString::fromStdString(read_all(log_path)), QString("#Not enough space on the volume.\n"));
    }

    void questions_carry_the_caption_and_esc_asks_before_aborting() {
        QString caption;
        when_modal_opens([&caption](QWidget* box) {
            caption = box->windowTitle();
            static_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!gui->host.ask_ok_cancel("Deleting several files/directories?"));
        QCOMPARE(caption, QString("Korvane"));

        gui->host.queue_key(Qt::Key_A);
        QVERIFY2(!gui->host.escape_requested(), "other keys are consumed and ignored");
        QVERIFY(!gui->host.has_pending_keys());
        gui->host.queue_key(Qt::Key_Escape);
        when_modal_opens([](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
        QVERIFY(!gui->host.escape_requested());
        gui->host.queue_key(Qt::Key_Escape);
        when_modal_opens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY2(gui->host.escape_requested(), "Yes is the default");
    }

    void log_dialog_creates_and_closes_the_log() {
        std::ofstream(log_path) << "old lines\n";
        bool create_was_enabled = false, close_was_enabled = true;
        when_modal_opens([&](QWidget* form) {
            QCOMPARE(form->windowTitle(), QString("Log File Management"));
            form->findChild<QLineEdit*>("edit147")->setText(QString::fromStdString(log_path));
            auto* create = form->findChild<QPushButton*>("create144");
            auto* close = form->findChild<QPushButton*>("close146");
            create_was_enabled = create->isEnabled();
            close_was_enabled = close->isEnabled();
            QTest::mouseClick(create, Qt::LeftButton);
            QVERIFY(!create->isEnabled());
            QVERIFY(close->isEnabled());
            QTest::mouseClick(form->findChild<QPushButton*>("ok101"), Qt::LeftButton);
        });
        gui->window->run_command(cmd::kLogFile);
        QVERIFY(create_was_enabled);
        QVERIFY(!close_was_enabled);
        QVERIFY(gui->ctx.log.is_open());
        QVERIFY2(gui->window->action(cmd::kLogFile)->isChecked(), "the Log File item is checked while a log is open");
        QCOMPARE(read_all(log_path), std::string());  // Create empties the file
        QCOMPARE(gui->ctx.state.log_file_name, log_path);

        when_modal_opens([](QWidget* form) {
            QTest::mouseClick(form->findChild<QPushButton*>("close146"), Qt::LeftButton);
            QTest::keyClick(form, Qt::Key_Escape);
        });
        gui->window->run_command(cmd::kLogFile);
        QVERIFY(!gui->ctx.log.is_open());
        QVERIFY(!gui->window->action(cmd::kLogFile)->isChecked());
    }

    // Right edges at W/2 + 50, W/2 + 110, W/2 + 211, W - 8 (modified) and
    // W - 16 (signature); each column starts where the one before it ends.
    void widest_texts_fit_between_the_column_edges() {
        QFontMetrics metrics(gui->window->client()->font_used());
        QChar digit = widest_of(metrics, "0123456789");
        QChar letter = widest_of(metrics, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
        QString date = QString("00/00/00 00:00").replace('0', digit);
        QString length = QString(7, digit) + ' ';  // the last digit stands before a blank
        QString signature = QString(8, letter);
        int w = gui->width();
        struct Column {
            const char* name;
            int left, right;
            QString widest;
        } columns[] = {
                {"resource", w / 2 + 50, w / 2 + 110, length}, {"created", w / 2 + 110, w / 2 + 211, date},
                {"modified", w / 2 + 211, w - 8, date},        {"signature", w / 2 + 211, w - 16, signature},
                {"size", w / 2 + 50 - 60, w / 2 + 50, length}, {"short size", w / 2 - 64, w / 2 - 4, length},
        };
        for (const Column& column : columns) {
            int needed = metrics.horizontalAdvance(column.widest), room = column.right - column.left;
            QVERIFY2(needed <= room,
                     qPrintable(QString("%1: %2 pixels for %3").arg(column.name).arg(needed).arg(room)));
        }
    }

    // A name longer than its cell stops at the cell's edge (the columns right of it are blank here).
    void long_names_are_cut_at_their_cell() {
        const char* name = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
        int w = gui->width();
        struct Layout {
            int command;
            int left, width;  // the x range past the name's cell
        } layouts[] = {{cmd::kShortListing, w / 2 - 64, 60}, {cmd::kExtendedListing, w / 2 - 10, 50}};
        for (const Layout& layout : layouts) {
            gui->open_listing(std::vector(2, listing_entry(name, ListingEntry::kFile, "        ")));
            gui->window->run_command(layout.command);
            gui->window->client()->repaint();
            QVERIFY2(!has_dark_pixel(gui->client_image(), QRect(layout.left, 72, layout.width, gui->line())),
                     qPrintable(QString::number(layout.command)));
        }
    }

    void clicks_toggle_and_selected_cells_are_inverted() {
        gui->open_listing(entries(5));
        QWidget* client = gui->window->client();
        int w = gui->width();
        // Short listing: row 1, right half is entry 3.
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, gui->row_middle(1)));
        QVERIFY(is_selected(gui->ctx.state, 3));
        QVERIFY2(gui->window->action(cmd::kCopyToPc)->isEnabled(), "a selection enables the copy");
        QCOMPARE(pixel_at(w / 2 + 150, 1), inverted_light_gray());
        QCOMPARE(pixel_at(150, 1), light_gray());

        // The empty right half of the last row selects nothing; below the rows nothing either.
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, gui->row_middle(2)));
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(40, gui->row_middle(5)));
        QCOMPARE(count_selected(gui->ctx.state), std::size_t(1));
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, gui->row_middle(1)));
        QVERIFY(!is_selected(gui->ctx.state, 3));
        QVERIFY(!gui->window->action(cmd::kCopyToPc)->isEnabled());

        // A wide listing inverts the whole row, one entry a row.
        gui->open_listing(entries(20));
        gui->window->run_command(cmd::kExtendedListing);
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(500, gui->row_middle(4)));
        QVERIFY(is_selected(gui->ctx.state, 4));
        QCOMPARE(pixel_at(150, 4), inverted_light_gray());
        QCOMPARE(int(gui->ctx.state.end_shown), 18);
        QVERIFY(gui->window->action(cmd::kNextScreen)->isEnabled());
    }

    // Each notch of the wheel pages like PgDn and PgUp; halves of a notch add up.
    void the_wheel_pages() {
        gui->open_listing(entries(40));
        QWidget* client = gui->window->client();
        const std::pair<int, int> steps[] = {
                {-60, 0}, {-60, 36}, {-120, 36} /* last screen: grayed */, {120, 0}, {120, 0}};
        for (const auto& [eighths, first_shown] : steps) {
            QPoint at(100, 100);
            QWheelEvent wheel(at, client->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(client, &wheel);
            QCOMPARE(int(gui->ctx.state.first_shown), first_shown);
        }
    }

    // Entry 0 is a folder: a right click selects it, and the pop-up menu
    // offers neither "Dump content" nor "Edit Attributes".
    void right_click_selects_and_offers_the_popup_menu() {
        gui->open_listing(entries(5));
        bool dump_enabled = true, attributes_enabled = true;
        QTimer::singleShot(50, [&] {
            dump_enabled = gui->window->popup_action(cmd::kDump)->isEnabled();
            attributes_enabled = gui->window->popup_action(cmd::kEditAttributes)->isEnabled();
            gui->window->popup_menu()->close();
        });
        QTest::mouseClick(gui->window->client(), Qt::RightButton, {}, QPoint(40, gui->row_middle(0)));
        QVERIFY(is_selected(gui->ctx.state, 0));
        QVERIFY(!dump_enabled);
        QVERIFY(!attributes_enabled);
    }

    void empty_folder_and_header_texts_are_painted() {
        gui->open_listing({});
        QImage image = gui->client_image();
        const int line = gui->line();
        QVERIFY2(has_dark_pixel(image, QRect(200, 100, 60, line)), "[No file]");
        QVERIFY2(has_dark_pixel(image, QRect(10, 36, 60, line)), "KB free : ");
        QVERIFY2(has_dark_pixel(image, QRect(gui->width() / 2 + 9, 36, 60, line)), "KB used : ");
        QVERIFY(!has_dark_pixel(image, QRect(2, 72, 150, 20)));

        gui->ctx.state.volume_start = 0;  // no volume: only the panels
        gui->window->client()->repaint();
        QVERIFY(!has_dark_pixel(gui->client_image(), QRect(10, 36, 60, line)));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
