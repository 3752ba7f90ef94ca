// The window on a real volume made by hfsutils: start-up opens it (its
// catalog is large enough for a progress bar, which is gone afterwards), the
// title names it, a double click enters a folder and Parent goes back.

#include <cstdlib>
#include <string>

#include <QPushButton>
#include <QtTest>

#include "app/listing_view.h"
#include "app/menu_state.h"
#include "app/startup.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/scratch_dir.h"

using namespace korvane;
using korvane::gui::testing::GuiFixture;

class BrowseVolumeTest : public QObject {
    Q_OBJECT

    korvane::testing::ScratchDir scratch;
    std::string image;

    static std::string quoted(const std::string& text) { return "'" + text + "'"; }

    int row_middle(GuiFixture& gui, int row) const {
        int line = gui.window->client()->line_height();
        return 72 + row * line + line / 2;
    }

private slots:
    void initTestCase() {
        image = scratch / "browse.hda";
        // HOME in the scratch folder: hmount keeps its state there.
        const std::string make = "cd " + quoted(scratch.path()) + " && export HOME=$PWD && " +
                                 "truncate -s 40M browse.hda && " +
                                 "hformat -l 'Browse Vol' browse.hda >/dev/null && hmkdir ':Inner' && " +
                                 "echo hello > note.txt && hcopy -r note.txt ':Inner:Note' && humount >/dev/null";
        if (std::system(make.c_str()) != 0) QSKIP("hfsutils is not installed");
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
};

QTEST_MAIN(BrowseVolumeTest)
#include "browse_volume_test.moc"
