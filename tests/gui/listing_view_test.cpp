// The listing as painted and clicked: rows at y = 72 + r x line height, two
// cells per row in the short listing, selected cells inverted, clicks that
// toggle an entry, the wheel, the pop-up menu of a right click, "[No file]"
// and the header of an open volume.

#include <QAction>
#include <QMenu>
#include <QtTest>

#include "gui/panel_painter.h"
#include "tests/gui/gui_fixture.h"

using namespace korvane;
using namespace korvane::gui;
using korvane::gui::testing::GuiFixture;
using korvane::gui::testing::has_dark_pixel;

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
        listed.push_back(i % 3 == 0 ? testing::listing_entry("A", ListingEntry::kFolder, "   <DIR>")
                                    : testing::listing_entry("A", ListingEntry::kFile, "     12k"));
    return listed;
}

}  // namespace

class ListingViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> gui;

    QRgb pixel_at(int x, int row) const { return gui->client_image().pixel(x, gui->row_middle(row)); }

private slots:
    void init() { gui = std::make_unique<GuiFixture>(); }
    void cleanup() { gui.reset(); }

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
            gui->open_listing(std::vector(2, testing::listing_entry(name, ListingEntry::kFile, "        ")));
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
        QCOMPARE(pixel_at(w / 2 + 150, 1), testing::inverted_light_gray());
        QCOMPARE(pixel_at(150, 1), testing::light_gray());

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
        QCOMPARE(pixel_at(150, 4), testing::inverted_light_gray());
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

QTEST_MAIN(ListingViewTest)
#include "listing_view_test.moc"
