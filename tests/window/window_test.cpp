// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real Qt window, driven without a display: its menu bar, check marks,
// tile layout, key and mouse delivery, pictures, timer and closing.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>
#include <QWindow>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/game.h"
#include "engine/menu_items.h"
#include "tile_corners.h"
#include "window/pictures.h"
#include "window/qt/game_window.h"
#include "window/qt/key_codes.h"
#include "window/qt/picture_store.h"
#include "window/qt/tile_view.h"

using falbok::MenuItem;
using falbok::qt::GameWindow;
using falbok::qt::ProcessHooks;
using falbok::qt::TileView;

namespace {

// An interval long enough that no beat comes while a test runs; the timer
// stays enabled, so keys and the mouse act as in a running game.
constexpr std::int32_t kNoBeat = 3'600'000;

enum class Kind { Menu, Item, Separator };

struct MenuRow {
    int depth;  // 0 for the two menus of the bar
    Kind kind;
    MenuItem item;
    const char* name;
    const char* caption;  // UTF-8
    bool enabled;
};

constexpr MenuRow M(int depth, MenuItem item, const char* name, const char* caption)
{
    return {depth, Kind::Menu, item, name, caption, true};
}
constexpr MenuRow I(int depth, MenuItem item, const char* name, const char* caption, bool enabled = true)
{
    return {depth, Kind::Item, item, name, caption, enabled};
}
constexpr MenuRow S(int depth, MenuItem item, const char* name)
{
    return {depth, Kind::Separator, item, name, "", true};
}

// The whole menu bar, depth first in screen order. "12х12" and "24х24" carry
// the Cyrillic small ha, "18x18" and "30x30" the Latin x.
const std::vector<MenuRow> kMenuBar{
    M(0, MenuItem::mnuMenu, "mnuMenu", "Игра"),
    I(1, MenuItem::mnuNew, "mnuNew", "Заново"),
    S(1, MenuItem::r1, "r1"),
    I(1, MenuItem::mnuPause, "mnuPause", "Пауза [PAUSE] [P]"),
    M(0, MenuItem::mnuOptions, "mnuOptions", "Настройки"),
    M(1, MenuItem::mnuSize, "mnuSize", "Размер"),
    I(2, MenuItem::mnuSize12, "mnuSize12", "12\u044512"),
    I(2, MenuItem::mnuSize18, "mnuSize18", "18x18"),
    I(2, MenuItem::mnuSize24, "mnuSize24", "24\u044524"),
    I(2, MenuItem::mnuSize30, "mnuSize30", "30x30"),
    M(1, MenuItem::mnuESC, "mnuESC", "ESC"),
    I(2, MenuItem::mnuESC0, "mnuESC0", "Не назначено"),
    I(2, MenuItem::mnuESC1, "mnuESC1", "Пауза"),
    I(2, MenuItem::mnuESC2, "mnuESC2", "Свернуть"),
    I(2, MenuItem::mnuESC3, "mnuESC3", "Закрыть игру"),
    M(1, MenuItem::mnuSpeed, "mnuSpeed", "Скорость"),
    I(2, MenuItem::mnuPageUp, "mnuPageUp", "[PAGE UP] [+]", false),
    S(2, MenuItem::r2, "r2"),
    I(2, MenuItem::mnuSpeed50, "mnuSpeed50", "20"),
    I(2, MenuItem::mnuSpeed100, "mnuSpeed100", "19"),
    I(2, MenuItem::mnuSpeed150, "mnuSpeed150", "18"),
    S(2, MenuItem::r3, "r3"),
    I(2, MenuItem::mnuSpeed200, "mnuSpeed200", "17"),
    I(2, MenuItem::mnuSpeed250, "mnuSpeed250", "16"),
    I(2, MenuItem::mnuSpeed300, "mnuSpeed300", "15"),
    I(2, MenuItem::mnuSpeed350, "mnuSpeed350", "14"),
    I(2, MenuItem::mnuSpeed400, "mnuSpeed400", "13"),
    I(2, MenuItem::mnuSpeed450, "mnuSpeed450", "12"),
    S(2, MenuItem::r4, "r4"),
    I(2, MenuItem::mnuSpeed500, "mnuSpeed500", "11"),
    I(2, MenuItem::mnuSpeed550, "mnuSpeed550", "10"),
    I(2, MenuItem::mnuSpeed600, "mnuSpeed600", "9"),
    I(2, MenuItem::mnuSpeed650, "mnuSpeed650", "8"),
    I(2, MenuItem::mnuSpeed700, "mnuSpeed700", "7"),
    I(2, MenuItem::mnuSpeed750, "mnuSpeed750", "6"),
    I(2, MenuItem::mnuSpeed800, "mnuSpeed800", "5"),
    I(2, MenuItem::mnuSpeed850, "mnuSpeed850", "4"),
    I(2, MenuItem::mnuSpeed900, "mnuSpeed900", "3"),
    I(2, MenuItem::mnuSpeed950, "mnuSpeed950", "2"),
    I(2, MenuItem::mnuSpeed1000, "mnuSpeed1000", "1"),
    S(2, MenuItem::r5, "r5"),
    I(2, MenuItem::mnuPageDown, "mnuPageDown", "[PAGE DOWN] [-]", false),
    M(1, MenuItem::mnuBackColor, "mnuBackColor", "Цвет фона"),
    I(2, MenuItem::mnuBackColor1, "mnuBackColor1", "Без фона"),
    I(2, MenuItem::mnuBackColor2, "mnuBackColor2", "Светлый"),
    I(2, MenuItem::mnuBackColor3, "mnuBackColor3", "Т\u0451мный"),
    M(1, MenuItem::mnuColors, "mnuColors", "Цвета"),
    I(2, MenuItem::mnuColors7, "mnuColors7", "Разные"),
    S(2, MenuItem::r6, "r6"),
    I(2, MenuItem::mnuColor1, "mnuColor1", "Красный"),
    I(2, MenuItem::mnuColor2, "mnuColor2", "Оранжевый"),
    I(2, MenuItem::mnuColor3, "mnuColor3", "Ж\u0435лтый"),
    I(2, MenuItem::mnuColor4, "mnuColor4", "Зел\u0435ный"),
    I(2, MenuItem::mnuColor5, "mnuColor5", "Голубой"),
    I(2, MenuItem::mnuColor6, "mnuColor6", "Синий"),
    I(2, MenuItem::mnuColor7, "mnuColor7", "Фиолетовый"),
    S(2, MenuItem::r7, "r7"),
    I(2, MenuItem::mnuColors1, "mnuColors1", "Один"),
    M(1, MenuItem::mnuFigures, "mnuFigures", "Появление"),
    I(2, MenuItem::mnuFigures0, "mnuFigures0", "Случайные"),
    S(2, MenuItem::r8, "r8"),
    I(2, MenuItem::mnuFigures1, "mnuFigures1", "По 2 одинаковых"),
    I(2, MenuItem::mnuFigures2, "mnuFigures2", "По 3 одинаковых"),
    S(2, MenuItem::r9, "r9"),
    I(2, MenuItem::mnuFiguresABC, "mnuFiguresABC", "По очереди"),
    S(1, MenuItem::r10, "r10"),
    I(1, MenuItem::mnuMouse, "mnuMouse", "Управлять мышкой"),
};

// One entry of the menu bar as Qt holds it.
struct Found {
    int depth;
    QAction* action;
    QMenu* menu;  // null unless the entry opens a menu
};

void Walk(const QList<QAction*>& actions, int depth, std::vector<Found>& out)
{
    for (QAction* action : actions) {
        QMenu* menu = QMenu::menuInAction(action);
        out.push_back({depth, action, menu});
        if (menu != nullptr) {
            Walk(menu->actions(), depth + 1, out);
        }
    }
}

MenuItem Item(int i) { return static_cast<MenuItem>(i); }

using Marks = std::array<bool, falbok::kMenuItemCount>;

Marks MarksOf(const GameWindow& w)
{
    Marks marks{};
    for (int i = 0; i < falbok::kMenuItemCount; ++i) {
        marks[static_cast<std::size_t>(i)] = w.action(Item(i))->isChecked();
    }
    return marks;
}

// The marks a fresh start shows.
Marks StartMarks()
{
    Marks marks{};
    for (MenuItem item :
         {MenuItem::mnuSize18, MenuItem::mnuESC1, MenuItem::mnuSpeed350, MenuItem::mnuBackColor3, MenuItem::mnuColors7,
          MenuItem::mnuColor1, MenuItem::mnuColor2, MenuItem::mnuColor3, MenuItem::mnuColor4, MenuItem::mnuColor5,
          MenuItem::mnuColor6, MenuItem::mnuColor7, MenuItem::mnuFigures0}) {
        marks[static_cast<std::size_t>(item)] = true;
    }
    return marks;
}

void SetMark(Marks& marks, MenuItem item, bool on) { marks[static_cast<std::size_t>(item)] = on; }

// Names the items whose mark differs, for a readable failure.
QByteArray MarkDifferences(const Marks& actual, const Marks& expected)
{
    QByteArray text;
    for (int i = 0; i < falbok::kMenuItemCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (actual[k] != expected[k]) {
            text += "item #" + QByteArray::number(i) + (actual[k] ? " marked; " : " unmarked; ");
        }
    }
    return text;
}

#define COMPARE_MARKS(w, expected)                                                                                     \
    do {                                                                                                               \
        const Marks actualMarks = MarksOf(w);                                                                          \
        QVERIFY2(actualMarks == (expected), MarkDifferences(actualMarks, (expected)).constData());                     \
    } while (false)

// The tile's rectangle in client-area pixels.
QRect TileRect(const GameWindow& w, int index)
{
    const TileView* tile = w.tile(static_cast<std::int16_t>(index));
    return {tile->mapTo(w.clientArea(), QPoint(0, 0)), tile->size()};
}

// A point of the window (its own coordinates) at the centre of a tile.
QPoint WindowPointOfTile(GameWindow& w, int index, int tileSize)
{
    const QRect rect = TileRect(w, index);
    return w.clientArea()->mapTo(&w, rect.topLeft() + QPoint(tileSize / 2, tileSize / 2));
}

// Puts a T piece (kind 6) in red into the well by one beat: pivot 15, cells
// 5, 14, 15, 16.
void SpawnT(GameWindow& w)
{
    falbok::Game& game = w.game();
    game.NextKind = 6;
    game.NextColor = 1;
    game.tmrMain_Timer();
}

std::vector<int> CellsInState(GameWindow& w, std::int16_t state)
{
    std::vector<int> cells;
    for (int k = 1; k <= falbok::kCells; ++k) {
        if (w.game().Board(k) == state) {
            cells.push_back(k);
        }
    }
    return cells;
}

bool Near(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QByteArray Hex(QRgb rgb) { return "#" + QByteArray::number(rgb & 0xFFFFFFu, 16).rightJustified(6, '0').toUpper(); }

void SendKey(QObject* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {},
             bool autoRepeat = false)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(target, &press);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void menuBarHasEveryEntryInOrder();
    void marksAfterStartUp();
    void chosenItemsSetTheirMarks();
    void pauseAndMouseItemsSwitch();
    void tilesFollowEverySize();
    void windowLooksAsDefined();
    void keysTranslateToGameCodes();
    void keyPressesReachTheGame();
    void onlyOneWidgetTakesFocus();
    void mouseSteersThePiece();
    void mouseHitsTheRightTileAtEverySize();
    void tilesShowTheirPictures();
    void sourcePicturesMatchTheirRules();
    void fallTimerRunsAndRestarts();
    void closingEndsTheProgram();
    void escapeBoundToCloseEndsTheProgram();
    void escapeBoundToMinimiseMinimisesAndPauses();
    void secondCopyEndsBeforeAnyTile();
};

void WindowTest::menuBarHasEveryEntryInOrder()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();

