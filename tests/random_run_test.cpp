// A long seeded run of mixed events (beats, keys, mouse, menu commands, new
// games) with the game's standing rules checked after every single event.
//
// A failure names the seed and the event number; FALBOK_SEED=<seed> replays
// that run in the first test below.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/menu_items.h"
#include "fake_toolkit.h"
#include "window/menu_tree.h"

namespace {

using falbok::Game;
using falbok::MenuEntry;
using falbok::MenuItem;
using falbok::testing::FakeToolkit;

constexpr long kEventsPerRun = 100'000;
constexpr std::uint64_t kDefaultSeed = 20240611;

// ---- What the rules say, written out

// Cells of each kind in each orientation, relative to the pivot (index by
// kind 1..7, then orientation).
constexpr std::array<int, 8> kOrientations{0, 2, 4, 4, 1, 2, 4, 2};
constexpr std::array<std::array<std::array<int, 4>, 4>, 8> kPieceCells{{
    {},
    {{{-1, 0, 1, 2}, {-10, 0, 10, 20}}},                                     // I
    {{{-11, -1, 0, 1}, {-10, -9, 0, 10}, {-1, 0, 1, 11}, {-10, 0, 9, 10}}},  // J
    {{{-9, -1, 0, 1}, {-10, 0, 10, 11}, {-1, 0, 1, 9}, {-11, -10, 0, 10}}},  // L
    {{{0, 1, 10, 11}}},                                                      // O
    {{{0, 1, 9, 10}, {-11, -1, 0, 10}}},                                     // S
    {{{-10, -1, 0, 1}, {-10, 0, 1, 10}, {-1, 0, 1, 10}, {-10, -1, 0, 10}}},  // T
    {{{-1, 0, 10, 11}, {-10, -1, 0, 9}}},                                    // Z
}};

// The preview tiles that show each next kind (index by kind 1..7).
constexpr std::array<std::array<int, 4>, 8> kPreviewTiles{{
    {},
    {201, 202, 203, 204},
    {201, 205, 206, 207},
    {203, 205, 206, 207},
    {201, 202, 205, 206},
    {202, 203, 205, 206},
    {202, 205, 206, 207},
    {201, 202, 206, 207},
}};

// Every code of the key table: Esc, P, Pause, the three speed-up keys, the
// three slow-down keys, A, Left, W, Up, D, Right, S, Down, Space.
constexpr std::array<int, 18> kTableKeys{27, 80, 19, 187, 107, 33, 189, 109, 34, 65, 37, 87, 38, 68, 39, 83, 40, 32};
constexpr std::array<int, 4> kSidewaysKeys{65, 37, 68, 39};
constexpr std::array<int, 2> kRotateKeys{87, 38};
constexpr std::array<int, 2> kSoftDropKeys{83, 40};
constexpr int kSpace = 32;

// Tile indices no tile view has.
constexpr std::array<int, 7> kBadIndices{0, -1, -200, 209, 1000, 32767, -32768};

constexpr int BackgroundFor(int backStyle) { return backStyle == 1 ? 8 : backStyle == 2 ? 9 : 10; }

constexpr int Column(int cell) { return (cell - 1) % 10 + 1; }

// The column step hidden in a cell offset: -11 is one row up and one column
// to the left, 2 is two columns to the right.
constexpr int ColumnStep(int offset)
{
    const int rows = offset >= 0 ? (offset + 5) / 10 : -((-offset + 5) / 10);
    return offset - 10 * rows;
}
static_assert(ColumnStep(-11) == -1 && ColumnStep(-9) == 1 && ColumnStep(9) == -1 && ColumnStep(2) == 2);
static_assert(ColumnStep(20) == 0 && ColumnStep(-1) == -1 && ColumnStep(11) == 1);

// ---- Where a run stands, for the last words of a run that aborts inside
// the game (a failed assertion, or a sanitizer set to abort).

std::uint64_t abortSeed = 0;
long abortEvent = -1;

void SayWhereTheRunStood(int)
{
    char text[160];
    const int n = std::snprintf(
        text, sizeof text, "\nrandom run aborted: seed %llu, event %ld (replay with FALBOK_SEED=%llu)\n",
        static_cast<unsigned long long>(abortSeed), abortEvent, static_cast<unsigned long long>(abortSeed));
    if (n > 0) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, static_cast<std::size_t>(n));
    }
}

