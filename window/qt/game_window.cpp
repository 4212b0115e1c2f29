// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/qt/game_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QTime>

#include <cassert>
#include <string_view>

#include "window/menu_tree.h"
#include "window/qt/key_codes.h"
#include "window/qt/picture_store.h"
#include "window/qt/tile_view.h"

namespace falbok::qt {

namespace {

constexpr std::size_t Slot(MenuItem item) { return static_cast<std::size_t>(item); }

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The area below the menu bar. It is the one widget that takes the keyboard
// focus, and it hands every key press, Tab included, to the game.
class ClientArea final : public QWidget {
public:
    explicit ClientArea(GameWindow& window) : QWidget(&window), window_(window)
    {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        setPalette(colours);
        // The game draws no text; the font is part of the window's looks all
        // the same, and Qt quietly substitutes where Calibri is missing.
        setFont(QFont(QStringLiteral("Calibri"), 9));
    }

    QSize sizeHint() const override { return {GameWindow::kClientWidth, GameWindow::kClientHeight}; }

protected:
    void keyPressEvent(QKeyEvent* event) override { window_.KeyPressed(*event); }
    bool focusNextPrevChild(bool) override { return false; }

private:
    GameWindow& window_;
};

// The menu bar's own look, less the habit of taking the keyboard when Alt
// is pressed and released: every key belongs to the game.
class MenuBarStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

GameWindow::GameWindow(ProcessHooks hooks) : hooks_(std::move(hooks)), pictures_(std::make_unique<PictureStore>())
{
    setWindowTitle(QStringLiteral("Falbok"));
    setWindowIcon(PictureStore::WindowIcon());

    client_ = new ClientArea(*this);
    setCentralWidget(client_);
    BuildMenuBar();

    // Tile 1 is the template the game copies into tiles 2..208.
    tiles_[0] = new TileView(1, *this, *pictures_, client_);

    // The fall timer is defined running at 350 ms; its beats start with the
    // event loop, after the game's start-up.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kDefinedTimerInterval);
    connect(&timer_, &QTimer::timeout, this, [this] { game_.tmrMain_Timer(); });
    timer_.start();
}

GameWindow::~GameWindow() = default;

void GameWindow::BuildMenuBar()
{
    auto* style = new MenuBarStyle;
    style->setParent(menuBar());
    menuBar()->setStyle(style);

    std::array<QMenu*, kMenuItemCount> menus{};
    for (const MenuEntry& entry : MenuTree()) {
        const QString caption = Text(entry.caption);
        const QString name = Text(entry.name);
        QMenu* parent = entry.parent ? menus[Slot(*entry.parent)] : nullptr;
        QAction* action = nullptr;
        switch (entry.kind) {
        case MenuEntry::Kind::Menu:
        case MenuEntry::Kind::Submenu: {
            QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menus[Slot(entry.item)] = menu;
            action = menu->menuAction();
            break;
        }
        case MenuEntry::Kind::Separator:
            action = parent->addSeparator();
            break;
        case MenuEntry::Kind::Item:
            action = parent->addAction(caption);
            if (!entry.shortcut.empty()) {
                action->setShortcut(QKeySequence(Text(entry.shortcut)));
            }
            // Items with a command, other than the new game, can carry a mark.
            action->setCheckable(entry.command != nullptr && entry.item != MenuItem::mnuNew);
            action->setChecked(entry.checked);
            action->setEnabled(entry.enabled);
            if (entry.command != nullptr) {
                const MenuItem item = entry.item;
                connect(action, &QAction::triggered, this, [this, item](bool checked) { RunCommand(item, checked); });
            }
            break;
        }
        assert(action != nullptr);
        action->setObjectName(name);
        actions_[Slot(entry.item)] = action;
    }
}

void GameWindow::RunCommand(MenuItem item, bool checkedNow)
{
    // Qt flips a checkable item before it reports the choice; only the game
    // sets marks, so the flip is undone before the command runs.
    QAction* action = actions_[Slot(item)];
    if (action->isCheckable()) {
        action->setChecked(!checkedNow);
    }
    MenuEntryOf(item).command(game_);
}

QAction* GameWindow::action(MenuItem item) const { return actions_[Slot(item)]; }

TileView* GameWindow::tile(std::int16_t index) const
{
    return IsTile(index) ? tiles_[static_cast<std::size_t>(index - 1)] : nullptr;
}

void GameWindow::Start()
{
    game_.Form_Load();
    if (ending_) {
        return;  // another copy runs: no window at all
    }
    const int menuHeight = menuBar()->heightForWidth(kClientWidth);
    const QSize size(kClientWidth, kClientHeight + (menuHeight > 0 ? menuHeight : menuBar()->sizeHint().height()));
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A Wayland client cannot place its window: the compositor does.
    const bool placeable = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (screen != nullptr && placeable) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry()));
    } else {
        resize(size);
    }
    show();
    client_->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void GameWindow::BringToFront(const QByteArray& activationToken)
{
    if (ending_ || !isVisible()) {
        return;
    }
    if (!activationToken.isEmpty()) {
        // Qt's Wayland platform activates with the token it finds here.
        qputenv("XDG_ACTIVATION_TOKEN", activationToken);
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void GameWindow::KeyPressed(const QKeyEvent& event)
{
    // On X11 and on Wayland the native scan code is the key's XKB keycode.
    const KeyPress key{event.key(), event.modifiers(), event.nativeScanCode()};
    game_.Form_KeyDown(keys_.VirtualKeyCode(key), ShiftState(event.modifiers()));
}

void GameWindow::TileMouseMoved(std::int16_t index) { game_.Img_MouseMove(index); }

void GameWindow::TileMousePressed(std::int16_t index, Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        game_.Img_MouseDown(index, button::kLeft);
        break;
    case Qt::RightButton:
        game_.Img_MouseDown(index, button::kRight);
        break;
    case Qt::MiddleButton:
        game_.Img_MouseDown(index, button::kMiddle);
        break;
    default:
        break;  // the game knows three buttons
    }
}

void GameWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!ending_) {
        game_.Form_Unload();
    }
}