    std::vector<Found> found;
    Walk(w.menuBar()->actions(), 0, found);
    QCOMPARE(found.size(), kMenuBar.size());

    for (std::size_t i = 0; i < kMenuBar.size(); ++i) {
        const MenuRow& row = kMenuBar[i];
        const Found& entry = found[i];
        const QByteArray where = QByteArray("entry ") + row.name;
        QVERIFY2(entry.depth == row.depth, where.constData());
        QVERIFY2(entry.action->isVisible(), where.constData());
        QVERIFY2(entry.action->isEnabled() == row.enabled, where.constData());
        QVERIFY2(!entry.action->text().contains(u'&'), where.constData());
        if (row.item == MenuItem::mnuNew) {
            QVERIFY2(entry.action->shortcut() == QKeySequence(Qt::Key_F2), where.constData());
            QCOMPARE(entry.action->shortcuts().size(), 1);
        } else {
            QVERIFY2(entry.action->shortcut().isEmpty(), where.constData());
        }
        switch (row.kind) {
        case Kind::Menu:
            QVERIFY2(entry.menu != nullptr, where.constData());
            QCOMPARE(entry.menu->objectName(), QString::fromUtf8(row.name));
            QCOMPARE(entry.menu->title(), QString::fromUtf8(row.caption));
            QCOMPARE(entry.action->text(), QString::fromUtf8(row.caption));
            QVERIFY2(w.action(row.item) == entry.menu->menuAction(), where.constData());
            break;
        case Kind::Item:
            QVERIFY2(entry.menu == nullptr && !entry.action->isSeparator(), where.constData());
            QCOMPARE(entry.action->objectName(), QString::fromUtf8(row.name));
            QCOMPARE(entry.action->text(), QString::fromUtf8(row.caption));
            QVERIFY2(w.action(row.item) == entry.action, where.constData());
            break;
        case Kind::Separator:
            QVERIFY2(entry.menu == nullptr && entry.action->isSeparator(), where.constData());
            QCOMPARE(entry.action->objectName(), QString::fromUtf8(row.name));
            QVERIFY2(w.action(row.item) == entry.action, where.constData());
            break;
        }
    }