// ---- One event

enum class EventKind : std::uint8_t { Beat, Key, MouseMove, MouseDown, Menu, NewGame };

struct Event {
    EventKind kind = EventKind::Beat;
    int a = 0;  // key code or tile index
    int b = 0;  // shift state or button
    const MenuEntry* entry = nullptr;

    std::string Describe() const
    {
        switch (kind) {
        case EventKind::Beat:
            return "beat";
        case EventKind::Key:
            return "key " + std::to_string(a) + " shift " + std::to_string(b);
        case EventKind::MouseMove:
            return "mouse move over tile " + std::to_string(a);
        case EventKind::MouseDown:
            return "mouse button " + std::to_string(b) + " down on tile " + std::to_string(a);
        case EventKind::Menu:
            return "menu command " + std::string(entry->name);
        case EventKind::NewGame:
            return "new game";
        }
        return "?";
    }
};

struct Tally {
    long beats = 0;
    long pieces = 0;  // beats that brought in the next piece or found no room for it
    long rowsCleared = 0;
    long gamesEnded = 0;
    long newGames = 0;
    long mouseEvents = 0;
    long menuCommands = 0;
};

// ---- The run

class RandomRun {
public:
    explicit RandomRun(std::uint64_t seed) : seed_(seed), rng_(seed)
    {
        tk_.generator.seed(seed ^ 0x9e3779b97f4a7c15ULL);
        for (const MenuEntry& entry : falbok::MenuTree()) {
            if (entry.command != nullptr) {
                commands_.push_back(&entry);
            }
        }
    }

    // Plays the events; returns the first broken rule, or "" when none broke.
    std::string Play(long events)
    {
        abortSeed = seed_;
        abortEvent = 0;
        auto* previous = std::signal(SIGABRT, SayWhereTheRunStood);
        game_.Form_Load();
        std::string why = FirstViolation();
        if (!why.empty()) {
            why = "seed " + std::to_string(seed_) + ", after Form_Load: " + why;
        }
        for (long number = 1; why.empty() && number <= events; ++number) {
            abortEvent = number;
            why = Step(number);
        }
        std::signal(SIGABRT, previous);
        return why;
    }

