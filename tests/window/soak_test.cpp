// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A long soak of the real window: key presses, mouse moves and presses, menu
// commands and fall-timer beats in a seeded random mix, each delivered
// through Qt's own event delivery, with the game's rules and what the window
// shows checked after every single event. Closing the window ends the
// program; the soak then starts a fresh window, as a new launch would, and
// goes on.
//
// A failure names the seed, the event number and its kind;
// FALBOK_SOAK_SEED=<seed> replays that run.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/menu_items.h"
#include "game_invariants.h"
#include "window/menu_tree.h"
#include "window/qt/game_window.h"
#include "window/qt/picture_store.h"
#include "window/qt/tile_view.h"

namespace {

using falbok::Game;
using falbok::MenuEntry;
using falbok::MenuItem;
using falbok::qt::GameWindow;
using falbok::qt::ProcessHooks;
using falbok::qt::TileView;
using falbok::testing::Column;

constexpr long kEvents = 200'000;
// By then every kind of event, every tile size and a fresh window have been
// through; the memory level there is the steady state the end is held to.
constexpr long kWarmUpEvents = 10'000;
constexpr long kRssGrowthLimitKb = 1024;
constexpr std::uint64_t kDefaultSeed = 20240612;
// The warm-up tour injects one of its steps every this many events.
constexpr long kTourEvery = 40;
constexpr long kPixelCheckEvery = 8;

int RowOf(int cell) { return (cell - 1) / 10 + 1; }

// ---- Keys, as a keyboard reports them

enum class Role : std::uint8_t { Other, Left, Right, Rotate, SoftDrop, NewGame, Unknown };

struct KeyDef {
    int key;
    Qt::KeyboardModifiers modifiers;
    char16_t text;  // 0 for none
    Role role;
    // The physical key as the platform reports it (an XKB keycode): the
    // Russian letters need it to be read as the Latin letters of their keys.
    std::uint32_t keycode = 0;
};

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

// Every key of the key table, the Russian letters on W A S D P among them.
const std::array<KeyDef, 26> kTableKeys{{
    {Qt::Key_Left, kNone, 0, Role::Left},
    {Qt::Key_A, kNone, u'a', Role::Left},
    {0x0424, kNone, u'ф', Role::Left, 38},
    {Qt::Key_Right, kNone, 0, Role::Right},
    {Qt::Key_D, kNone, u'd', Role::Right},
    {0x0412, kNone, u'в', Role::Right, 40},
    {Qt::Key_Up, kNone, 0, Role::Rotate},
    {Qt::Key_W, kNone, u'w', Role::Rotate},
    {0x0426, kNone, u'ц', Role::Rotate, 25},
    {Qt::Key_Down, kNone, 0, Role::SoftDrop},
    {Qt::Key_S, kNone, u's', Role::SoftDrop},
    {0x042B, kNone, u'ы', Role::SoftDrop, 39},
    {Qt::Key_Space, kNone, u' ', Role::Other},
    {Qt::Key_P, kNone, u'p', Role::Other},
    {0x0417, kNone, u'з', Role::Other, 33},
    {Qt::Key_Pause, kNone, 0, Role::Other},
    {Qt::Key_Escape, kNone, 0x1B, Role::Other},
    {Qt::Key_Plus, Qt::ShiftModifier, u'+', Role::Other},
    {Qt::Key_Equal, kNone, u'=', Role::Other},
    {Qt::Key_Plus, Qt::KeypadModifier, u'+', Role::Other},
    {Qt::Key_PageUp, kNone, 0, Role::Other},
    {Qt::Key_Minus, kNone, u'-', Role::Other},
    {Qt::Key_Underscore, Qt::ShiftModifier, u'_', Role::Other},
    {Qt::Key_Minus, Qt::KeypadModifier, u'-', Role::Other},
    {Qt::Key_PageDown, kNone, 0, Role::Other},
    {Qt::Key_F2, kNone, 0, Role::NewGame},
}};
// Space; P, its Russian letter, Pause and Esc; F2.
constexpr std::size_t kSpace = 12;
constexpr std::size_t kFirstPauseKey = 13;
constexpr std::size_t kEsc = 16;
constexpr std::size_t kF2 = 25;

// Keys the game has no use for, alone: the modifiers, editing keys and the
// like. Letters, digits, function keys and Russian letters come on top.
constexpr std::array<int, 19> kIdleKeys{
    Qt::Key_Shift,     Qt::Key_Control, Qt::Key_Alt,        Qt::Key_Meta,   Qt::Key_AltGr,
    Qt::Key_CapsLock,  Qt::Key_Tab,     Qt::Key_Backtab,    Qt::Key_Return, Qt::Key_Enter,
    Qt::Key_Backspace, Qt::Key_Home,    Qt::Key_End,        Qt::Key_Insert, Qt::Key_Delete,
    Qt::Key_Print,     Qt::Key_NumLock, Qt::Key_ScrollLock, Qt::Key_Menu,
};

constexpr std::array<Qt::MouseButton, 8> kButtons{
    Qt::NoButton,   Qt::LeftButton,    Qt::RightButton,  Qt::MiddleButton,
    Qt::BackButton, Qt::ForwardButton, Qt::ExtraButton3, Qt::ExtraButton4,
};

// ---- One event

enum class Kind : std::uint8_t {
    Beat,
    Key,
    MouseMove,
    MouseClick,
    MouseDrag,
    MouseDoubleClick,
    Menu,
    CloseBox,
    Restore
};

constexpr std::array<const char*, 9> kKindNames{
    "beat",         "key",       "mouse move", "mouse click", "mouse drag", "mouse double click",
    "menu command", "close box", "restore",
};

const char* KindName(Kind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

struct Event {
    Kind kind = Kind::Beat;
    KeyDef key{};
    int repeats = 0;  // auto-repeated presses after the first
    QPoint at{};      // window coordinates
    QPoint to{};      // where a drag ends
    Qt::MouseButton button = Qt::NoButton;
    MenuItem item = MenuItem::mnuNew;

    int Presses() const { return 1 + repeats; }

    std::string Describe() const
    {
        std::string text = KindName(kind);
        const auto point = [](QPoint p) { return " (" + std::to_string(p.x()) + ", " + std::to_string(p.y()) + ")"; };
        switch (kind) {
        case Kind::Key:
            return text + " 0x" + QByteArray::number(key.key, 16).toStdString() + " modifiers 0x" +
                   QByteArray::number(key.modifiers.toInt(), 16).toStdString() + " repeats " + std::to_string(repeats);
        case Kind::MouseMove:
            return text + point(at);
        case Kind::MouseClick:
        case Kind::MouseDoubleClick:
            return text + " button 0x" + QByteArray::number(static_cast<int>(button), 16).toStdString() + point(at);
        case Kind::MouseDrag:
            return text + " button 0x" + QByteArray::number(static_cast<int>(button), 16).toStdString() + point(at) +
                   " to" + point(to);
        case Kind::Menu:
            return text + " " + std::string(falbok::MenuEntryOf(item).name);
        default:
            return text;
        }
    }
};

// ---- Where a run stands, for the last words of a run that aborts inside
// the game or Qt (a failed assertion, or a sanitizer set to abort).

std::uint64_t abortSeed = 0;
long abortEvent = -1;
const char* abortKind = "start-up";

void SayWhereTheRunStood(int)
{
    char text[200];
    const int n = std::snprintf(
        text, sizeof text, "\nsoak aborted: seed %llu, event %ld (%s) (replay with FALBOK_SOAK_SEED=%llu)\n",
        static_cast<unsigned long long>(abortSeed), abortEvent, abortKind, static_cast<unsigned long long>(abortSeed));
    if (n > 0) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, static_cast<std::size_t>(n));
    }
}