    // The letters that look alike, one by one.
    QCOMPARE(w.action(MenuItem::mnuSize12)->text().at(2).unicode(), char16_t{0x0445});
    QCOMPARE(w.action(MenuItem::mnuSize18)->text().at(2).unicode(), char16_t{'x'});
    QCOMPARE(w.action(MenuItem::mnuSize24)->text().at(2).unicode(), char16_t{0x0445});
    QCOMPARE(w.action(MenuItem::mnuSize30)->text().at(2).unicode(), char16_t{'x'});
    QCOMPARE(w.action(MenuItem::mnuBackColor3)->text().at(1).unicode(), char16_t{0x0451});
    QCOMPARE(w.action(MenuItem::mnuColor3)->text().at(1).unicode(), char16_t{0x0435});
    QCOMPARE(w.action(MenuItem::mnuColor4)->text().at(3).unicode(), char16_t{0x0435});
    QCOMPARE(w.action(MenuItem::mnuSize12)->text().toUtf8(), QByteArray("12\xD1\x85") + "12");
    QCOMPARE(w.action(MenuItem::mnuBackColor3)->text().toUtf8(),
             QByteArray("\xD0\xA2\xD1\x91\xD0\xBC\xD0\xBD\xD1\x8B\xD0\xB9"));
    QVERIFY(!ended);
}

void WindowTest::marksAfterStartUp()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();

    COMPARE_MARKS(w, StartMarks());
    for (int i = 0; i < falbok::kMenuItemCount; ++i) {
        QCOMPARE(w.Checked(Item(i)), w.action(Item(i))->isChecked());
    }
    QVERIFY(!ended);
}

void WindowTest::chosenItemsSetTheirMarks()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerInterval(kNoBeat);
    w.action(MenuItem::mnuSpeed350)->trigger();
    QCOMPARE(w.TimerInterval(), 350);
    w.SetTimerInterval(kNoBeat);
    Marks expected = StartMarks();

    // Choosing the item that already carries the mark keeps every mark.
    for (MenuItem item : {MenuItem::mnuSize18, MenuItem::mnuESC1, MenuItem::mnuBackColor3, MenuItem::mnuColors7,
                          MenuItem::mnuFigures0}) {
        w.action(item)->trigger();
        COMPARE_MARKS(w, expected);
    }
    w.action(MenuItem::mnuSpeed350)->trigger();
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.TimerInterval(), 350);
    QVERIFY(w.fallTimer().isActive());
    w.SetTimerInterval(kNoBeat);

    // Choosing another item of a group moves the mark there.
    w.action(MenuItem::mnuSpeed500)->trigger();
    SetMark(expected, MenuItem::mnuSpeed350, false);
    SetMark(expected, MenuItem::mnuSpeed500, true);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.fallTimer().interval(), 500);
    QVERIFY(w.fallTimer().isActive());
    w.SetTimerInterval(kNoBeat);

    w.action(MenuItem::mnuSize12)->trigger();
    SetMark(expected, MenuItem::mnuSize18, false);
    SetMark(expected, MenuItem::mnuSize12, true);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.game().TileSize, 12);

    w.action(MenuItem::mnuESC3)->trigger();
    SetMark(expected, MenuItem::mnuESC1, false);
    SetMark(expected, MenuItem::mnuESC3, true);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.game().EscAction, 3);

    w.action(MenuItem::mnuBackColor1)->trigger();
    SetMark(expected, MenuItem::mnuBackColor3, false);
    SetMark(expected, MenuItem::mnuBackColor1, true);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.game().BackStyle, 1);
    QCOMPARE(w.tile(1)->picture(), 8);
    QCOMPARE(w.tile(201)->picture(), 8);

    w.action(MenuItem::mnuFigures2)->trigger();
    SetMark(expected, MenuItem::mnuFigures0, false);
    SetMark(expected, MenuItem::mnuFigures2, true);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.game().RepeatSetting, 2);

    // A marked colour goes out of use, and "Разные" loses its mark with it.
    w.action(MenuItem::mnuColor3)->trigger();
    SetMark(expected, MenuItem::mnuColor3, false);
    SetMark(expected, MenuItem::mnuColors7, false);
    COMPARE_MARKS(w, expected);
    QCOMPARE(w.game().ColorOn(3), 0);
    w.action(MenuItem::mnuColor3)->trigger();
    SetMark(expected, MenuItem::mnuColor3, true);
    SetMark(expected, MenuItem::mnuColors7, true);
    COMPARE_MARKS(w, expected);

    // "Один": exactly one colour and "Один" itself marked.
    w.action(MenuItem::mnuColors1)->trigger();
    QVERIFY(w.action(MenuItem::mnuColors1)->isChecked());
    QVERIFY(!w.action(MenuItem::mnuColors7)->isChecked());
    int markedColours = 0;
    for (MenuItem item : {MenuItem::mnuColor1, MenuItem::mnuColor2, MenuItem::mnuColor3, MenuItem::mnuColor4,
                          MenuItem::mnuColor5, MenuItem::mnuColor6, MenuItem::mnuColor7}) {
        markedColours += w.action(item)->isChecked() ? 1 : 0;
    }
    QCOMPARE(markedColours, 1);

    // The disabled key hints cannot be chosen.
    w.action(MenuItem::mnuColors7)->trigger();
    const Marks before = MarksOf(w);
    w.SetTimerInterval(400);
    w.action(MenuItem::mnuPageUp)->trigger();
    w.action(MenuItem::mnuPageDown)->trigger();
    QCOMPARE(w.TimerInterval(), 400);
    COMPARE_MARKS(w, before);
    QVERIFY(!ended);
}

