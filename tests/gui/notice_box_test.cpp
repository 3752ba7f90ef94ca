// The notice box closes by itself after five seconds and then leaves "#" and
// its text in an open log; answered in time it leaves nothing. Questions carry
// the caption "Korvane"; the log dialog's buttons open and close the log.

#include <cstdio>
#include <fstream>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "core/dialog.h"
#include "core/log_file.h"
#include "core/notices.h"
#include "gui/notice_box.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/scratch_dir.h"

using namespace korvane;
using namespace korvane::gui;
using korvane::gui::testing::GuiFixture;
using korvane::gui::testing::when_modal_opens;
using korvane::testing::read_all;

class NoticeBoxTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> gui;
    std::unique_ptr<korvane::testing::ScratchDir> dir;
    std::string log_path;

    void open_log() { gui->ctx.log.adopt(std::fopen(log_path.c_str(), "w+b")); }

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

    void unanswered_notice_closes_by_itself_and_is_logged() {
        open_log();
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

    void answered_notice_leaves_nothing_in_the_log() {
        open_log();
        when_modal_opens([](QWidget* box) { QTest::mouseClick(box->findChild<QPushButton*>("ok1"), Qt::LeftButton); });
        show_notice(gui->ctx, "Drive not ready or no floppy disk.");
        gui->ctx.log.close_file();
        QCOMPARE(read_all(log_path), std::string());
    }

    void questions_carry_the_caption_and_answer() {
        QString caption;
        when_modal_opens([&caption](QWidget* box) {
            caption = box->windowTitle();
            static_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!gui->host.ask_ok_cancel("Deleting several files/directories?"));
        QCOMPARE(caption, QString("Korvane"));
        when_modal_opens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY2(gui->host.ask_yes_no("You hit the Esc key. Do you really want to abort?"), "Yes is the default");
    }

    void escape_during_a_command_asks_before_aborting() {
        gui->host.queue_key(Qt::Key_A);
        QVERIFY2(!gui->host.escape_requested(), "other keys are consumed and ignored");
        QVERIFY(!gui->host.has_pending_keys());
        gui->host.queue_key(Qt::Key_Escape);
        when_modal_opens([](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
        QVERIFY(!gui->host.escape_requested());
        gui->host.queue_key(Qt::Key_Escape);
        when_modal_opens([](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
        QVERIFY(gui->host.escape_requested());
    }

    void log_dialog_creates_and_closes_the_log() {
        std::ofstream(log_path) << "old lines\n";
        bool create_was_enabled = false, close_was_enabled = true;
        when_modal_opens([&](QWidget* form) {
            QCOMPARE(form->windowTitle(), QString("Log File Management"));
            form->findChild<QLineEdit*>("edit147")->setText(QString::fromStdString(log_path));
            create_was_enabled = form->findChild<QPushButton*>("create144")->isEnabled();
            close_was_enabled = form->findChild<QPushButton*>("close146")->isEnabled();
            QTest::mouseClick(form->findChild<QPushButton*>("create144"), Qt::LeftButton);
            QVERIFY(!form->findChild<QPushButton*>("create144")->isEnabled());
            QVERIFY(form->findChild<QPushButton*>("close146")->isEnabled());
            QTest::mouseClick(form->findChild<QPushButton*>("ok101"), Qt::LeftButton);
        });
        gui->window->run_command(131);
        QVERIFY(create_was_enabled);
        QVERIFY(!close_was_enabled);
        QVERIFY(gui->ctx.log.is_open());
        QVERIFY2(gui->window->action(131)->isChecked(), "the Log File item is checked while a log is open");
        QCOMPARE(read_all(log_path), std::string());  // Create empties the file
        QCOMPARE(gui->ctx.state.log_file_name, log_path);

        when_modal_opens([](QWidget* form) {
            QTest::mouseClick(form->findChild<QPushButton*>("close146"), Qt::LeftButton);
            QTest::keyClick(form, Qt::Key_Escape);
        });
        gui->window->run_command(131);
        QVERIFY(!gui->ctx.log.is_open());
        QVERIFY(!gui->window->action(131)->isChecked());
    }
};

QTEST_MAIN(NoticeBoxTest)
#include "notice_box_test.moc"