// The offscreen platform and a pointer outside the window make Qt say the
// same harmless things thousands of times; everything else goes through.
QtMessageHandler previousHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("occurs outside target window")) ||
                                 message.contains(QLatin1String("does not support propagateSizeHints")))) {
        return;
    }
    previousHandler(type, context, message);
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __sanitizer_purge_allocator();
#endif

// Resident memory in KiB. Under the address sanitizer freed blocks wait in
// its quarantine first, the large pictures read back from the window whole;
// draining it before each reading keeps them from counting as growth.
long ResidentKb()
{
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_purge_allocator();
#endif
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// The fall timer's own beats would come with the wall clock and make a run
// unrepeatable; the gate lets through only the beats the run sends.
class BeatGate final : public QObject {
public:
    bool open = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer && !open; }
};

// What the window shows, as the rules read it.
struct OnScreen {
    const std::array<const TileView*, falbok::kTiles + 1>& tiles;
    const GameWindow& window;
    int Picture(int tile) const { return tiles[static_cast<std::size_t>(tile)]->picture(); }
    bool Visible(int tile) const { return tiles[static_cast<std::size_t>(tile)]->shown(); }
    bool Mark(MenuItem item) const { return window.action(item)->isChecked(); }
    bool TimerEnabled() const { return window.fallTimer().isActive(); }
    int TimerInterval() const { return window.fallTimer().interval(); }
};

// The game and the window as they stood before an event.
struct Snapshot {
    std::array<std::int16_t, falbok::kCells> board{};
    std::array<std::int16_t, falbok::kCells> colours{};
    std::array<std::uint8_t, falbok::kColours> colorOn{};
    std::array<bool, falbok::kMenuItemCount> marks{};
    int curKind = 0, curColor = 0, nextKind = 0, nextColor = 0, turn = 0, pivot = 0, gameOver = 0;
    int mouseCell = 0, mouseOn = 0, tileSize = 0, backStyle = 0, escAction = 0, inTurn = 0, repeatSetting = 0;
    int repeatLeft = 0, settled = 0, interval = 0;
    bool timerActive = false;

    bool Running() const { return timerActive && gameOver == 0; }
    bool SamePiece(const Snapshot& o) const
    {
        return board == o.board && colours == o.colours && curKind == o.curKind && turn == o.turn && pivot == o.pivot;
    }
    bool operator==(const Snapshot&) const = default;
};

struct Tally {
    long beats = 0, keys = 0, repeats = 0, mouseMoves = 0, mousePresses = 0, menuCommands = 0;
    long restores = 0, pieces = 0, rowsCleared = 0, gamesOver = 0, newGamesByF2 = 0, newGamesByMenu = 0;
    long launches = 0, endedByCloseBox = 0, endedByEsc = 0, pixelChecks = 0;
};

// ---- The run

class Soak {
public:
    explicit Soak(std::uint64_t seed) : seed_(seed), rng_(seed)
    {
        for (const MenuEntry& entry : falbok::MenuTree()) {
            if (entry.kind == MenuEntry::Kind::Item) {
                items_.push_back(entry.item);
            }
        }
        for (std::size_t s = 0; s < kSizes.size(); ++s) {
            for (int p = 1; p <= 10; ++p) {
                expected_[s][static_cast<std::size_t>(p - 1)] = store_.Scaled(p, kSizes[s], 1.0).toImage();
            }
        }
        BuildTour();
    }
    ~Soak() { window_.reset(); }

    // Plays the events; returns the first broken rule, or "" when none broke.
    std::string Run(long events)
    {
        abortSeed = seed_;
        abortEvent = 0;
        abortKind = "start-up";
        auto* previous = std::signal(SIGABRT, SayWhereTheRunStood);
        std::string why = Launch();
        if (!why.empty()) {
            why = Report(0, "start-up", why);
        }
        for (long number = 1; why.empty() && number <= events; ++number) {
            why = Step(number);
            if (number == kWarmUpEvents) {
                baseRssKb_ = ResidentKb();
                warmUpGap_ = WarmUpGap();
            }
        }
        endRssKb_ = ResidentKb();
        std::signal(SIGABRT, previous);
        return why;
    }

    const Tally& Counts() const { return tally_; }
    long BaseRssKb() const { return baseRssKb_; }
    long EndRssKb() const { return endRssKb_; }
    // What the warm-up left out; "" when it saw everything.
    const std::string& WarmUpGapSeen() const { return warmUpGap_; }

private:
    static constexpr std::array<int, 4> kSizes{12, 18, 24, 30};