void WindowTest::pauseAndMouseItemsSwitch()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerInterval(kNoBeat);
    QAction* pause = w.action(MenuItem::mnuPause);
    QAction* mouse = w.action(MenuItem::mnuMouse);

    pause->trigger();
    QVERIFY(pause->isChecked());
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(!w.TimerEnabled());
    pause->trigger();
    QVERIFY(!pause->isChecked());
    QVERIFY(w.fallTimer().isActive());

    // A new game while paused runs at once and drops the pause mark.
    pause->trigger();
    w.action(MenuItem::mnuNew)->trigger();
    QVERIFY(!pause->isChecked());
    QVERIFY(w.fallTimer().isActive());

    mouse->trigger();
    QVERIFY(mouse->isChecked());
    QCOMPARE(w.game().MouseOn, 1);
    mouse->trigger();
    QVERIFY(!mouse->isChecked());
    QCOMPARE(w.game().MouseOn, 0);

    QAction* inTurn = w.action(MenuItem::mnuFiguresABC);
    inTurn->trigger();
    QVERIFY(inTurn->isChecked());
    QCOMPARE(w.game().InTurn, 1);
    inTurn->trigger();
    QVERIFY(!inTurn->isChecked());
    QCOMPARE(w.game().InTurn, 0);

    // After the game is over the pause item does nothing.
    w.game().GameOver = 1;
    w.SetTimerEnabled(false);
    pause->trigger();
    QVERIFY(!pause->isChecked());
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(!ended);
}

void WindowTest::tilesFollowEverySize()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    const QSize windowSize = w.size();

    // Every size in turn, then back to the default.
    for (const std::size_t index : {0, 1, 2, 3, 1}) {
        const falbok::testing::SizeLayout& layout = falbok::testing::kSizeLayouts[index];
        w.action(layout.item)->trigger();
        QCOMPARE(w.game().TileSize, layout.size);
        for (const falbok::testing::TileCorner& place : layout.corners) {
            QCOMPARE(TileRect(w, place.tile), QRect(place.left, place.top, layout.size, layout.size));
        }
        for (int k = 1; k <= falbok::kTiles; ++k) {
            const TileView* tile = w.tile(static_cast<std::int16_t>(k));
            QVERIFY(tile != nullptr);
            QCOMPARE(tile->index(), k);
            QVERIFY(tile->shown());
            QCOMPARE(tile->size(), QSize(layout.size, layout.size));
        }
        QCOMPARE(w.size(), windowSize);
    }
    QVERIFY(!ended);
}

void WindowTest::windowLooksAsDefined()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();

    QVERIFY(w.isVisible());
    QCOMPARE(w.windowTitle(), QString("Falbok"));
    QCOMPARE(w.clientArea()->size(), QSize(265, 370));
    QCOMPARE(w.clientArea()->mapTo(&w, QPoint(0, 0)), QPoint(0, w.menuBar()->geometry().bottom() + 1));
    QCOMPARE(w.width(), 265);
    QCOMPARE(w.height(), w.menuBar()->geometry().bottom() + 1 + 370);

    const QIcon icon = w.windowIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48}) {
        QVERIFY2(sizes.contains(QSize(size, size)), QByteArray::number(size).constData());
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        const falbok::pictures::IconImage expected = falbok::pictures::Icon(size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                QCOMPARE(Hex(image.pixel(x, y)), Hex(expected.At(x, y)));
            }
        }
    }

    // At 18 the margins show the window's grey and the tiles the dark well.
    const QImage at18 = w.clientArea()->grab().toImage();
    QCOMPARE(Hex(at18.pixel(2, 2)), QByteArray("#808080"));
    QCOMPARE(Hex(at18.pixel(263, 200)), QByteArray("#808080"));
    QCOMPARE(Hex(at18.pixel(100, 368)), QByteArray("#808080"));
    QCOMPARE(Hex(at18.pixel(187, 100)), QByteArray("#808080"));
    QCOMPARE(Hex(at18.pixel(14, 14)), QByteArray("#313431"));
    QCOMPARE(Hex(at18.pixel(199, 14)), QByteArray("#313431"));

    // At 12 the lower right of the client area is bare.
    w.action(MenuItem::mnuSize12)->trigger();
    const QImage at12 = w.clientArea()->grab().toImage();
    QCOMPARE(Hex(at12.pixel(200, 300)), QByteArray("#808080"));
    QCOMPARE(Hex(at12.pixel(60, 250)), QByteArray("#808080"));
    QCOMPARE(Hex(at12.pixel(11, 11)), QByteArray("#313431"));
    QVERIFY(!ended);
}

