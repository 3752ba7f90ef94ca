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
#include "tests/gui/gui_fixture.h"
#include "tests/support/hfsutils_volume.h"
#include "tests/support/scratch_dir.h"

using namespace korvane;
using korvane::gui::testing::GuiFixture;

class BrowseVolumeTest : public QObject {
    Q_OBJECT

    korvane::testing::ScratchDir scratch;
    std::string image;

    int row_middle(GuiFixture& gui, int row) const {
        int line = gui.window->client()->line_height();
        return 72 + row * line + line / 2;
    }

private slots:
    void initTestCase() {
        korvane::testing::HfsutilsVolume volume(scratch, "browse.hda", 40 * 1024, "Browse Vol");
        volume.addFolder(":Inner");
        volume.addFile(":Inner:Note", "hello\n");
        QCOMPARE(volume.lines({"hls", "-1", ":Inner"}), std::vector<std::string>{"Note"});
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
};

QTEST_MAIN(BrowseVolumeTest)
#include "browse_volume_test.moc"