    const Tally& Counts() const { return tally_; }
    std::size_t MenuCommandCount() const { return commands_.size(); }

private:
    int Roll(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    int AnyInt16() { return static_cast<std::int16_t>(rng_() & 0xFFFF); }
    int AnyShift()
    {
        const int roll = Roll(4);
        return roll < 2 ? 0 : roll == 2 ? 1 + Roll(7) : AnyInt16();
    }
    int AnyIndex()
    {
        if (Roll(4) != 0) {
            return 1 + Roll(falbok::kTiles);
        }
        const int pick = Roll(static_cast<int>(kBadIndices.size()) + 1);
        return pick < static_cast<int>(kBadIndices.size()) ? kBadIndices[static_cast<std::size_t>(pick)] : AnyInt16();
    }
    int AnyButton()
    {
        constexpr std::array<int, 3> kButtons{1, 2, 4};
        return Roll(10) < 7 ? kButtons[static_cast<std::size_t>(Roll(3))] : AnyInt16();
    }
    template <std::size_t N>
    Event KeyFrom(const std::array<int, N>& keys)
    {
        return Event{EventKind::Key, keys[static_cast<std::size_t>(Roll(static_cast<int>(N)))], AnyShift()};
    }

    // Beats and piece moves dominate so that pieces fall, land, fill rows
    // and games run to their end; a game over is followed by a new game soon.
    Event Pick()
    {
        if (game_.GameOver == 1 && Roll(20) == 0) {
            return Event{EventKind::NewGame};
        }
        const int roll = Roll(1000);
        if (roll < 280) {
            // A disabled timer brings no beat; the player presses a key instead.
            return tk_.timerEnabled ? Event{EventKind::Beat} : KeyFrom(kTableKeys);
        }
        if (roll < 600) {
            return Sideways();
        }
        if (roll < 680) {
            return game_.Turn != plan_.turn || Roll(4) == 0 ? KeyFrom(kRotateKeys) : Sideways();
        }
        if (roll < 720) {
            return OnPlan() || Roll(5) == 0 ? KeyFrom(kSoftDropKeys) : Steer();
        }
        if (roll < 750) {
            return OnPlan() || Roll(5) == 0 ? Event{EventKind::Key, kSpace, AnyShift()} : Steer();
        }
        if (roll < 790) {
            return KeyFrom(kTableKeys);
        }
        if (roll < 820) {
            return Event{EventKind::Key, AnyInt16(), AnyInt16()};
        }
        if (roll < 910) {
            // Over the column the piece is steered to, or anywhere.
            const int index = Roll(8) != 0 ? plan_.column + 10 * Roll(20) : AnyIndex();
            return Event{EventKind::MouseMove, index};
        }
        if (roll < 950) {
            const int index = AnyIndex();
            return Event{EventKind::MouseDown, index, AnyButton()};
        }
        return Event{EventKind::Menu, 0, 0,
                     commands_[static_cast<std::size_t>(Roll(static_cast<int>(commands_.size())))]};
    }

    // ---- A rough player, so that rows fill up and get cleared: for each new
    // piece it plans the orientation and pivot column where a straight drop
    // leaves the fewest holes and lies lowest, and most of the moves and
    // drops steer toward that plan.

    struct Plan {
        int turn = 0;
        int column = 5;
    };

    int PivotColumn() const { return falbok::IsBoardCell(game_.PivotCell) ? Column(game_.PivotCell) : plan_.column; }
    bool OnPlan() const { return game_.Turn == plan_.turn && PivotColumn() == plan_.column; }

    Event Steer() { return game_.Turn != plan_.turn ? KeyFrom(kRotateKeys) : Sideways(); }

    // Mostly toward the planned column; now and then either way.
    Event Sideways()
    {
        const int pivotColumn = PivotColumn();
        if (Roll(6) == 0 || pivotColumn == plan_.column) {
            return KeyFrom(kSidewaysKeys);
        }
        constexpr std::array<int, 2> kLeftKeys{65, 37};
        constexpr std::array<int, 2> kRightKeys{68, 39};
        return plan_.column < pivotColumn ? KeyFrom(kLeftKeys) : KeyFrom(kRightKeys);
    }

    static constexpr int kNoFit = 1 << 20;

    // How bad it is to drop the piece straight down from the top in this
    // orientation with its pivot in this column: high cells and holes under
    // it count against, full rows for it; kNoFit when it does not fit.
    int DropScore(std::size_t kind, std::size_t turn, int column) const
    {
        std::array<int, 4> rows{};
        std::array<int, 4> columns{};
        int highest = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int offset = kPieceCells[kind][turn][i];
            columns[i] = column + ColumnStep(offset);
            rows[i] = (offset - ColumnStep(offset)) / 10;
            if (columns[i] < 1 || columns[i] > 10) {
                return kNoFit;
            }
            highest = std::min(highest, rows[i]);
        }
        const auto fits = [&](int shift) {
            for (std::size_t i = 0; i < 4; ++i) {
                const int row = rows[i] + shift;
                if (row > 20 || (row >= 1 && game_.Board((row - 1) * 10 + columns[i]) == 1)) {
                    return false;
                }
            }
            return true;
        };
        int shift = 1 - highest;
        if (!fits(shift)) {
            return kNoFit;
        }
        while (fits(shift + 1)) {
            ++shift;
        }
        int score = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int row = rows[i] + shift;
            score += 21 - row;
            bool below = row == 20;
            for (std::size_t j = 0; j < 4; ++j) {
                below = below || (columns[j] == columns[i] && rows[j] + shift == row + 1);
            }
            if (!below && game_.Board(row * 10 + columns[i]) != 1) {
                score += 40;  // a hole under this cell
            }
            int filled = 0;
            for (int c = 1; c <= 10; ++c) {
                filled += game_.Board((row - 1) * 10 + c) == 1;
            }
            for (std::size_t j = 0; j < 4; ++j) {
                filled += rows[j] + shift == row;
            }
            score -= filled == 10 ? 100 : 0;
        }
        return score;
    }

    void PlanNextPiece()
    {
        if (game_.CurKind < 1 || game_.CurKind > 7) {
            return;
        }
        const auto kind = static_cast<std::size_t>(game_.CurKind);
        if (Roll(4) == 0) {
            plan_ = Plan{Roll(kOrientations[kind]), 1 + Roll(10)};
            return;
        }
        int best = kNoFit;
        const int first = Roll(10);
        for (int turn = 0; turn < kOrientations[kind]; ++turn) {
            for (int i = 0; i < 10; ++i) {
                const int column = (first + i) % 10 + 1;
                const int score = DropScore(kind, static_cast<std::size_t>(turn), column);
                if (score < best) {
                    best = score;
                    plan_ = Plan{turn, column};
                }
            }
        }
    }

    void Deliver(const Event& e)
    {
        switch (e.kind) {
        case EventKind::Beat:
            game_.tmrMain_Timer();
            break;
        case EventKind::Key:
            game_.Form_KeyDown(static_cast<std::int16_t>(e.a), static_cast<std::int16_t>(e.b));
            break;
        case EventKind::MouseMove:
            game_.Img_MouseMove(static_cast<std::int16_t>(e.a));
            break;
        case EventKind::MouseDown:
            game_.Img_MouseDown(static_cast<std::int16_t>(e.a), static_cast<std::int16_t>(e.b));
            break;
        case EventKind::Menu:
            e.entry->command(game_);
            break;
        case EventKind::NewGame:
            game_.mnuNew_Click();
            break;
        }
    }

    std::string Step(long number)
    {
        const Event e = Pick();
        const bool overBefore = game_.GameOver == 1;
        const int occupiedBefore = e.kind == EventKind::Beat ? Occupied() : 0;
        tk_.ClearLog();  // the log holds this one event's calls
        try {
            Deliver(e);
        } catch (const std::exception& ex) {
            return Report(number, e, std::string("the event threw: ") + ex.what());
        }

        switch (e.kind) {
        case EventKind::Beat:
            ++tally_.beats;
            if (std::string why = CountBeat(overBefore, occupiedBefore); !why.empty()) {
                return Report(number, e, why);
            }
            break;
        case EventKind::Menu:
            ++tally_.menuCommands;
            if (e.entry->item == MenuItem::mnuNew) {
                StartedNewGame();
            }
            break;
        case EventKind::NewGame:
            StartedNewGame();
            break;
        case EventKind::MouseMove:
        case EventKind::MouseDown:
            ++tally_.mouseEvents;
            break;
        case EventKind::Key:
            break;
        }

        if (std::string why = FirstViolation(); !why.empty()) {
            return Report(number, e, why);
        }
        return {};
    }

    void StartedNewGame()
    {
        ++tally_.newGames;
        spawnedSinceNewGame_ = false;
    }

    // A beat either moves the piece or lands it, removes whole rows and brings
    // in the next piece (or ends the game); the blanking of the preview tells
    // the second kind from the first.
    std::string CountBeat(bool overBefore, int occupiedBefore)
    {
        bool spawned = false;
        for (const FakeToolkit::Call& c : tk_.calls) {
            spawned = spawned || (c.op == FakeToolkit::Op::SetTilePicture && c.a >= falbok::kPreviewFirst);
        }
        if (!spawned) {
            return Occupied() == occupiedBefore
                       ? ""
                       : "a beat that brought in no piece changed the number of occupied cells";
        }
        ++tally_.pieces;
        spawnedSinceNewGame_ = true;
        PlanNextPiece();
        if (!overBefore && game_.GameOver == 1) {
            ++tally_.gamesEnded;
        }
        const int placed = game_.GameOver == 1 ? 0 : 4;
        const int removed = occupiedBefore + placed - Occupied();
        if (removed < 0 || removed % 10 != 0) {
            return "a landing beat removed " + std::to_string(removed) + " cells, not whole rows";
        }
        tally_.rowsCleared += removed / 10;
        return {};
    }

    // Board(1)..Board(200), like CellColor and CellDirty, lie in one array;
    // reading them through a plain pointer keeps the checks after every event
    // cheap. Index 0 is cell 1.
    static const std::int16_t* Cells(const falbok::Array1<std::int16_t, falbok::kCells>& cells) { return &cells(1); }

    int Occupied() const
    {
        const std::int16_t* board = Cells(game_.Board);
        int n = 0;
        for (int i = 0; i < falbok::kCells; ++i) {
            n += board[i] != 0;
        }
        return n;
    }

    std::string Report(long number, const Event& e, const std::string& why) const
    {
        return "seed " + std::to_string(seed_) + ", event " + std::to_string(number) + " (" + e.Describe() +
               "): " + why + "  [replay with FALBOK_SEED=" + std::to_string(seed_) + "]";
    }

    static std::string At(const char* rule, int where)
    {
        return std::string(rule) + " (at " + std::to_string(where) + ")";
    }

    std::string FirstViolation() const
    {
        int falling = 0;
        int firstFalling = 0;
        if (std::string why = CellViolation(falling, firstFalling); !why.empty()) {
            return why;
        }
        if (std::string why = PieceViolation(falling, firstFalling); !why.empty()) {
            return why;
        }
        if (std::string why = MarkViolation(); !why.empty()) {
            return why;
        }
        return PreviewViolation();
    }

    // `count` falling cells were found, the first of them at `first`.
    std::string PieceViolation(int count, int first) const
    {
        const Game& g = game_;
        if (g.GameOver != 0 && g.GameOver != 1) {
            return "GameOver is neither 0 nor 1";
        }
        if (g.GameOver == 1 && tk_.timerEnabled) {
            return "the timer runs while the game is over";
        }
        if (g.GameOver == 1 && (g.CurKind != g.NextKind || g.CurColor != g.NextColor || g.CurKind == 0)) {
            return "the game is over but CurKind and CurColor are not the announced piece that found no room";
        }
        if (g.GameOver == 1 || g.CurKind == 0) {
            if (count != 0) {
                return At(g.GameOver == 1 ? "a cell is falling while the game is over"
                                          : "a cell is falling while no piece is (CurKind 0)",
                          first);
            }
            return {};
        }
        if (g.CurKind < 1 || g.CurKind > 7) {
            return At("CurKind is not a kind", g.CurKind);
        }
        const auto kind = static_cast<std::size_t>(g.CurKind);
        if (g.Turn < 0 || g.Turn >= kOrientations[kind]) {
            return At("Turn is not an orientation of the falling kind", g.Turn);
        }
        if (g.CurColor < 1 || g.CurColor > 7) {
            return At("the falling piece has no colour", g.CurColor);
        }
        if (count != 4) {
            return At("the falling piece does not have four falling cells", count);
        }
        if (!falbok::IsBoardCell(g.PivotCell)) {
            return At("the pivot of the falling piece is off the board", g.PivotCell);
        }
        for (const int offset : kPieceCells[kind][static_cast<std::size_t>(g.Turn)]) {
            const int cell = g.PivotCell + offset;
            if (!falbok::IsBoardCell(cell) || g.Board(cell) != 2 ||
                Column(cell) - Column(g.PivotCell) != ColumnStep(offset)) {
                return At("the falling cells are not the shape of CurKind in orientation Turn around PivotCell", cell);
            }
            if (g.CellColor(cell) != g.CurColor) {
                return At("a falling cell does not have the colour of the falling piece", cell);
            }
        }
        return {};
    }

    std::string CellViolation(int& falling, int& firstFalling) const
    {
        const std::int16_t* board = Cells(game_.Board);
        const std::int16_t* colours = Cells(game_.CellColor);
        const std::int16_t* dirtyFlags = Cells(game_.CellDirty);
        const FakeToolkit::Tile* tiles = tk_.tiles.data();
        const int background = BackgroundFor(game_.BackStyle);
        for (int k = 1; k <= falbok::kCells; ++k) {
            const int state = board[k - 1];
            const int colour = colours[k - 1];
            const int dirty = dirtyFlags[k - 1];
            if (state < 0 || state > 2) {
                return At("a Board value other than 0, 1, 2", k);
            }
            if (state == 2 && falling++ == 0) {
                firstFalling = k;
            }
            if ((state == 0) != (colour == 0) || colour < 0 || colour > 7) {
                return At("CellColor is not 0 exactly where Board is 0, and 1..7 elsewhere", k);
            }
            if (dirty != 0 && dirty != 1) {
                return At("a CellDirty value other than 0 or 1", k);
            }
            if (dirty == 0 && tiles[k].picture != (colour != 0 ? colour : background)) {
                return At("a clean board tile does not show its cell's picture", k);
            }
        }
        for (int i = 1; i <= falbok::kTiles; ++i) {
            if (!tiles[i].visible) {
                return At("a tile view is hidden between events", i);
            }
        }
        return {};
    }

    // Exactly one item of the group is marked, and it is the one at `value`.
    bool OneMarkAt(MenuItem first, int count, int value) const
    {
        int marked = 0;
        for (int i = 0; i < count; ++i) {
            const auto item = static_cast<MenuItem>(static_cast<int>(first) + i);
            if (tk_.Mark(item)) {
                ++marked;
                if (i != value) {
                    return false;
                }
            }
        }
        return marked == 1;
    }

    std::string MarkViolation() const
    {
        using enum MenuItem;
        const Game& g = game_;
        constexpr std::array<int, 4> kSizes{12, 18, 24, 30};
        int size = -1;
        for (std::size_t i = 0; i < kSizes.size(); ++i) {
            size = kSizes[i] == g.TileSize ? static_cast<int>(i) : size;
        }
        if (size < 0 || !OneMarkAt(mnuSize12, 4, size)) {
            return At("the size group does not mark exactly the tile size", g.TileSize);
        }
        if (!OneMarkAt(mnuESC0, 4, g.EscAction)) {
            return At("the Esc group does not mark exactly the Esc action", g.EscAction);
        }
        const int interval = tk_.timerInterval;
        if (interval < 50 || interval > 1000 || interval % 50 != 0) {
            return At("the fall interval left the grid of 50..1000 ms", interval);
        }
        if (!OneMarkAt(mnuSpeed50, 20, interval / 50 - 1)) {
            return At("the speed group does not mark exactly the interval", interval);
        }
        if (!OneMarkAt(mnuBackColor1, 3, g.BackStyle - 1)) {
            return At("the background group does not mark exactly the background style", g.BackStyle);
        }
        const bool figuresMarks = tk_.Mark(mnuFigures0) + tk_.Mark(mnuFigures1) + tk_.Mark(mnuFigures2) == 1 &&
                                  tk_.Mark(g.RepeatSetting == 0   ? mnuFigures0
                                           : g.RepeatSetting == 1 ? mnuFigures1
                                                                  : mnuFigures2) &&
                                  g.RepeatSetting <= 2;
        if (!figuresMarks) {
            return At("the repeat group does not mark exactly the repeat setting", g.RepeatSetting);
        }
        if (tk_.Mark(mnuFiguresABC) != (g.InTurn == 1)) {
            return "the in-turn mark disagrees with InTurn";
        }
        if (tk_.Mark(mnuMouse) != (g.MouseOn == 1)) {
            return "the mouse mark disagrees with MouseOn";
        }
        int inUse = 0;
        for (int c = 1; c <= 7; ++c) {
            inUse += g.ColorOn(c) == 1;
            if (tk_.Mark(static_cast<MenuItem>(static_cast<int>(mnuColor1) + c - 1)) != (g.ColorOn(c) == 1)) {
                return At("a colour mark disagrees with ColorOn", c);
            }
        }
        if (inUse == 0) {
            return "no colour is in use";
        }
        if (tk_.Mark(mnuColors1) != (inUse == 1) || tk_.Mark(mnuColors7) != (inUse == 7)) {
            return At("the one-colour or all-colours mark disagrees with the colours in use", inUse);
        }
        const bool paused = !tk_.timerEnabled && g.GameOver == 0;
        if (tk_.Mark(mnuPause) != paused) {
            return paused ? "the game is paused but the pause item is unmarked"
                          : "the pause item is marked but the game is not paused";
        }
        return {};
    }

    bool PreviewShows(int kind, int colour, int background) const
    {
        if (kind < 1 || kind > 7 || colour < 1 || colour > 7) {
            return false;
        }
        for (int i = falbok::kPreviewFirst; i <= falbok::kTiles; ++i) {
            bool painted = false;
            for (const int t : kPreviewTiles[static_cast<std::size_t>(kind)]) {
                painted = painted || t == i;
            }
            if (tk_.tiles[static_cast<std::size_t>(i)].picture != (painted ? colour : background)) {
                return false;
            }
        }
        return true;
    }

    std::string PreviewViolation() const
    {
        const Game& g = game_;
        const int background = BackgroundFor(g.BackStyle);
        bool blank = true;
        for (int i = falbok::kPreviewFirst; i <= falbok::kTiles; ++i) {
            blank = blank && tk_.tiles[static_cast<std::size_t>(i)].picture == background;
        }
        const bool showsNext = PreviewShows(g.NextKind, g.NextColor, background);
        if (g.GameOver == 1) {
            return blank ? "" : "the preview is not blank while the game is over";
        }
        if (spawnedSinceNewGame_) {
            return showsNext ? "" : At("the preview does not show NextKind in NextColor", g.NextKind);
        }
        // Before the first piece of a game the preview is blank, unless a
        // background change painted the announced piece in again.
        if (g.NextColor != 0 && !blank && !showsNext) {
            return "before the first piece the preview is neither blank nor the announced piece";
        }
        return {};
    }

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    FakeToolkit tk_;
    Game game_{tk_};
    std::vector<const MenuEntry*> commands_;
    bool spawnedSinceNewGame_ = false;
    Plan plan_;
    Tally tally_;
};