void WindowTest::keysTranslateToGameCodes()
{
    using falbok::qt::KeyPress;
    using falbok::qt::KeyTranslator;
    using falbok::qt::ShiftState;
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    // XKB keycodes of physical keys, named by their US letters.
    constexpr std::uint32_t kQ = 24, kW = 25, kP = 33, kA = 38, kS = 39, kD = 40, kZ = 52, kM = 58, k2 = 11;
    struct Key {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t keycode;
        int code;
    };
    // Read in order by one translator: what a letter key says of the layout
    // decides what a symbol that is no letter means on the next letter key.
    const Key keys[] = {
        {Qt::Key_Left, none, 0, 37},
        {Qt::Key_Up, none, 0, 38},
        {Qt::Key_Right, none, 0, 39},
        {Qt::Key_Down, none, 0, 40},
        {Qt::Key_Space, none, 0, 32},
        {Qt::Key_Escape, none, 0, 27},
        {Qt::Key_Pause, none, 0, 19},
        {Qt::Key_P, none, kP, 80},
        {Qt::Key_W, none, kW, 87},
        {Qt::Key_A, none, 0, 65},
        {Qt::Key_S, none, kS, 83},
        {Qt::Key_D, none, kD, 68},
        {Qt::Key_PageUp, none, 0, 33},
        {Qt::Key_PageDown, none, 0, 34},
        {Qt::Key_Equal, none, 0, 187},
        {Qt::Key_Plus, none, 0, 187},
        {Qt::Key_Plus, Qt::ShiftModifier, 0, 187},
        {Qt::Key_Minus, none, 0, 189},
        {Qt::Key_Underscore, Qt::ShiftModifier, 0, 189},
        {Qt::Key_Underscore, none, 0, 189},
        {Qt::Key_Plus, Qt::KeypadModifier, 0, 107},
        {Qt::Key_Minus, Qt::KeypadModifier, 0, 109},
        {Qt::Key_Left, Qt::ShiftModifier, 0, 37},
        {Qt::Key_Left, Qt::KeypadModifier, 0, 37},
        {Qt::Key_P, Qt::ControlModifier, kP, 80},
        {Qt::Key_unknown, none, 0, 0},
        // French: the letter printed on the key, wherever it sits.
        {Qt::Key_A, none, kQ, 65},
        {Qt::Key_Q, none, kA, 81},
        {Qt::Key_W, none, kZ, 87},
        {Qt::Key_Comma, none, kM, 0},
        {0x00C9, none, k2, 0},  // É on the key of 2
        // Russian, Ukrainian, Greek: the US letter of the key.
        {0x0426, none, kW, 87},  // Ц
        {0x0424, none, kA, 65},  // Ф
        {0x0424, Qt::ShiftModifier, kA, 65},
        {0x042B, none, kS, 83},  // Ы
        {0x0406, none, kS, 83},  // Ukrainian І
        {0x0412, none, kD, 68},  // В
        {0x0417, none, kP, 80},  // З
        {0x0417, none, 0, 0},    // no physical key reported: no letter known
        {0x03A3, none, kW, 87},  // Greek final sigma, as its capital
        {0x0391, none, kA, 65},  // Α
        {0x03A0, none, kP, 80},  // Π
        // Hebrew: ש on A, then the apostrophe on W is W too; on a Latin
        // layout the same symbol on that key is no letter.
        {0x05E9, none, kA, 65},
        {Qt::Key_Apostrophe, none, kW, 87},
        {Qt::Key_Slash, none, kQ, 81},
        {Qt::Key_Left, none, 0, 37},
        {Qt::Key_D, none, kD, 68},
        {Qt::Key_Apostrophe, none, kW, 0},
    };
    KeyTranslator translator;
    for (const Key& key : keys) {
        const int code = translator.VirtualKeyCode(KeyPress{key.qtKey, key.modifiers, key.keycode});
        QVERIFY2(code == key.code,
                 ("Qt key 0x" + QByteArray::number(key.qtKey, 16) + " on keycode " + QByteArray::number(key.keycode) +
                  " gives " + QByteArray::number(code) + ", not " + QByteArray::number(key.code))
                     .constData());
    }

    QCOMPARE(ShiftState(Qt::NoModifier), 0);
    QCOMPARE(ShiftState(Qt::ShiftModifier), 1);
    QCOMPARE(ShiftState(Qt::ControlModifier), 2);
    QCOMPARE(ShiftState(Qt::AltModifier), 4);
    QCOMPARE(ShiftState(Qt::ShiftModifier | Qt::ControlModifier), 3);
    QCOMPARE(ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    QCOMPARE(ShiftState(Qt::ControlModifier | Qt::AltModifier), 6);
    QCOMPARE(ShiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    QCOMPARE(ShiftState(Qt::KeypadModifier), 0);
    QCOMPARE(ShiftState(Qt::KeypadModifier | Qt::ShiftModifier), 1);
}

void WindowTest::keyPressesReachTheGame()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.SetTimerInterval(kNoBeat);
    SpawnT(w);
    falbok::Game& game = w.game();
    QCOMPARE(game.PivotCell, 15);
    QCOMPARE(CellsInState(w, 2), (std::vector<int>{5, 14, 15, 16}));

    QTest::keyClick(&w, Qt::Key_Left);
    QCOMPARE(game.PivotCell, 14);
    QCOMPARE(CellsInState(w, 2), (std::vector<int>{4, 13, 14, 15}));

    QTest::keyClick(w.clientArea(), Qt::Key_Left);
    QCOMPARE(game.PivotCell, 13);

    // Through the platform window, to whatever widget Qt gives the keys.
    QTest::keyClick(w.windowHandle(), Qt::Key_Right);
    QCOMPARE(game.PivotCell, 14);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : static_cast<QWidget*>(&w), Qt::Key_Right);
    QCOMPARE(game.PivotCell, 15);

    // The Russian layout: Ф lies on the key of A, В on the key of D. The
    // platform reports the physical key, which QTest cannot.
    const auto russianKey = [&](int qtKey, std::uint32_t keycode, const char* text) {
        QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &w;
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, keycode, 0, 0, QString::fromUtf8(text));
        QApplication::sendEvent(target, &press);
    };
    russianKey(0x0424, 38, "ф");
    QCOMPARE(game.PivotCell, 14);
    russianKey(0x0412, 40, "в");
    QCOMPARE(game.PivotCell, 15);
    russianKey(0x0412, 0, "в");  // a Cyrillic letter alone names no key
    QCOMPARE(game.PivotCell, 15);

    // A held key acts once for every repeat.
    SendKey(&w, Qt::Key_Left, Qt::NoModifier, {}, true);
    SendKey(&w, Qt::Key_Left, Qt::NoModifier, {}, true);
    QCOMPARE(game.PivotCell, 13);
    QCOMPARE(CellsInState(w, 2), (std::vector<int>{3, 12, 13, 14}));

    // Up rotates, Down steps.
    QTest::keyClick(&w, Qt::Key_Up);
    QCOMPARE(game.Turn, 1);
    QTest::keyClick(&w, Qt::Key_Down);
    QCOMPARE(game.PivotCell, 23);

    // P pauses and resumes; while paused a move does nothing.
    QTest::keyClick(&w, Qt::Key_P);
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(w.action(MenuItem::mnuPause)->isChecked());
    QTest::keyClick(&w, Qt::Key_Left);
    QCOMPARE(game.PivotCell, 23);
    QTest::keyClick(&w, Qt::Key_P);
    QVERIFY(w.fallTimer().isActive());
    QVERIFY(!w.action(MenuItem::mnuPause)->isChecked());

    // Esc pauses by default.
    QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(w.action(MenuItem::mnuPause)->isChecked());
    QTest::keyClick(&w, Qt::Key_Pause);
    QVERIFY(w.fallTimer().isActive());

    // Space drops the piece to the floor.
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(game.CurKind, 0);
    QVERIFY(CellsInState(w, 2).empty());
    QCOMPARE(CellsInState(w, 1), (std::vector<int>{173, 183, 184, 193}));

    // F2 is the new-game item's shortcut.
    QTest::keyClick(w.windowHandle(), Qt::Key_F2);
    QVERIFY(CellsInState(w, 1).empty());
    QCOMPARE(game.CurKind, 0);
    QVERIFY(w.fallTimer().isActive());

    // The speed keys, the one on the keypad too.
    w.action(MenuItem::mnuSpeed350)->trigger();
    QTest::keyClick(&w, Qt::Key_PageUp);
    QCOMPARE(w.TimerInterval(), 300);
    QVERIFY(w.action(MenuItem::mnuSpeed300)->isChecked());
    QVERIFY(!w.action(MenuItem::mnuSpeed350)->isChecked());
    QTest::keyClick(&w, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(w.TimerInterval(), 250);
    QTest::keyClick(&w, Qt::Key_Minus);
    QCOMPARE(w.TimerInterval(), 300);
    QVERIFY(!ended);
}