void GameWindow::keyPressEvent(QKeyEvent* event) { KeyPressed(*event); }

// ---- Toolkit: tiles

void GameWindow::CreateTile(std::int16_t index)
{
    assert(IsTile(index) && index != 1);
    auto*& slot = tiles_[static_cast<std::size_t>(index - 1)];
    if (slot != nullptr) {
        return;
    }
    const TileView* model = tiles_[0];
    slot = new TileView(index, *this, *pictures_, client_);
    slot->setGeometry(model->geometry());
    slot->SetPicture(model->picture());
}

void GameWindow::SetTilePicture(std::int16_t index, std::int16_t picture)
{
    assert(picture >= 1 && picture <= pictures::kPictureCount);
    tile(index)->SetPicture(picture);
}

void GameWindow::ShowTile(std::int16_t index) { tile(index)->SetShown(true); }

void GameWindow::HideTile(std::int16_t index) { tile(index)->SetShown(false); }

bool GameWindow::PlaceTile(std::int16_t index, int left, int top, int width, int height)
{
    TileView* view = tile(index);
    if (view == nullptr || width < 0 || height < 0) {
        return false;
    }
    view->setGeometry(left, top, width, height);
    return true;
}

// ---- Toolkit: the fall timer

bool GameWindow::TimerEnabled() const { return timer_.isActive(); }

void GameWindow::SetTimerEnabled(bool enabled)
{
    if (enabled && !timer_.isActive()) {
        timer_.start();  // a fresh start counts the whole interval again
    } else if (!enabled) {
        timer_.stop();
    }
}

std::int32_t GameWindow::TimerInterval() const { return timer_.interval(); }

void GameWindow::SetTimerInterval(std::int32_t milliseconds) { timer_.setInterval(milliseconds); }

// ---- Toolkit: marks, the window, the process

bool GameWindow::Checked(MenuItem item) const { return actions_[Slot(item)]->isChecked(); }

void GameWindow::SetChecked(MenuItem item, bool checked) { actions_[Slot(item)]->setChecked(checked); }

void GameWindow::MinimizeWindow() { showMinimized(); }

void GameWindow::CloseWindow() { close(); }

bool GameWindow::AnotherCopyRunning() { return hooks_.anotherCopyRunning && hooks_.anotherCopyRunning(); }

void GameWindow::EndProgram()
{
    ending_ = true;
    timer_.stop();
    if (hooks_.endProgram) {
        hooks_.endProgram();
    }
}

double GameWindow::SecondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

void GameWindow::SeedRandom(double seed) { random_.Seed(seed); }

double GameWindow::Random() { return random_.Next(); }

}  // namespace falbok::qt
