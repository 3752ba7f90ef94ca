#pragma once
// The main window "Korvane": fixed 640 x 425, the menu bar VELLMAR with
// "&Help" at its right end, the six function buttons, the client area with
// the listing and the status line, the VELLMAR accelerators, the pop-up menu
// of an entry, and the closing question. Every command goes through
// dispatch_command; the menus and buttons then follow the MenuState.

#include <array>
#include <map>
#include <vector>

#include <QKeyCombination>
#include <QMainWindow>

#include "app/menu_state.h"

class QAction;
class QMenu;
class QMenuBar;
class QPushButton;

namespace korvane {
struct Context;
}

namespace korvane::gui {

class ClientArea;
class QtHost;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Context& ctx, QtHost& host);
    ~MainWindow() override;

    QtHost& host() { return host_; }
    ClientArea* client() const { return client_; }
    // The menu bar's item of a command, the menus by position, the pop-up menu.
    QAction* action(int command) const;
    QMenu* menu(std::size_t index) const { return menus_.at(index); }
    std::size_t menu_count() const { return menus_.size(); }
    QMenuBar* help_bar() const { return help_bar_; }
    QMenu* popup_menu() const { return popup_; }
    QAction* popup_action(int command) const;
    QPushButton* button(std::size_t index) const { return buttons_.at(index); }

    // A menu item or a button: runs the command unless another is running.
    void run_command(int command);
    // A key of the accelerator table: only when its menu item is enabled.
    bool run_accelerator(int command);
    // The item's help line on the status line (items without one leave it).
    void show_menu_help(int command);

    // Applies MenuState to the menus and buttons; the title to the volume.
    void apply_menu_state();
    void update_title();
    bool command_running() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menu_bar();
    void build_popup_menu();
    void build_buttons();
    void build_accelerators();
    QAction* add_item(QMenu* menu, const MenuItemDef& item);
    bool belongs_here(QObject* object) const;
    int accelerator_command(const QKeyCombination& key) const;
    bool filter_key(QEvent* event);

    void entry_pressed(int index);
    void entry_double_clicked(int index);
    void entry_right_clicked(int index, const QPoint& global_position);

    Context& ctx_;
    QtHost& host_;
    ClientArea* client_ = nullptr;
    std::vector<QMenu*> menus_;
    QMenuBar* help_bar_ = nullptr;
    QMenu* popup_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, QAction*> popup_actions_;
    std::array<QPushButton*, kFunctionButtonCount> buttons_{};
    std::vector<std::pair<QKeyCombination, int>> accelerators_;
    bool running_ = false;
    bool quit_confirmed_ = false;
};

}  // namespace korvane::gui