void WindowTest::onlyOneWidgetTakesFocus()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    for (int k = 1; k <= falbok::kTiles; ++k) {
        QCOMPARE(w.tile(static_cast<std::int16_t>(k))->focusPolicy(), Qt::NoFocus);
    }
    QList<QWidget*> widgets = w.findChildren<QWidget*>();
    widgets.prepend(&w);
    QStringList takers;
    for (QWidget* widget : widgets) {
        if (qobject_cast<QMenu*>(widget) == nullptr && widget->focusPolicy() != Qt::NoFocus) {
            takers << QString::fromLatin1(widget->metaObject()->className()) + ' ' + widget->objectName();
        }
    }
    QVERIFY2(takers.size() <= 1, takers.join(", ").toUtf8().constData());
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus == nullptr || focus == &w || takers.size() == 1);
    QVERIFY(!ended);
}

void WindowTest::mouseSteersThePiece()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerInterval(kNoBeat);
    falbok::Game& game = w.game();
    SpawnT(w);

    // With control off the pointer is followed but the piece stays.
    QTest::mouseMove(w.tile(13), w.tile(13)->rect().center());
    QCOMPARE(game.MouseCell, 13);
    QCOMPARE(game.PivotCell, 15);

    w.action(MenuItem::mnuMouse)->trigger();
    QTest::mouseMove(w.tile(22), w.tile(22)->rect().center());
    QCOMPARE(game.MouseCell, 22);
    QCOMPARE(game.PivotCell, 12);
    QCOMPARE(CellsInState(w, 2), (std::vector<int>{2, 11, 12, 13}));

    // The middle button does nothing.
    const std::vector<int> before = CellsInState(w, 2);
    QTest::mouseClick(w.tile(22), Qt::MiddleButton, {}, w.tile(22)->rect().center());
    QCOMPARE(CellsInState(w, 2), before);
    QCOMPARE(game.Turn, 0);

    // The right button rotates: T turned once is P - 10, P, P + 1, P + 10.
    QTest::mouseClick(w.tile(22), Qt::RightButton, {}, w.tile(22)->rect().center());
    QCOMPARE(game.Turn, 1);
    QCOMPARE(CellsInState(w, 2), (std::vector<int>{2, 12, 13, 22}));

    // The left button drops it to the floor.
    QTest::mouseClick(w.tile(22), Qt::LeftButton, {}, w.tile(22)->rect().center());
    QCOMPARE(game.CurKind, 0);
    QVERIFY(CellsInState(w, 2).empty());
    QCOMPARE(CellsInState(w, 1), (std::vector<int>{172, 182, 183, 192}));
    QVERIFY(!ended);
}

