// korvane: the Qt window. Start-up and shutdown are the engine's; the window
// adds the menus, the buttons and the listing around them.

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "app/context.h"
#include "app/menu_state.h"
#include "app/startup.h"
#include "core/notices.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

namespace {

// The notice, the working files removed, the media unlocked, status 1;
// nothing else of the shutdown runs.
[[noreturn]] void end_after_fatal_error(korvane::Context& ctx, const korvane::FatalError& error) {
    korvane::shutdown_after_fatal_error(ctx, error);
    std::exit(korvane::kExitFatal);
}

// The engine runs inside Qt's event handlers (menus, buttons, the dialogs a
// command opens). A fatal error is caught where every event enters, before
// it could unwind through Qt, and ends the program there: the command that
// met it never goes on.
class KorvaneApplication : public QApplication {
public:
    using QApplication::QApplication;
    void attach(korvane::Context& ctx) { ctx_ = &ctx; }

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const korvane::FatalError& error) {
            if (ctx_ == nullptr) std::exit(korvane::kExitFatal);
            end_after_fatal_error(*ctx_, error);
        }
    }

private:
    korvane::Context* ctx_ = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
    KorvaneApplication app(argc, argv);
    app.setApplicationName("Korvane");
    std::vector<std::string> args;
    for (const QString& argument : app.arguments().mid(1)) args.push_back(argument.toStdString());

    korvane::gui::QtHost host;
    korvane::Context ctx(host);
    korvane::gui::MainWindow window(ctx, host);
    host.attach(ctx, &window);
    app.attach(ctx);

    try {
        const korvane::ParsedLaunch launch = korvane::parse_launch_arguments(args, korvane::FrontEnd::Window);
        if (!launch.ok()) {
            std::cerr << "korvane: " << launch.error << '\n';
            return 2;
        }
        korvane::init_application(ctx, launch.arguments);
    } catch (const korvane::FatalError& error) {
        end_after_fatal_error(ctx, error);
    }
    host.command_finished();  // discovery ran under the busy cursor
    // The log may have been opened by /L. With no drive the menus keep the
    // states of the menu resource and the buttons stay disabled.
    ctx.menus.set_checked(korvane::cmd::kLogFile, ctx.log.is_open());
    if (ctx.state.target_id != korvane::kNoDrive) korvane::update_menus(ctx);
    window.apply_menu_state();
    window.update_title();
    window.show();
    int code = app.exec();
    korvane::shutdown_application(ctx);
    return code;
}
