#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/browse_commands.h"
#include "app/commands.h"
#include "app/context.h"
#include "app/listing_view.h"
#include "core/messages.h"
#include "core/notices.h"
#include "gui/client_area.h"
#include "gui/qt_host.h"
#include "gui/quit_dialog.h"
#include "gui/text_conversion.h"
#include "gui/window_geometry.h"
#include "volume/listing_header.h"

namespace korvane::gui {
namespace {

// Items that can carry a check mark: the options chosen from the menus.
bool can_be_checked(int command) {
    switch (command) {
        case cmd::kNormalCopy:
        case cmd::kResourcesCopy:
        case cmd::kBinaryCopy:
        case cmd::kUseCurrentDirectory:
        case cmd::kShortListing:
        case cmd::kExtendedListing:
        case cmd::kSignatureListing:
        case cmd::kLogFile:
        case cmd::kResetDrive:
            return true;
        default:
            return false;
    }
}

constexpr Qt::KeyboardModifiers kAcceleratorModifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

}  // namespace

MainWindow::MainWindow(Context& ctx, QtHost& host) : ctx_(ctx), host_(host) {
    setObjectName("Korvane");
    setWindowTitle(qt_text(message(Msg::kProgramName)));
    // A fixed window: no sizing border and no maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setWindowIcon(QIcon(":/icons/korvane.xpm"));
    client_ = new ClientArea(ctx_, this);
    setCentralWidget(client_);
    build_menu_bar();
    build_popup_menu();
    build_buttons();
    build_accelerators();
    setFixedSize(kWindowWidth, kWindowHeight);
    move(0, 0);

    client_->on_screen_settled = [this] {
        if (QAction* next = action(cmd::kNextScreen)) next->setEnabled(ctx_.menus.enabled(cmd::kNextScreen));
    };
    connect(client_, &ClientArea::entry_pressed, this, &MainWindow::entry_pressed);
    connect(client_, &ClientArea::entry_double_clicked, this, &MainWindow::entry_double_clicked);
    connect(client_, &ClientArea::entry_right_clicked, this, &MainWindow::entry_right_clicked);
    // The wheel pages like PgDn and PgUp, and like them does nothing when the item is grayed.
    connect(client_, &ClientArea::page_requested, this, &MainWindow::run_accelerator);
    qApp->installEventFilter(this);
    apply_menu_state();
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

QAction* MainWindow::add_item(QMenu* menu, const MenuItemDef& item) {
    if (item.command == 0) return menu->addSeparator();
    // The text after the tab is the key column of the menu, as written.
    QAction* action = menu->addAction(QString::fromUtf8(item.text.data(), static_cast<int>(item.text.size())));
    action->setData(item.command);
    action->setCheckable(can_be_checked(item.command));
    int command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { run_command(command); });
    return action;
}

void MainWindow::build_menu_bar() {
    QMenuBar* bar = menuBar();
    // A bar also reports the items highlighted inside its drop-downs: the
    // menus' own titles carry no command and show the idle text.
    auto show_help_of = [this](QAction* a) { show_menu_help(a->data().toInt()); };
    connect(bar, &QMenuBar::hovered, this, show_help_of);
    for (const MenuDef& menu_def : menu_bar_layout()) {
        QString title = QString::fromUtf8(menu_def.title.data(), static_cast<int>(menu_def.title.size()));
        QMenu* menu = nullptr;
        if (menu_def.at_right_end) {
            // "&Help" stands apart at the right end of the bar.
            help_bar_ = new QMenuBar(bar);
            help_bar_->setObjectName("helpBar");
            menu = help_bar_->addMenu(title);
            bar->setCornerWidget(help_bar_, Qt::TopRightCorner);
            connect(help_bar_, &QMenuBar::hovered, this, show_help_of);
        } else {
            menu = bar->addMenu(title);
        }
        connect(menu, &QMenu::aboutToHide, this, [this] { show_menu_help(0); });
        for (const MenuItemDef& item : menu_def.items) {
            QAction* action = add_item(menu, item);
            if (item.command != 0) actions_[item.command] = action;
        }
        menus_.push_back(menu);
    }
}

void MainWindow::build_popup_menu() {
    popup_ = new QMenu(this);
    popup_->setObjectName("POPMENU");
    connect(popup_, &QMenu::hovered, this, [this](QAction* a) { show_menu_help(a->data().toInt()); });
    connect(popup_, &QMenu::aboutToHide, this, [this] { show_menu_help(0); });
    for (const MenuItemDef& item : popup_menu_layout()) popup_actions_[item.command] = add_item(popup_, item);
}

void MainWindow::build_buttons() {
    int x = kFirstButtonLeft;
    auto buttons = function_buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QString text = QString::fromUtf8(buttons[i].text.data(), static_cast<int>(buttons[i].text.size()));
        auto* button = new QPushButton(text, client_);
        button->setObjectName(QString("button%1").arg(buttons[i].command));
        button->setFont(client_->font_used());
        button->setGeometry(x, kButtonTop, button_width(text), kButtonHeight);
        button->setEnabled(false);
        button->setAutoDefault(false);
        int command = buttons[i].command;
        connect(button, &QPushButton::clicked, this, [this, command] { run_command(command); });
        buttons_[i] = button;
        x += button_width(text) + kButtonGap;
    }
}

