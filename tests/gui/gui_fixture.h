#pragma once
// The real main window and Qt host of the GUI tests, offscreen, and helpers
// to answer the modal dialogs they open and to read painted pixels.

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/context.h"
#include "app/listing_view.h"
#include "app/menu_state.h"
#include "gui/client_area.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

namespace korvane::gui::testing {

struct GuiFixture {
    QtHost host;
    Context ctx{host};
    std::unique_ptr<MainWindow> window;

    GuiFixture() {
        window = std::make_unique<MainWindow>(ctx, host);
        host.attach(ctx, window.get());
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
    }

    // A volume open on drive 1 whose root folder lists the entries.
    void open_listing(std::vector<ListingEntry> entries) {
        ctx.state.host_adapter = 0;
        ctx.state.target_id = 1;
        ctx.state.volume_start = 1;
        ctx.state.current_dir_id = 2;
        ctx.state.entries = std::move(entries);
        ctx.state.first_shown = 0;
        settle_screen(ctx);
        update_menus(ctx);
        window->apply_menu_state();
        window->client()->repaint();
    }
    int line() const { return window->client()->line_height(); }
    // The y of the middle of a listing row: rows start at y = 72.
    int row_middle(int row) const { return 72 + row * line() + line() / 2; }

    QImage client_image() const { return window->client()->grab().toImage(); }
    int width() const { return window->client()->width(); }
    int height() const { return window->client()->height(); }
};

inline ListingEntry listing_entry(const char* name = "A", std::uint8_t type = ListingEntry::kFile,
                                  const char* size = "") {
    ListingEntry entry;
    entry.set_record_type(type);
    std::memcpy(entry.bytes.data() + ListingEntry::kNameOffset, name, std::strlen(name));
    std::memcpy(entry.bytes.data() + ListingEntry::kSizeOffset, size, std::strlen(size));
    return entry;
}

// Runs action on the next modal dialog (of that title, when given) once it
// is open (the dialog's exec is what the caller waits in).
inline void when_modal_opens(std::function<void(QWidget*)> action, const QString& title = {}) {
    auto attempt = std::make_shared<std::function<void()>>();
    *attempt = [action, title, attempt] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && (title.isEmpty() || (modal->isVisible() && modal->windowTitle() == title))) {
            action(modal);
        } else {
            QTimer::singleShot(10, *attempt);
        }
    };
    QTimer::singleShot(0, *attempt);
}

inline QRgb light_gray() { return QColor(Qt::lightGray).rgb(); }
inline QRgb inverted_light_gray() {
    QColor c(Qt::lightGray);
    return qRgb(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

// Whether any pixel of the rectangle is dark (text drawn there).
inline bool has_dark_pixel(const QImage& image, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 80) return true;
    return false;
}

}  // namespace korvane::gui::testing
