// The listing as painted and clicked: rows at y = 72 + r x line height, two
// cells per row in the short listing, selected cells inverted, clicks that
// toggle an entry, the pop-up menu of a right click, "[No file]" and the
// header of an open volume.

#include <cstring>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/listing_view.h"
#include "app/menu_state.h"
#include "gui/panel_painter.h"
#include "tests/gui/gui_fixture.h"

using namespace korvane;
using namespace korvane::gui;
using korvane::gui::testing::GuiFixture;

namespace {

ListingEntry make_entry(const char* name, std::uint8_t type, const char* size) {
    ListingEntry entry;
    entry.set_record_type(type);
    std::memcpy(entry.bytes.data() + ListingEntry::kNameOffset, name, std::strlen(name));
    std::memcpy(entry.bytes.data() + ListingEntry::kSizeOffset, size, std::strlen(size));
    return entry;
}

// The character of the set that the font draws widest.
QChar widest_of(const QFontMetrics& metrics, const QString& characters) {
    QChar widest = characters.front();
    for (QChar c : characters)
        if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(widest)) widest = c;
    return widest;
}

}  // namespace

class ListingViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> gui;

    void open_listing(std::size_t count) {
        Context& ctx = gui->ctx;
        ctx.state.host_adapter = 0;
        ctx.state.target_id = 1;
        ctx.state.volume_start = 1;
        ctx.state.current_dir_id = 2;
        ctx.state.entries.clear();
        for (std::size_t i = 0; i < count; ++i) {
            bool folder = i % 3 == 0;
            ctx.state.entries.push_back(make_entry("A", folder ? ListingEntry::kFolder : ListingEntry::kFile,
                                                   folder ? "   <DIR>" : "     12k"));
        }
        update_menus(ctx);
        gui->window->apply_menu_state();
        gui->window->client()->repaint();
    }
    int line() const { return gui->window->client()->line_height(); }
    int row_middle(int row) const { return 72 + row * line() + line() / 2; }

private slots:
    void init() { gui = std::make_unique<GuiFixture>(); }
    void cleanup() { gui.reset(); }

    void line_height_comes_from_the_font() { QVERIFY(line() >= 13); }

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
            QRect beyond_the_cell;  // x range past the name's cell, on row 0
        } layouts[] = {{cmd::kShortListing, QRect(w / 2 - 64, 0, 60, 1)},
                       {cmd::kExtendedListing, QRect(w / 2 - 10, 0, 50, 1)}};
        for (const Layout& layout : layouts) {
            open_listing(0);
            gui->ctx.state.entries.assign(2, make_entry(name, ListingEntry::kFile, "        "));
            gui->window->run_command(layout.command);
            gui->window->client()->repaint();
            QRect band = layout.beyond_the_cell;
            band.setTop(72);
            band.setHeight(line());
            QVERIFY2(!testing::has_dark_pixel(gui->client_image(), band), qPrintable(QString::number(layout.command)));
        }
    }

    void clicks_toggle_and_selected_cells_are_inverted() {
        open_listing(5);
        QWidget* client = gui->window->client();
        int w = gui->width();
        // Short listing: row 1, right half is entry 3.
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, row_middle(1)));
        QVERIFY(is_selected(gui->ctx.state, 3));
        QVERIFY2(gui->window->action(cmd::kCopyToPc)->isEnabled(), "a selection enables the copy");
        QImage image = gui->client_image();
        QCOMPARE(image.pixel(w / 2 + 150, row_middle(1)), testing::inverted_light_gray());
        QCOMPARE(image.pixel(w - 4, row_middle(1)), testing::inverted_light_gray());
        QCOMPARE(image.pixel(w - 2, row_middle(1)), testing::light_gray());
        QCOMPARE(image.pixel(150, row_middle(1)), testing::light_gray());
        QCOMPARE(image.pixel(w / 2 + 150, row_middle(0)), testing::light_gray());

        // The empty right half of the last row selects nothing; below the rows nothing either.
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, row_middle(2)));
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(40, row_middle(5)));
        QCOMPARE(count_selected(gui->ctx.state), std::size_t(1));

        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(w / 2 + 40, row_middle(1)));
        QVERIFY(!is_selected(gui->ctx.state, 3));
        QVERIFY(!gui->window->action(cmd::kCopyToPc)->isEnabled());
    }

    void wide_listing_inverts_the_whole_row() {
        open_listing(20);
        gui->window->run_command(cmd::kExtendedListing);
        QWidget* client = gui->window->client();
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(500, row_middle(4)));
        QVERIFY(is_selected(gui->ctx.state, 4));
        QImage image = gui->client_image();
        QCOMPARE(image.pixel(2, row_middle(4) - line() / 2), testing::inverted_light_gray());
        QCOMPARE(image.pixel(gui->width() - 5, row_middle(4)), testing::inverted_light_gray());
        QCOMPARE(image.pixel(gui->width() - 4, row_middle(4)), testing::light_gray());
        QCOMPARE(int(gui->ctx.state.end_shown), 18);
        QVERIFY(gui->window->action(cmd::kNextScreen)->isEnabled());
    }

    // Each notch of the wheel pages like PgDn and PgUp; halves of a notch add up.
    void the_wheel_pages() {
        open_listing(40);
        QWidget* client = gui->window->client();
        auto turn = [client](int eighths) {
            QPoint at(100, 100);
            QWheelEvent wheel(at, client->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(client, &wheel);
        };
        struct Step {
            int eighths;
            int first_shown;
        } steps[] = {{-60, 0}, {-60, 36}, {-120, 36} /* last screen: grayed */, {120, 0}, {120, 0}};
        for (const Step& step : steps) {
            turn(step.eighths);
            QCOMPARE(int(gui->ctx.state.first_shown), step.first_shown);
        }
    }

    void right_click_selects_and_offers_the_popup_menu() {
        open_listing(5);
        bool dump_enabled = true, attributes_enabled = true;
        QTimer::singleShot(50, [&] {
            dump_enabled = gui->window->popup_action(cmd::kDump)->isEnabled();
            attributes_enabled = gui->window->popup_action(cmd::kEditAttributes)->isEnabled();
            gui->window->popup_menu()->close();
        });
        // Entry 0 is a folder: "Dump content" and "Edit Attributes" are grayed.
        QTest::mouseClick(gui->window->client(), Qt::RightButton, {}, QPoint(40, row_middle(0)));
        QVERIFY(is_selected(gui->ctx.state, 0));
        QVERIFY(!dump_enabled);
        QVERIFY(!attributes_enabled);
    }

    void empty_folder_and_header_texts_are_painted() {
        open_listing(0);
        QImage image = gui->client_image();
        QVERIFY2(testing::has_dark_pixel(image, QRect(200, 100, 60, line())), "[No file]");
        QVERIFY2(testing::has_dark_pixel(image, QRect(10, 36, 60, line())), "KB free : ");
        QVERIFY2(testing::has_dark_pixel(image, QRect(gui->width() / 2 + 9, 36, 60, line())), "KB used : ");
        QVERIFY(!testing::has_dark_pixel(image, QRect(2, 72, 150, 20)));

        gui->ctx.state.volume_start = 0;  // no volume: only the panels
        gui->window->client()->repaint();
        image = gui->client_image();
        QVERIFY(!testing::has_dark_pixel(image, QRect(10, 36, 60, line())));
    }
};

QTEST_MAIN(ListingViewTest)
#include "listing_view_test.moc"