void MainWindow::build_accelerators() {
    for (const AcceleratorDef& accelerator : accelerator_table()) {
        QKeySequence sequence(QString::fromUtf8(accelerator.key.data(), static_cast<int>(accelerator.key.size())));
        accelerators_.emplace_back(sequence[0], accelerator.command);
    }
}

QAction* MainWindow::action(int command) const {
    auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

QAction* MainWindow::popup_action(int command) const {
    auto found = popup_actions_.find(command);
    return found == popup_actions_.end() ? nullptr : found->second;
}

void MainWindow::apply_menu_state() {
    const MenuState& state = ctx_.menus;
    for (auto& [command, action] : actions_) {
        action->setEnabled(state.enabled(command));
        if (action->isCheckable()) action->setChecked(state.checked(command));
    }
    if (QAction* lock = action(cmd::kLockVolume)) lock->setText(qt_text(lock_item_text(ctx_.state.volume_locked)));
    menus_.at(kFileMenuIndex)->menuAction()->setEnabled(state.file_menu_enabled);
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setEnabled(state.buttons_enabled[i]);
}

void MainWindow::update_title() {
    bool volume_open = ctx_.state.target_id != kNoDrive && ctx_.state.volume_start > 0;
    setWindowTitle(volume_open ? qt_text(korvane::window_title(ctx_)) : qt_text(message(Msg::kProgramName)));
}

void MainWindow::run_command(int command) {
    // One command at a time: the window takes no new one while a long one runs.
    if (running_) return;
    running_ = true;
    CommandOutcome outcome = dispatch_command(ctx_, command);
    running_ = false;
    host_.command_finished();
    client_->set_progress(std::nullopt);
    apply_menu_state();
    update_title();
    client_->update();
    if (outcome == CommandOutcome::NotAvailable) host_.beep();
    if (outcome == CommandOutcome::CloseWindow) close();
}

bool MainWindow::run_accelerator(int command) {
    if (running_ || !command_available(ctx_.menus, command)) return false;
    run_command(command);
    return true;
}

void MainWindow::show_menu_help(int command) {
    bool own_line = command >= cmd::kSelectDrive && command <= cmd::kShortListing;
    std::string_view help = own_line ? string_resource(command) : string_resource(StringId::kMenuPrompt);
    if (help.empty()) return;  // an item without a help line leaves the text
    set_status(ctx_, std::string(help).c_str(), ctx_.state.status_right_text.c_str());
}

void MainWindow::entry_pressed(int index) {
    if (running_) return;
    toggle_entry(ctx_.state, static_cast<std::size_t>(index));
    host_.invalidate_listing(row_of_entry(ctx_.state, static_cast<std::size_t>(index)));
    update_menus(ctx_);
    apply_menu_state();
}

void MainWindow::entry_double_clicked(int index) {
    if (running_ || !is_folder(ctx_.state, static_cast<std::size_t>(index))) return;
    running_ = true;
    enter_folder_at(ctx_, static_cast<std::size_t>(index));
    running_ = false;
    host_.command_finished();
    apply_menu_state();
    update_title();
    client_->update();
}

void MainWindow::entry_right_clicked(int index, const QPoint& global_position) {
    if (running_) return;
    auto entry = static_cast<std::size_t>(index);
    select_entry(ctx_.state, entry);
    update_menus(ctx_);
    apply_menu_state();
    // The items follow the menu bar's; a folder has no content to dump and no attributes to edit.
    bool file = !is_folder(ctx_.state, entry);
    for (auto& [command, item] : popup_actions_) {
        bool file_only = command == cmd::kDump || command == cmd::kEditAttributes;
        item->setEnabled(ctx_.menus.enabled(command) && (file || !file_only));
    }
    client_->update();
    // The chosen item arrives through its action like any other command.
    popup_->exec(global_position);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!quit_confirmed_ && !confirm_quit(this)) {
        event->ignore();
        return;
    }
    quit_confirmed_ = true;
    host_.close_help();
    event->accept();
}

bool MainWindow::belongs_here(QObject* object) const {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->window() == this && QApplication::activeModalWidget() == nullptr &&
           QApplication::activePopupWidget() == nullptr;
}

int MainWindow::accelerator_command(const QKeyCombination& key) const {
    QKeyCombination plain(key.keyboardModifiers() & kAcceleratorModifiers, key.key());
    for (const auto& [combination, command] : accelerators_) {
        if (combination == plain) return command;
    }
    return 0;
}

bool MainWindow::filter_key(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (running_) {
        // A long command polls these for Esc; nothing else sees them.
        if (event->type() == QEvent::KeyPress) host_.queue_key(key->key());
        event->accept();
        return true;
    }
    int command = accelerator_command(key->keyCombination());
    if (command == 0) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // The table comes before menu mnemonics (Alt+D selects the drive).
        event->accept();
        return true;
    }
    run_accelerator(command);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            if (belongs_here(watched)) return filter_key(event);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // Clicks during a long command would start another one.
            if (running_ && belongs_here(watched)) return true;
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace korvane::gui