    int Roll(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    Game& game() { return window_->game(); }
    OnScreen Shown() const { return OnScreen{tiles_, *window_}; }

    // ---- Windows

    std::string Launch()
    {
        window_.reset();
        ended_ = 0;
        window_ = std::make_unique<GameWindow>(ProcessHooks{[] { return false; }, [this] { ++ended_; }});
        // The timer runs from construction on, so the gate goes in first.
        const_cast<QTimer&>(window_->fallTimer()).installEventFilter(&gate_);
        window_->Start();
        if (!QTest::qWaitForWindowActive(window_.get())) {
            return "a fresh window did not become active";
        }
        // The game seeds itself from the clock; pinning the seed lets a run
        // replay exactly.
        window_->SeedRandom(static_cast<double>(rng_() % 86'400'000) / 1000.0);
        for (int k = 1; k <= falbok::kTiles; ++k) {
            tiles_[static_cast<std::size_t>(k)] = window_->tile(static_cast<std::int16_t>(k));
            if (tiles_[static_cast<std::size_t>(k)] == nullptr) {
                return falbok::testing::At("a fresh window has no tile view", k);
            }
        }
        ++tally_.launches;
        spawned_ = false;
        return StandingViolation();
    }

    Snapshot Take() const
    {
        const Game& g = window_->game();
        Snapshot s;
        for (int k = 1; k <= falbok::kCells; ++k) {
            s.board[static_cast<std::size_t>(k - 1)] = g.Board(k);
            s.colours[static_cast<std::size_t>(k - 1)] = g.CellColor(k);
        }
        for (int c = 1; c <= falbok::kColours; ++c) {
            s.colorOn[static_cast<std::size_t>(c - 1)] = g.ColorOn(c);
        }
        for (int i = 0; i < falbok::kMenuItemCount; ++i) {
            s.marks[static_cast<std::size_t>(i)] = window_->action(static_cast<MenuItem>(i))->isChecked();
        }
        s.curKind = g.CurKind;
        s.curColor = g.CurColor;
        s.nextKind = g.NextKind;
        s.nextColor = g.NextColor;
        s.turn = g.Turn;
        s.pivot = g.PivotCell;
        s.gameOver = g.GameOver;
        s.mouseCell = g.MouseCell;
        s.mouseOn = g.MouseOn;
        s.tileSize = g.TileSize;
        s.backStyle = g.BackStyle;
        s.escAction = g.EscAction;
        s.inTurn = g.InTurn;
        s.repeatSetting = g.RepeatSetting;
        s.repeatLeft = g.RepeatLeft;
        s.settled = falbok::testing::CountCells(g, 1);
        s.interval = window_->fallTimer().interval();
        s.timerActive = window_->fallTimer().isActive();
        return s;
    }

    // The client area in window coordinates.
    QRect Client() const { return window_->clientArea()->geometry(); }

    // The tile under a point of the window by the tiles' current geometry;
    // 0 where the pointer meets no tile.
    int TileAt(QPoint p) const
    {
        const QRect client = Client();
        if (!client.contains(p)) {
            return 0;
        }
        const QPoint inClient = p - client.topLeft();
        for (int k = 1; k <= falbok::kTiles; ++k) {
            if (tiles_[static_cast<std::size_t>(k)]->geometry().contains(inClient)) {
                return k;
            }
        }
        return 0;
    }

    // ---- Picking events

    QPoint InTile(int k)
    {
        const QRect r = tiles_[static_cast<std::size_t>(k)]->geometry().translated(Client().topLeft());
        return r.topLeft() + QPoint(Roll(r.width()), Roll(r.height()));
    }

    // A point of the window: on a tile, on the bare client area around and
    // between the tiles, over the menu bar (not for presses) or outside.
    QPoint AnyPoint(bool forPress)
    {
        const QRect client = Client();
        const int t = game().TileSize;
        const int w = window_->width();
        const int h = window_->height();
        switch (Roll(8)) {
        case 0:
        case 1:
        case 2:
            return InTile(1 + Roll(falbok::kTiles));
        case 3:  // the margins left of and above the board
            return client.topLeft() +
                   (Roll(2) == 0 ? QPoint(Roll(5), Roll(client.height())) : QPoint(Roll(client.width()), Roll(5)));
        case 4:  // the gap between board and preview, and below the preview
            return client.topLeft() + (Roll(2) == 0 ? QPoint(5 + 10 * t + Roll(5), Roll(client.height()))
                                                    : QPoint(10 + 10 * t + Roll(4 * t), 5 + 2 * t + Roll(10)));
        case 5:
            return client.topLeft() + QPoint(Roll(client.width()), Roll(client.height()));
        case 6:
            return forPress ? client.topLeft() + QPoint(Roll(client.width()), Roll(client.height()))
                            : QPoint(Roll(w), Roll(client.top()));
        default:  // outside the window, on any side
            switch (Roll(4)) {
            case 0:
                return {-1 - Roll(60), client.top() + Roll(h - client.top())};
            case 1:
                return {w + Roll(60), client.top() + Roll(h - client.top())};
            case 2:
                return {Roll(w), h + Roll(60)};
            default:
                return {Roll(w), -1 - Roll(60)};
            }
        }
    }

    KeyDef KeyOf(Role role)
    {
        std::array<std::size_t, 3> found{};
        std::size_t n = 0;
        for (std::size_t i = 0; i < kTableKeys.size() && n < found.size(); ++i) {
            if (kTableKeys[i].role == role) {
                found[n++] = i;
            }
        }
        KeyDef key = kTableKeys[found[static_cast<std::size_t>(Roll(static_cast<int>(n)))]];
        if (Roll(12) == 0) {
            key.modifiers |= Qt::ShiftModifier;  // the game does not consult Shift
        }
        return key;
    }

    Event KeyEvent(const KeyDef& key)
    {
        Event e{Kind::Key, key};
        e.repeats = Roll(10) == 0 ? 1 + Roll(3) : 0;
        return e;
    }

    // Any key of the table but F2, which starts a new game and so comes on
    // its own, rarely.
    Event AnyTableKey() { return KeyEvent(kTableKeys[static_cast<std::size_t>(Roll(kF2))]); }

    Event UnknownKey()
    {
        KeyDef key{0, kNone, 0, Role::Unknown};
        static constexpr char kLetters[] = "BCEFGHIJKLMNOQRTUVXYZ";  // not W A S D P
        switch (Roll(5)) {
        case 0: {
            const char letter = kLetters[Roll(sizeof kLetters - 1)];
            key.key = letter;
            key.text = static_cast<char16_t>(letter - 'A' + 'a');
            break;
        }
        case 1:
            key.key = Qt::Key_0 + Roll(10);
            key.text = static_cast<char16_t>(key.key);
            break;
        case 2: {
            const int f = Roll(11);
            key.key = Qt::Key_F1 + (f == 0 ? 0 : f + 1);  // all but F2
            break;
        }
        case 3: {
            // А..Я and Ё, less the five on W A S D P.
            int letter = Roll(33) == 0 ? 0x0401 : 0x0410 + Roll(32);
            while (letter == 0x0426 || letter == 0x0424 || letter == 0x042B || letter == 0x0412 || letter == 0x0417) {
                letter = 0x0410 + Roll(32);
            }
            key.key = letter;
            key.text = static_cast<char16_t>(letter == 0x0401 ? 0x0451 : letter + 0x20);
            break;
        }
        default:
            key.key = kIdleKeys[static_cast<std::size_t>(Roll(static_cast<int>(kIdleKeys.size())))];
            break;
        }
        if (Roll(3) == 0) {
            constexpr std::array<Qt::KeyboardModifier, 4> kModifiers{Qt::ShiftModifier, Qt::ControlModifier,
                                                                     Qt::AltModifier, Qt::MetaModifier};
            for (const Qt::KeyboardModifier m : kModifiers) {
                key.modifiers.setFlag(m, Roll(2) == 0);
            }
        }
        return KeyEvent(key);
    }

    Event Mouse(Kind kind, QPoint at)
    {
        Event e{kind};
        e.at = at;
        if (kind != Kind::MouseMove) {
            // Drags hold a real button, or they would be plain moves.
            const int first = kind == Kind::MouseDrag ? 1 : 0;
            e.button = kButtons[static_cast<std::size_t>(first + Roll(static_cast<int>(kButtons.size()) - first))];
            if (Roll(2) == 0) {
                e.button = Roll(2) == 0 ? Qt::LeftButton : Qt::RightButton;
            }
        }
        e.to = kind == Kind::MouseDrag ? AnyPoint(false) : at;
        return e;
    }

    Event MenuEvent(MenuItem item)
    {
        Event e{Kind::Menu};
        e.item = item;
        return e;
    }

    int PivotColumn() { return falbok::IsBoardCell(game().PivotCell) ? Column(game().PivotCell) : plan_.column; }
    bool OnPlan() { return game().Turn == plan_.turn && PivotColumn() == plan_.column; }
    Event Steer() { return game().Turn != plan_.turn ? KeyEvent(KeyOf(Role::Rotate)) : Sideways(); }

    // Mostly toward the planned column; now and then either way.
    Event Sideways()
    {
        const int pivotColumn = PivotColumn();
        if (Roll(6) == 0 || pivotColumn == plan_.column) {
            return KeyEvent(KeyOf(Roll(2) == 0 ? Role::Left : Role::Right));
        }
        return KeyEvent(KeyOf(plan_.column < pivotColumn ? Role::Left : Role::Right));
    }

    void PlanPiece()
    {
        if (game().CurKind < 1 || game().CurKind > 7) {
            return;
        }
        const auto kind = static_cast<std::size_t>(game().CurKind);
        if (Roll(4) == 0) {
            plan_ = falbok::testing::DropPlan{Roll(falbok::testing::kOrientations[kind]), 1 + Roll(10)};
        } else if (const auto best = falbok::testing::BestDrop(game(), Roll(10))) {
            plan_ = *best;
        }
    }

    // Beats and steering dominate, so that pieces land, rows fill and games
    // run to their end; a finished game is followed by a new one soon.
    Event Pick(long number)
    {
        if (window_->isMinimized()) {
            return Event{Kind::Restore};  // the player brings the window back
        }
        if (number <= kWarmUpEvents && number % kTourEvery == 0 && !tour_.empty()) {
            pending_.insert(pending_.end(), tour_.front().begin(), tour_.front().end());
            tour_.pop_front();
        }
        if (!pending_.empty()) {
            const Event e = pending_.front();
            pending_.pop_front();
            return e;
        }
        if (game().GameOver == 1 && Roll(10) == 0) {
            // A finished game: the player starts the next one, or first
            // tries to pause or resume this one.
            const int choice = Roll(6);
            return choice < 2   ? KeyEvent(kTableKeys[kF2])
                   : choice < 3 ? MenuEvent(MenuItem::mnuNew)
                   : choice < 5 ? MenuEvent(MenuItem::mnuPause)
                                : KeyEvent(kTableKeys[kFirstPauseKey + static_cast<std::size_t>(Roll(3))]);
        }
        const int roll = Roll(1000);
        if (roll < 280) {
            if (window_->fallTimer().isActive()) {
                return Event{Kind::Beat};
            }
            // Paused: mostly the player resumes.
            return Roll(2) == 0 ? KeyEvent(kTableKeys[kFirstPauseKey + static_cast<std::size_t>(Roll(4))])
                                : AnyTableKey();
        }
        if (roll < 600) {
            return Sideways();
        }
        if (roll < 680) {
            return game().Turn != plan_.turn || Roll(4) == 0 ? KeyEvent(KeyOf(Role::Rotate)) : Sideways();
        }
        if (roll < 720) {
            return OnPlan() || Roll(5) == 0 ? KeyEvent(KeyOf(Role::SoftDrop)) : Steer();
        }
        if (roll < 750) {
            return OnPlan() || Roll(5) == 0 ? KeyEvent(kTableKeys[kSpace]) : Steer();
        }
        if (roll < 790) {
            return AnyTableKey();
        }
        if (roll < 810) {
            return UnknownKey();
        }
        if (roll < 900) {
            // Over the column the piece is steered to, or anywhere.
            const bool steer = game().MouseOn == 1 && Roll(8) != 0;
            return Mouse(Kind::MouseMove, steer ? InTile(plan_.column + 10 * Roll(20)) : AnyPoint(false));
        }
        if (roll < 940) {
            const int variant = Roll(8);
            const Kind kind = variant < 6 ? Kind::MouseClick : variant == 6 ? Kind::MouseDrag : Kind::MouseDoubleClick;
            return Mouse(kind, Roll(3) != 0 ? InTile(1 + Roll(falbok::kCells)) : AnyPoint(true));
        }
        if (roll < 980) {
            return MenuEvent(items_[static_cast<std::size_t>(Roll(static_cast<int>(items_.size())))]);
        }
        if (roll == 980 && Roll(4) == 0) {
            return Event{Kind::CloseBox};
        }
        if (roll == 981 && Roll(2) == 0) {
            return KeyEvent(kTableKeys[kF2]);
        }
        return Sideways();
    }

    // The warm-up tour: every menu item, every key of the table, every
    // button, the bare parts of the window, Esc minimising and closing, and
    // the close box; the random mix between its steps does the rest.
    void BuildTour()
    {
        const auto step = [this](std::vector<Event> events) { tour_.push_back(std::move(events)); };
        for (const MenuItem item : items_) {
            step({MenuEvent(item)});
        }
        for (const KeyDef& key : kTableKeys) {
            step({Event{Kind::Key, key, 2}});
        }
        for (int i = 0; i < 8; ++i) {
            Event e = UnknownKey();
            e.key.key = kIdleKeys[static_cast<std::size_t>(i)];
            step({e});
        }
        step({MenuEvent(MenuItem::mnuMouse)});
        for (const Qt::MouseButton button : kButtons) {
            for (const Kind kind : {Kind::MouseClick, Kind::MouseDoubleClick}) {
                Event e{kind};
                e.button = button;
                e.at = QPoint(60, 100);  // over the board at every size
                e.to = e.at;
                step({e});
            }
        }
        for (const QPoint p : {QPoint(2, 40), QPoint(230, 300), QPoint(-5, 100), QPoint(100, 5000)}) {
            Event e{Kind::MouseDrag};
            e.button = Qt::LeftButton;
            e.at = QPoint(60, 100);
            e.to = p;
            step({e, Mouse(Kind::MouseMove, p)});
        }
        step({MenuEvent(MenuItem::mnuESC2), Event{Kind::Key, kTableKeys[kEsc]}});
        step({MenuEvent(MenuItem::mnuESC3), Event{Kind::Key, kTableKeys[kEsc]}});
        step({Event{Kind::CloseBox}});
    }

    // ---- Delivering, the way Qt delivers

    // A press, its repeats and the release of a key the platform reports
    // with its physical key.
    void SendPhysicalKey(const KeyDef& key, const QString& text, int repeats)
    {
        const auto send = [&](QEvent::Type type, bool repeat) {
            QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window_.get();
            QKeyEvent event(type, key.key, key.modifiers, key.keycode, 0, 0, text, repeat);
            QApplication::sendEvent(target, &event);
        };
        send(QEvent::KeyPress, false);
        for (int i = 0; i < repeats && ended_ == 0; ++i) {
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
            QCoreApplication::processEvents();
        }
        if (ended_ == 0) {
            send(QEvent::KeyRelease, false);
        }
    }

    void Deliver(const Event& e)
    {
        QWindow* window = window_->windowHandle();
        switch (e.kind) {
        case Kind::Beat: {
            // The window lends its timer out read-only; a beat is an event
            // sent to it all the same.
            auto& timer = const_cast<QTimer&>(window_->fallTimer());
            QTimerEvent beat(timer.timerId());
            gate_.open = true;
            QCoreApplication::sendEvent(&timer, &beat);
            gate_.open = false;
            break;
        }
        case Kind::Key: {
            const auto key = static_cast<Qt::Key>(e.key.key);
            const QString text = e.key.text != 0 ? QString(QChar(e.key.text)) : QString();
            if (e.key.keycode != 0) {
                // Qt Test's key events carry no physical key: these go
                // straight to the widget with the keyboard focus.
                SendPhysicalKey(e.key, text, e.repeats);
                break;
            }
            QTest::sendKeyEvent(QTest::Press, window, key, text, e.key.modifiers);
            // A held key repeats as the platform reports it; an ended
            // program takes no more keys.
            for (int i = 0; i < e.repeats && ended_ == 0; ++i) {
                qt_handleKeyEvent(window, QEvent::KeyRelease, key, e.key.modifiers, text, true);
                qt_handleKeyEvent(window, QEvent::KeyPress, key, e.key.modifiers, text, true);
                QCoreApplication::processEvents();
            }
            if (ended_ == 0) {
                QTest::sendKeyEvent(QTest::Release, window, key, text, e.key.modifiers);
            }
            break;
        }
        case Kind::MouseMove:
            QTest::mouseMove(window, e.at);
            break;
        case Kind::MouseClick:
            QTest::mousePress(window, e.button, {}, e.at);
            QTest::mouseRelease(window, e.button, {}, e.at);
            break;
        case Kind::MouseDrag:
            QTest::mousePress(window, e.button, {}, e.at);
            QTest::mouseMove(window, e.to);
            QTest::mouseRelease(window, e.button, {}, e.to);
            break;
        case Kind::MouseDoubleClick:
            QTest::mouseDClick(window, e.button, {}, e.at);
            break;
        case Kind::Menu:
            window_->action(e.item)->activate(QAction::Trigger);
            break;
        case Kind::CloseBox:
            window->close();  // what the platform does for the close box
            break;
        case Kind::Restore:
            window_->showNormal();
            break;
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // QTest turns a point at the very corner into the window's centre.
    static QPoint Delivered(QPoint p, const QWindow& window)
    {
        return p.isNull() ? QPoint(window.width() / 2, window.height() / 2) : p;
    }

    std::string Step(long number)
    {
        Event e = Pick(number);
        e.at = Delivered(e.at, *window_->windowHandle());
        e.to = Delivered(e.to, *window_->windowHandle());
        abortEvent = number;
        abortKind = KindName(e.kind);
        const Snapshot before = Take();
        pointerMoved_ = window_->windowHandle()->mapToGlobal(e.at) != lastPointer_;
        Deliver(e);
        if (e.kind >= Kind::MouseMove && e.kind <= Kind::MouseDoubleClick) {
            lastPointer_ = window_->windowHandle()->mapToGlobal(e.kind == Kind::MouseDrag ? e.to : e.at);
        }
        const std::string why = Account(before, e, number);
        return why.empty() ? why : Report(number, e.Describe(), why);
    }

    std::string Report(long number, const std::string& event, const std::string& why) const
    {
        return "seed " + std::to_string(seed_) + ", event " + std::to_string(number) + " (" + event + "): " + why +
               "  [replay with FALBOK_SOAK_SEED=" + std::to_string(seed_) + "]";
    }

    // Counts what the event did, starts a fresh window after the program
    // ended, and checks every rule.
    std::string Account(const Snapshot& before, const Event& e, long number)
    {
        const bool closes =
            e.kind == Kind::CloseBox || (e.kind == Kind::Key && e.key.key == Qt::Key_Escape && before.escAction == 3);
        if (closes || ended_ != 0) {
            if (!closes) {
                return "the program ended on an event that does not close the window";
            }
            if (ended_ != 1) {
                return "closing the window called the end of the program " + std::to_string(ended_) + " times";
            }
            if (window_->isVisible() || window_->fallTimer().isActive()) {
                return "the window stays on screen or its timer runs after the program ended";
            }
            ++(e.kind == Kind::CloseBox ? tally_.endedByCloseBox : tally_.endedByEsc);
            tally_.keys += e.kind == Kind::Key;
            return Launch();
        }
        switch (e.kind) {
        case Kind::Beat:
            if (std::string why = AccountBeat(before); !why.empty()) {
                return why;
            }
            break;
        case Kind::Key:
            ++tally_.keys;
            tally_.repeats += e.repeats;
            if (e.key.role == Role::NewGame) {
                ++tally_.newGamesByF2;
                spawned_ = false;
            }
            for (std::size_t i = 0; i < kTableKeys.size(); ++i) {
                keySeen_[i] = keySeen_[i] || (kTableKeys[i].key == e.key.key && kTableKeys[i].text == e.key.text &&
                                              e.key.modifiers.testFlag(Qt::KeypadModifier) ==
                                                  kTableKeys[i].modifiers.testFlag(Qt::KeypadModifier));
            }
            break;
        case Kind::MouseMove:
            ++tally_.mouseMoves;
            break;
        case Kind::MouseClick:
        case Kind::MouseDrag:
        case Kind::MouseDoubleClick:
            tally_.mousePresses += e.kind == Kind::MouseDoubleClick ? 2 : 1;
            for (std::size_t i = 0; i < kButtons.size(); ++i) {
                buttonSeen_ |= kButtons[i] == e.button ? 1u << i : 0u;
            }
            break;
        case Kind::Menu:
            ++tally_.menuCommands;
            itemSeen_[static_cast<std::size_t>(e.item)] = true;
            if (e.item == MenuItem::mnuNew) {
                ++tally_.newGamesByMenu;
                spawned_ = false;
            }
            break;
        case Kind::CloseBox:
            break;
        case Kind::Restore:
            ++tally_.restores;
            if (window_->isMinimized()) {
                return "the window stays minimised after it was restored";
            }
            break;
        }
        for (std::size_t s = 0; s < kSizes.size(); ++s) {
            sizeSeen_[s] = sizeSeen_[s] || game().TileSize == kSizes[s];
        }
        if (std::string why = StandingViolation(); !why.empty()) {
            return why;
        }
        if (std::string why = EventViolation(before, Take(), e); !why.empty()) {
            return why;
        }
        return number % kPixelCheckEvery == 0 ? PixelViolation() : std::string();
    }

    // A beat either moves the piece one row down, or settles it, removes
    // whole rows and brings in the next piece (or ends the game).
    std::string AccountBeat(const Snapshot& before)
    {
        ++tally_.beats;
        const Game& g = game();
        const int settled = falbok::testing::CountCells(g, 1);
        if (before.curKind != 0 && settled == before.settled) {
            return g.PivotCell == before.pivot + 10 && g.CurKind == before.curKind && g.Turn == before.turn
                       ? ""
                       : "a beat did not move the falling piece one row down";
        }
        ++tally_.pieces;
        spawned_ = true;
        PlanPiece();
        tally_.gamesOver += g.GameOver;
        const int removed = before.settled + (before.curKind != 0 ? 4 : 0) - settled;
        if (removed < 0 || removed % 10 != 0) {
            return "a landing beat removed " + std::to_string(removed) + " cells, not whole rows";
        }
        tally_.rowsCleared += removed / 10;
        return {};
    }

    // ---- The rules

    // The rules that hold between any two events.
    std::string StandingViolation()
    {
        if (std::string why = falbok::testing::FirstViolation(game(), Shown(), spawned_); !why.empty()) {
            return why;
        }
        return WindowViolation();
    }

    // What only the real window can get wrong between events.
    std::string WindowViolation() const
    {
        const Game& g = window_->game();
        for (int k = 1; k <= falbok::kCells; ++k) {
            if (g.CellDirty(k) != 0) {
                return falbok::testing::At("a cell is still flagged for redrawing after the event", k);
            }
        }
        const int t = g.TileSize;
        for (int k = 1; k <= falbok::kTiles; ++k) {
            const int i = k <= falbok::kCells ? k - 1 : k - falbok::kPreviewFirst;
            const int columns = k <= falbok::kCells ? 10 : 4;
            const int left = k <= falbok::kCells ? 5 : 10 * t + 10;
            const QRect expected(left + t * (i % columns), 5 + t * (i / columns), t, t);
            if (tiles_[static_cast<std::size_t>(k)]->geometry() != expected) {
                return falbok::testing::At("a tile view is not where the tile size puts it", k);
            }
        }
        for (const MenuEntry& entry : falbok::MenuTree()) {
            if ((entry.command == nullptr || entry.item == MenuItem::mnuNew) &&
                window_->action(entry.item)->isChecked()) {
                return "an item that carries no mark is marked: " + std::string(entry.name);
            }
        }
        if (window_->clientArea()->size() != QSize(GameWindow::kClientWidth, GameWindow::kClientHeight)) {
            return "the client area changed its size";
        }
        if (window_->focusWidget() != window_->clientArea()) {
            return "the keyboard focus left the client area";
        }
        if (QApplication::activePopupWidget() != nullptr) {
            return "a popup opened";
        }
        return {};
    }

    // Each delivered event acted once, on what it was aimed at.
    std::string EventViolation(const Snapshot& before, const Snapshot& after, const Event& e)
    {
        switch (e.kind) {
        case Kind::Key:
            return KeyViolation(before, after, e);
        case Kind::MouseMove:
        case Kind::MouseClick:
        case Kind::MouseDrag:
        case Kind::MouseDoubleClick:
            return MouseViolation(before, after, e);
        case Kind::Menu:
            return MenuViolation(before, after, e.item);
        default:
            return {};
        }
    }

    std::string KeyViolation(const Snapshot& before, const Snapshot& after, const Event& e)
    {
        const Role role = e.key.role;
        if (role == Role::Unknown) {
            return after == before ? "" : "a key the game has no use for changed the game";
        }
        if (role == Role::NewGame) {
            return NewGameViolation();
        }
        if (role == Role::Other) {
            return {};
        }
        if (!before.Running()) {
            return after == before ? "" : "a move key changed a paused or finished game";
        }
        if (before.curKind == 0) {
            return {};
        }
        const int presses = e.Presses();
        const int step = Column(after.pivot) - Column(before.pivot);
        const bool sameRow = RowOf(after.pivot) == RowOf(before.pivot);
        const bool samePiece = after.curKind == before.curKind && after.turn == before.turn;
        switch (role) {
        case Role::Left:
            return samePiece && sameRow && step <= 0 && step >= -presses
                       ? ""
                       : "a left key moved more than one column a press";
        case Role::Right:
            return samePiece && sameRow && step >= 0 && step <= presses
                       ? ""
                       : "a right key moved more than one column a press";
        case Role::Rotate:
            return after.curKind == before.curKind && after.pivot == before.pivot &&
                           QuarterTurns(before, after) <= presses
                       ? ""
                       : "a rotation key turned more than a quarter turn a press";
        case Role::SoftDrop: {
            const int rows = RowOf(after.pivot) - RowOf(before.pivot);
            return after.curKind == 0 || (samePiece && step == 0 && rows >= 0 && rows <= presses)
                       ? ""
                       : "a step key moved the piece other than one row down a press";
        }
        default:
            return {};
        }
    }

    // Quarter turns from one orientation to the other, where four
    // orientations tell them apart; 0 for kinds with fewer.
    static int QuarterTurns(const Snapshot& before, const Snapshot& after)
    {
        if (falbok::testing::kOrientations[static_cast<std::size_t>(before.curKind)] != 4) {
            return 0;
        }
        return (after.turn - before.turn + 4) % 4;
    }

    std::string MouseViolation(const Snapshot& before, const Snapshot& after, const Event& e)
    {
        // A press at a new place comes after a move there, as on a real
        // screen; a drag's moves belong to the press, not to the tiles.
        const int tile = TileAt(e.at);
        if (!before.timerActive || tile == 0) {
            if (after.mouseCell != before.mouseCell) {
                return "the pointer moved MouseCell while the game is stopped or over no tile";
            }
        } else if (pointerMoved_ && after.mouseCell != tile) {
            return "the pointer over tile " + std::to_string(tile) + " set MouseCell " +
                   std::to_string(after.mouseCell);
        }
        const bool onBoard = falbok::IsBoardCell(tile);
        if (!before.Running() || before.mouseOn == 0 || !onBoard) {
            return after.SamePiece(before) ? "" : "the mouse changed the piece where it has no say";
        }
        if (e.kind == Kind::MouseMove || e.button == Qt::LeftButton || before.curKind == 0) {
            return {};
        }
        const int presses = e.kind == Kind::MouseDoubleClick ? 2 : 1;
        const int turns = e.button == Qt::RightButton ? presses : 0;
        if (after.curKind != before.curKind || RowOf(after.pivot) != RowOf(before.pivot) ||
            QuarterTurns(before, after) > turns || (turns == 0 && after.turn != before.turn)) {
            return "a mouse press did more than one quarter turn a right press";
        }
        return {};
    }

    // Choosing an item runs its command: a group marks the chosen value, a
    // switch flips, a disabled hint does nothing at all.
    std::string MenuViolation(const Snapshot& before, const Snapshot& after, MenuItem item)
    {
        using enum MenuItem;
        const Game& g = game();
        const auto is = [item](auto family, auto value) { return family(value) == item; };
        for (const int s : kSizes) {
            if (is(falbok::SizeItem, s) && g.TileSize != s) {
                return "a size item did not set its size";
            }
        }
        for (int n = 0; n <= 3; ++n) {
            if (is(falbok::EscItem, n) && g.EscAction != n) {
                return "an Esc item did not bind Esc";
            }
        }
        for (int n = 1; n <= 3; ++n) {
            if (is(falbok::BackColorItem, n) && g.BackStyle != n) {
                return "a background item did not set the background";
            }
        }
        for (int n = 0; n <= 2; ++n) {
            if (is(falbok::FiguresItem, n) && g.RepeatSetting != n) {
                return "an appearance item did not set the repeats";
            }
        }
        for (int ms = falbok::kFastestInterval; ms <= falbok::kSlowestInterval; ms += falbok::kIntervalStep) {
            if (is(falbok::SpeedItem, ms) && after.interval != ms) {
                return "a speed item did not set the interval";
            }
        }
        for (int c = 1; c <= falbok::kColours; ++c) {
            const bool wasOn = before.colorOn[static_cast<std::size_t>(c - 1)] == 1;
            const int inUse = static_cast<int>(std::count(before.colorOn.begin(), before.colorOn.end(), 1));
            if (is(falbok::ColorItem, c) && (wasOn ? inUse > 1 && g.ColorOn(c) == 1 : g.ColorOn(c) != 1)) {
                return "a colour item did not switch its colour";
            }
        }
        switch (item) {
        case mnuNew:
            return NewGameViolation();
        case mnuPause:
            return before.gameOver == 1 || after.timerActive != before.timerActive ? ""
                                                                                   : "the pause item did not switch";
        case mnuMouse:
            return after.mouseOn != before.mouseOn ? "" : "the mouse item did not switch";
        case mnuFiguresABC:
            return after.inTurn != before.inTurn ? "" : "the in-turn item did not switch";
        case mnuColors7:
            return std::count(after.colorOn.begin(), after.colorOn.end(), 1) == 7 ? "" : "not every colour came in";
        case mnuColors1:
            return std::count(after.colorOn.begin(), after.colorOn.end(), 1) == 1 ? ""
                                                                                  : "not exactly one colour is left";
        case mnuPageUp:
        case mnuPageDown:
            return after == before ? "" : "a disabled hint changed the game";
        default:
            return {};
        }
    }

    std::string NewGameViolation()
    {
        const Game& g = game();
        if (falbok::testing::Occupied(g) != 0 || g.CurKind != 0 || g.GameOver != 0 || g.MouseCell != 0 ||
            !window_->fallTimer().isActive()) {
            return "no new game started: the board is not empty or the timer is not running";
        }
        const int background = falbok::testing::BackgroundFor(g.BackStyle);
        for (int k = 1; k <= falbok::kTiles; ++k) {
            if (tiles_[static_cast<std::size_t>(k)]->picture() != background) {
                return falbok::testing::At("a new game left a tile showing a piece", k);
            }
        }
        return {};
    }

    // What Qt really painted: the tiles that lie wholly in the client area,
    // read back from the window's backing store.
    std::string PixelViolation()
    {
        if (window_->isMinimized() || !window_->windowHandle()->isExposed()) {
            return {};
        }
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(window_->winId()).toImage();
        if (shot.size() != window_->size()) {
            return "the window's picture is not the window's size";
        }
        const int t = game().TileSize;
        std::size_t size = 0;
        while (kSizes[size] != t) {
            ++size;
        }
        const QRect client = Client();
        for (int k = 1; k <= falbok::kTiles; ++k) {
            const TileView* tile = tiles_[static_cast<std::size_t>(k)];
            const QRect r = tile->geometry().translated(client.topLeft());
            if (!client.contains(r)) {
                continue;
            }
            const QImage& picture = expected_[size][static_cast<std::size_t>(tile->picture() - 1)];
            for (const QPoint p : {QPoint(t / 2, t / 2), QPoint(0, 0), QPoint(t - 1, 1)}) {
                if ((shot.pixel(r.topLeft() + p) & 0xFFFFFFu) != (picture.pixel(p) & 0xFFFFFFu)) {
                    return falbok::testing::At("a tile on screen does not show its picture", k);
                }
            }
        }
        ++tally_.pixelChecks;
        return {};
    }

    std::string WarmUpGap() const
    {
        std::string gap;
        for (const MenuItem item : items_) {
            if (!itemSeen_[static_cast<std::size_t>(item)]) {
                gap += " menu item " + std::string(falbok::MenuEntryOf(item).name) + ";";
            }
        }
        for (std::size_t i = 0; i < kTableKeys.size(); ++i) {
            if (!keySeen_[i]) {
                gap += " table key #" + std::to_string(i) + ";";
            }
        }
        for (std::size_t s = 0; s < kSizes.size(); ++s) {
            if (!sizeSeen_[s]) {
                gap += " tile size " + std::to_string(kSizes[s]) + ";";
            }
        }
        if (buttonSeen_ != (1u << kButtons.size()) - 1) {
            gap += " some mouse button;";
        }
        const Tally& t = tally_;
        for (const auto& [count, what] : {std::pair{t.beats, "beat"},
                                          {t.repeats, "auto-repeat"},
                                          {t.mouseMoves, "mouse move"},
                                          {t.restores, "restore"},
                                          {t.endedByCloseBox, "close box"},
                                          {t.endedByEsc, "Esc closing"},
                                          {t.pieces, "piece"},
                                          {t.pixelChecks, "pixel check"}}) {
            if (count == 0) {
                gap += std::string(" no ") + what + ";";
            }
        }
        return gap;
    }

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    std::unique_ptr<GameWindow> window_;
    std::array<const TileView*, falbok::kTiles + 1> tiles_{};
    int ended_ = 0;  // calls of the end-of-program hook by the current window
    BeatGate gate_;
    falbok::qt::PictureStore store_;
    std::array<std::array<QImage, 10>, 4> expected_;  // by tile size, then picture
    std::vector<MenuItem> items_;                     // every item of the menus, hints too
    std::deque<std::vector<Event>> tour_;
    std::deque<Event> pending_;
    falbok::testing::DropPlan plan_;
    bool spawned_ = false;  // a piece came in since the last new game
    QPoint lastPointer_{-100000, -100000};
    bool pointerMoved_ = false;
    std::array<bool, falbok::kMenuItemCount> itemSeen_{};
    std::array<bool, kTableKeys.size()> keySeen_{};
    std::array<bool, 4> sizeSeen_{};
    unsigned buttonSeen_ = 0;
    Tally tally_;
    long baseRssKb_ = -1;
    long endRssKb_ = -1;
    std::string warmUpGap_ = " the warm-up did not finish;";
};

std::uint64_t ChosenSeed()
{
    const char* text = std::getenv("FALBOK_SOAK_SEED");
    if (text == nullptr || *text == '\0') {
        return kDefaultSeed;
    }
    return std::strtoull(text, nullptr, 10);
}

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void randomEventsKeepEveryRule();
};

void SoakTest::randomEventsKeepEveryRule()
{
    const std::uint64_t seed = ChosenSeed();
    previousHandler = qInstallMessageHandler(QuietHandler);
    Soak soak(seed);
    const std::string why = soak.Run(kEvents);
    qInstallMessageHandler(previousHandler);

    const Tally& t = soak.Counts();
    std::printf("soak seed %llu: %ld beats, %ld keys (%ld repeats), %ld mouse moves, %ld presses, %ld menu commands, "
                "%ld restores; %ld pieces, %ld rows cleared, %ld games over, %ld new games by F2 and %ld by menu; "
                "%ld windows (%ld closed by the close box, %ld by Esc); %ld pixel checks; "
                "resident %ld KiB after %ld events, %ld KiB at the end\n",
                static_cast<unsigned long long>(seed), t.beats, t.keys, t.repeats, t.mouseMoves, t.mousePresses,
                t.menuCommands, t.restores, t.pieces, t.rowsCleared, t.gamesOver, t.newGamesByF2, t.newGamesByMenu,
                t.launches, t.endedByCloseBox, t.endedByEsc, t.pixelChecks, soak.BaseRssKb(), kWarmUpEvents,
                soak.EndRssKb());
    std::fflush(stdout);
    QVERIFY2(why.empty(), why.c_str());

    const QByteArray where = "seed " + QByteArray::number(static_cast<qulonglong>(seed));
    QVERIFY2(soak.WarmUpGapSeen().empty(), (where + ": the warm-up missed" + soak.WarmUpGapSeen().c_str()).constData());
    // The run played real games: pieces landed (a piece falls at most 19
    // rows before the beat that settles it), rows were cleared, games ended
    // and new ones began every way there is.
    const long gamesBegun = t.newGamesByF2 + t.newGamesByMenu + t.launches;
    QVERIFY2(t.pieces > 0 && 20 * (t.pieces + gamesBegun) >= t.beats, where.constData());
    QVERIFY2(t.rowsCleared > 0, where.constData());
    QVERIFY2(t.gamesOver > 0, where.constData());
    QVERIFY2(t.newGamesByF2 > 0 && t.newGamesByMenu > 0, where.constData());
    QVERIFY2(t.endedByCloseBox > 0 && t.endedByEsc > 0, where.constData());

    QVERIFY2(soak.BaseRssKb() > 0 && soak.EndRssKb() > 0, "VmRSS not readable");
    QVERIFY2(soak.EndRssKb() - soak.BaseRssKb() <= kRssGrowthLimitKb,
             (where + ": resident memory grew from " + QByteArray::number(soak.BaseRssKb()) + " KiB after " +
              QByteArray::number(static_cast<qlonglong>(kWarmUpEvents)) + " events to " +
              QByteArray::number(soak.EndRssKb()) + " KiB")
                 .constData());
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