void WindowTest::mouseHitsTheRightTileAtEverySize()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerInterval(kNoBeat);
    falbok::Game& game = w.game();
    w.action(MenuItem::mnuMouse)->trigger();
    QWindow* window = w.windowHandle();

    struct Probe {
        MenuItem size;
        int tileSize;
        std::array<int, 4> tiles;  // all inside the 265 by 370 client area
    };
    const std::array<Probe, 3> probes{{
        {MenuItem::mnuSize12, 12, {1, 58, 200, 206}},
        {MenuItem::mnuSize18, 18, {10, 111, 200, 208}},
        {MenuItem::mnuSize30, 30, {1, 47, 88, 109}},
    }};
    for (const Probe& probe : probes) {
        w.action(probe.size)->trigger();
        for (int k : probe.tiles) {
            QTest::mouseMove(window, WindowPointOfTile(w, k, probe.tileSize));
            QVERIFY2(game.MouseCell == k, (QByteArray::number(probe.tileSize) + ": tile " + QByteArray::number(k) +
                                           " read as " + QByteArray::number(game.MouseCell))
                                              .constData());
        }
    }

    // At 12: a right press on a preview tile does nothing, on a board tile it
    // rotates; at 30 likewise on a board tile.
    w.action(MenuItem::mnuSize12)->trigger();
    w.action(MenuItem::mnuNew)->trigger();
    w.SetTimerInterval(kNoBeat);
    SpawnT(w);
    QTest::mouseMove(window, WindowPointOfTile(w, 205, 12));
    QTest::mouseClick(window, Qt::RightButton, {}, WindowPointOfTile(w, 205, 12));
    QCOMPARE(game.Turn, 0);
    QCOMPARE(game.PivotCell, 15);
    QTest::mouseMove(window, WindowPointOfTile(w, 55, 12));
    QCOMPARE(game.PivotCell, 15);
    QTest::mouseClick(window, Qt::RightButton, {}, WindowPointOfTile(w, 55, 12));
    QCOMPARE(game.Turn, 1);

    w.action(MenuItem::mnuSize30)->trigger();
    QTest::mouseMove(window, WindowPointOfTile(w, 44, 30));
    QCOMPARE(game.MouseCell, 44);
    QCOMPARE(game.PivotCell, 14);
    QTest::mouseClick(window, Qt::RightButton, {}, WindowPointOfTile(w, 44, 30));
    QCOMPARE(game.Turn, 2);
    QTest::mouseClick(window, Qt::LeftButton, {}, WindowPointOfTile(w, 44, 30));
    QCOMPARE(game.CurKind, 0);
    QVERIFY(CellsInState(w, 2).empty());
    QVERIFY(!ended);
}

void WindowTest::tilesShowTheirPictures()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerEnabled(false);

    // Centre, top-right, bottom-left and top-left of each picture at size 18.
    struct Tones {
        std::int16_t picture;
        QRgb centre;
        QRgb topRight;
        QRgb bottomLeft;
        QRgb topLeft;
    };
    const Tones tones[] = {
        {1, 0xE70000, 0xE75D5A, 0xBD0000, 0xD63031}, {2, 0xE75D00, 0xE78A29, 0xBD5D00, 0xD67518},
        {3, 0xE7E700, 0xE7E78C, 0xE7BA00, 0xE7D34A}, {4, 0x00E700, 0x5AE75A, 0x00BA00, 0x31D331},
        {5, 0x5ABAE7, 0x8CE7E7, 0x298ABD, 0x63BED6}, {6, 0x0000E7, 0x5A5DE7, 0x0000BD, 0x3130D6},
        {7, 0xBD00E7, 0xBD5DE7, 0x8C00BD, 0xA530D6}, {8, 0xC6C3C6, 0xC6C3C6, 0xC6C3C6, 0xC6C3C6},
        {9, 0xE7FFFF, 0xCEEFFF, 0xCEEFFF, 0xCEEFFF}, {10, 0x313431, 0x373A37, 0x373A37, 0x373A37},
    };
    const std::int16_t index = 57;
    for (const Tones& t : tones) {
        w.SetTilePicture(index, t.picture);
        QCOMPARE(w.tile(index)->picture(), t.picture);
        const QImage image = w.tile(index)->grab().toImage();
        QCOMPARE(image.size(), QSize(18, 18));
        const QByteArray where = "picture " + QByteArray::number(t.picture);
        QVERIFY2(Near(image.pixel(9, 9), t.centre, 8), (where + " centre " + Hex(image.pixel(9, 9))).constData());
        QVERIFY2(Near(image.pixel(4, 13), t.centre, 8), (where + " face " + Hex(image.pixel(4, 13))).constData());
        QVERIFY2(Near(image.pixel(17, 0), t.topRight, 16),
                 (where + " top right " + Hex(image.pixel(17, 0))).constData());
        QVERIFY2(Near(image.pixel(0, 17), t.bottomLeft, 16),
                 (where + " bottom left " + Hex(image.pixel(0, 17))).constData());
        QVERIFY2(Near(image.pixel(0, 0), t.topLeft, 16), (where + " top left " + Hex(image.pixel(0, 0))).constData());
        QVERIFY2(Near(image.pixel(17, 17), t.topLeft, 16),
                 (where + " bottom right " + Hex(image.pixel(17, 17))).constData());
    }

    // Hidden, a tile shows the client area's grey and lets the pointer pass
    // (the game follows the pointer only while its timer runs); shown
    // again, it shows its picture and takes the pointer.
    w.SetTimerInterval(kNoBeat);
    w.SetTimerEnabled(true);
    const QPoint centre = TileRect(w, index).center();
    w.HideTile(index);
    QVERIFY(!w.tile(index)->shown());
    QCOMPARE(Hex(w.clientArea()->grab().toImage().pixel(centre)), QByteArray("#808080"));
    QTest::mouseMove(w.windowHandle(), w.clientArea()->mapTo(&w, centre));
    QCOMPARE(w.game().MouseCell, 0);
    w.ShowTile(index);
    QVERIFY(w.tile(index)->shown());
    QVERIFY(Near(w.clientArea()->grab().toImage().pixel(centre), 0x313431, 8));
    QTest::mouseMove(w.windowHandle(), w.clientArea()->mapTo(&w, centre + QPoint(1, 1)));
    QCOMPARE(w.game().MouseCell, index);

    // After start-up every tile shows the dark background.
    w.action(MenuItem::mnuNew)->trigger();
    w.SetTimerEnabled(false);
    for (int k = 1; k <= falbok::kTiles; ++k) {
        QCOMPARE(w.tile(static_cast<std::int16_t>(k))->picture(), 10);
    }
    QVERIFY(!ended);
}