std::uint64_t ChosenSeed()
{
    const char* text = std::getenv("FALBOK_SEED");
    if (text == nullptr || *text == '\0') {
        return kDefaultSeed;
    }
    return std::strtoull(text, nullptr, 10);
}

// The run must have played real games, or passing it would mean nothing.
void ExpectRealGames(const Tally& t, std::uint64_t seed)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_GT(t.beats, kEventsPerRun / 5);
    EXPECT_GT(t.pieces, 1000);
    EXPECT_GT(t.rowsCleared, 0);
    EXPECT_GT(t.gamesEnded, 0);
    EXPECT_GT(t.newGames, 0);
    EXPECT_GT(t.mouseEvents, 0);
    EXPECT_GT(t.menuCommands, 0);
}

TEST(RandomRun, ChosenSeedKeepsEveryRuleAfterEveryEvent)
{
    const std::uint64_t seed = ChosenSeed();
    RandomRun run(seed);
    // New game, pause, 4 sizes, 4 Esc actions, 20 speeds, 3 backgrounds,
    // 9 colour items, 4 appearance items and mouse control.
    ASSERT_EQ(run.MenuCommandCount(), 47u);
    const std::string why = run.Play(kEventsPerRun);
    ASSERT_TRUE(why.empty()) << why;
    ExpectRealGames(run.Counts(), seed);
}

TEST(RandomRun, OtherSeedsKeepEveryRuleAfterEveryEvent)
{
    for (const std::uint64_t seed : {1ULL, 4'000'000'007ULL}) {
        RandomRun run(seed);
        const std::string why = run.Play(kEventsPerRun);
        ASSERT_TRUE(why.empty()) << why;
        ExpectRealGames(run.Counts(), seed);
    }
}

}  // namespace
