// korvane: the Qt window. Start-up and shutdown are the engine's; the window
// adds the menus, the buttons and the listing around them.

#include <string>
#include <vector>

#include <QApplication>

#include "app/context.h"
#include "app/menu_state.h"
#include "app/startup.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationName("Korvane");
    std::vector<std::string> args;
    for (const QString& argument : app.arguments().mid(1)) args.push_back(argument.toStdString());

    korvane::gui::QtHost host;
    korvane::Context ctx(host);
    korvane::gui::MainWindow window(ctx, host);
    host.attach(ctx, &window);

    if (!korvane::init_application(ctx, args, korvane::FrontEnd::Window)) return 2;
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