void WindowTest::sourcePicturesMatchTheirRules()
{
    const falbok::qt::PictureStore store;
    for (int k = 1; k <= falbok::pictures::kPictureCount; ++k) {
        const QImage image = store.Source(k).toImage();
        QCOMPARE(image.size(), QSize(36, 36));
        const falbok::pictures::Picture& expected = falbok::pictures::TilePicture(k);
        for (int y = 0; y < 36; ++y) {
            for (int x = 0; x < 36; ++x) {
                QCOMPARE(qAlpha(image.pixel(x, y)), 255);
                QVERIFY2(Hex(image.pixel(x, y)) == Hex(expected.At(x, y)),
                         ("picture " + QByteArray::number(k) + " at " + QByteArray::number(x) + "," +
                          QByteArray::number(y) + ": " + Hex(image.pixel(x, y)) + " not " + Hex(expected.At(x, y)))
                             .constData());
            }
        }
    }

    // Spot checks against the tones written out.
    struct Spot {
        int picture;
        int x;
        int y;
        const char* colour;
    };
    const Spot spots[] = {
        {1, 0, 0, "#D63031"},   {1, 35, 0, "#E75D5A"},  {1, 0, 35, "#BD0000"},   {1, 35, 35, "#D63031"},
        {1, 18, 18, "#E70000"}, {1, 31, 10, "#E70C08"}, {1, 10, 3, "#E75152"},   {1, 3, 10, "#BD0000"},
        {1, 10, 31, "#E70000"}, {1, 2, 2, "#D63031"},   {1, 33, 33, "#D63031"},  {1, 20, 33, "#BD0000"},
        {3, 3, 10, "#E7BE00"},  {3, 10, 31, "#E7E300"}, {3, 31, 31, "#E7E310"},  {3, 31, 10, "#E7E710"},
        {4, 3, 20, "#00BE00"},  {4, 20, 31, "#00E300"}, {4, 31, 31, "#08E308"},  {5, 3, 4, "#318EBD"},
        {5, 30, 31, "#52B2E7"}, {5, 31, 31, "#5ABAE7"}, {5, 10, 3, "#84E3E7"},   {6, 31, 31, "#080CE7"},
        {7, 3, 10, "#8C00BD"},  {7, 4, 31, "#B500E7"},  {7, 31, 31, "#B50CE7"},  {7, 0, 20, "#8C00BD"},
        {8, 0, 0, "#C6C3C6"},   {8, 35, 35, "#C6C3C6"}, {8, 18, 18, "#C6C3C6"},  {9, 0, 0, "#CEEFFF"},
        {9, 1, 1, "#CEEFFF"},   {9, 2, 2, "#E7FFFF"},   {9, 34, 18, "#CEEFFF"},  {9, 33, 33, "#E7FFFF"},
        {10, 0, 0, "#393C39"},  {10, 1, 1, "#313431"},  {10, 35, 18, "#393C39"}, {10, 34, 34, "#313431"},
    };
    for (const Spot& spot : spots) {
        const QImage image = store.Source(spot.picture).toImage();
        QVERIFY2(Hex(image.pixel(spot.x, spot.y)) == QByteArray(spot.colour),
                 ("picture " + QByteArray::number(spot.picture) + " at " + QByteArray::number(spot.x) + "," +
                  QByteArray::number(spot.y) + ": " + Hex(image.pixel(spot.x, spot.y)))
                     .constData());
    }

    const QIcon icon = falbok::qt::PictureStore::WindowIcon();
    for (int size : {16, 24, 32, 48}) {
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    }
}

void WindowTest::fallTimerRunsAndRestarts()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();

    QVERIFY(w.fallTimer().isActive());
    QCOMPARE(w.fallTimer().interval(), 350);
    QVERIFY(w.TimerEnabled());
    QCOMPARE(w.TimerInterval(), 350);

    // The first beat brings the first piece and fills the preview.
    QCOMPARE(w.game().CurKind, 0);
    QTRY_VERIFY_WITH_TIMEOUT(w.game().CurKind != 0, 3000);
    QCOMPARE(CellsInState(w, 2).size(), std::size_t{4});
    int previewPieceTiles = 0;
    for (int k = 201; k <= 208; ++k) {
        previewPieceTiles += w.tile(static_cast<std::int16_t>(k))->picture() < 8 ? 1 : 0;
    }
    QCOMPARE(previewPieceTiles, 4);

    w.SetTimerInterval(2000);
    QVERIFY(w.TimerEnabled());
    QCOMPARE(w.TimerInterval(), 2000);
    QTest::qWait(600);
    QVERIFY(w.fallTimer().remainingTime() < 1700);
    w.SetTimerEnabled(false);
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(!w.TimerEnabled());
    w.SetTimerEnabled(true);
    QVERIFY(w.fallTimer().isActive());
    QVERIFY2(w.fallTimer().remainingTime() > 1800, QByteArray::number(w.fallTimer().remainingTime()).constData());

    // The interval leaves the enabled flag alone.
    w.SetTimerEnabled(false);
    w.SetTimerInterval(500);
    QVERIFY(!w.TimerEnabled());
    QVERIFY(!w.fallTimer().isActive());
    QCOMPARE(w.TimerInterval(), 500);
    w.SetTimerEnabled(true);
    QCOMPARE(w.fallTimer().interval(), 500);
    w.SetTimerInterval(650);
    QVERIFY(w.TimerEnabled());
    QCOMPARE(w.fallTimer().interval(), 650);

    // While paused no beat comes.
    w.SetTimerEnabled(false);
    const int pivot = w.game().PivotCell;
    QTest::qWait(800);
    QCOMPARE(w.game().PivotCell, pivot);
    QVERIFY(!ended);
}

void WindowTest::closingEndsTheProgram()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    QVERIFY(!ended);
    w.close();
    QVERIFY(ended);
}

void WindowTest::escapeBoundToCloseEndsTheProgram()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.action(MenuItem::mnuESC3)->trigger();
    QVERIFY(!ended);
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(ended);
    QVERIFY(!w.isVisible());
}

void WindowTest::escapeBoundToMinimiseMinimisesAndPauses()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.action(MenuItem::mnuESC2)->trigger();
    QVERIFY(!w.isMinimized());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isMinimized());
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(w.action(MenuItem::mnuPause)->isChecked());
    QVERIFY(!ended);

    // Back on screen and minimised again: the game stays paused.
    w.showNormal();
    QVERIFY(!w.isMinimized());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isMinimized());
    QVERIFY(!w.fallTimer().isActive());
    QVERIFY(w.action(MenuItem::mnuPause)->isChecked());
}

void WindowTest::secondCopyEndsBeforeAnyTile()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return true; }, [&] { ended = true; }}};
    w.Start();
    QVERIFY(ended);
    QVERIFY(w.tile(1) != nullptr);
    for (int k = 2; k <= falbok::kTiles; ++k) {
        QVERIFY2(w.tile(static_cast<std::int16_t>(k)) == nullptr, QByteArray::number(k).constData());
    }
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
