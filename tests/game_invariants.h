// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's standing rules, written out once and checked between events by
// the long randomized runs: the one on the recording fake and the one through
// the real window. Each check reads the game state and what the toolkit shows
// (tile pictures and visibility, check marks, the fall timer) and returns the
// first broken rule, or "" when none broke.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/menu_items.h"
#include "piece_tables.h"

namespace falbok::testing {

// ---- What the rules say, written out

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

// What a toolkit shows, as the rules read it: tiles are 1..208.
template <typename T>
concept Shown = requires(const T& shown, int tile, MenuItem item)
{
    {
        shown.Picture(tile)
        } -> std::convertible_to<int>;
    {
        shown.Visible(tile)
        } -> std::convertible_to<bool>;
    {
        shown.Mark(item)
        } -> std::convertible_to<bool>;
    {
        shown.TimerEnabled()
        } -> std::convertible_to<bool>;
    {
        shown.TimerInterval()
        } -> std::convertible_to<int>;
};

inline std::string At(const char* rule, int where) { return std::string(rule) + " (at " + std::to_string(where) + ")"; }

// Board(1)..Board(200), like CellColor and CellDirty, lie in one array;
// reading them through a plain pointer keeps the checks after every event
// cheap. Index 0 is cell 1.
inline const std::int16_t* Cells(const Array1<std::int16_t, kCells>& cells) { return &cells(1); }

inline int CountCells(const Game& g, std::int16_t state)
{
    const std::int16_t* board = Cells(g.Board);
    int n = 0;
    for (int i = 0; i < kCells; ++i) {
        n += board[i] == state;
    }
    return n;
}

inline int Occupied(const Game& g) { return kCells - CountCells(g, 0); }

// ---- The rules

// Board values, colours and flags cell by cell; every clean board tile shows
// its cell; no tile view is hidden. Counts the falling cells on the way.
template <Shown S>
std::string CellViolation(const Game& g, const S& shown, int& falling, int& firstFalling)
{
    const std::int16_t* board = Cells(g.Board);
    const std::int16_t* colours = Cells(g.CellColor);
    const std::int16_t* dirtyFlags = Cells(g.CellDirty);
    const int background = BackgroundFor(g.BackStyle);
    for (int k = 1; k <= kCells; ++k) {
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
        if (dirty == 0 && shown.Picture(k) != (colour != 0 ? colour : background)) {
            return At("a clean board tile does not show its cell's picture", k);
        }
    }
    for (int i = 1; i <= kTiles; ++i) {
        if (!shown.Visible(i)) {
            return At("a tile view is hidden between events", i);
        }
    }
    return {};
}

// The falling piece is the shape of CurKind in orientation Turn around
// PivotCell, in CurColor; `count` falling cells were found, the first at
// `first`.
template <Shown S>
std::string PieceViolation(const Game& g, const S& shown, int count, int first)
{
    if (g.GameOver != 0 && g.GameOver != 1) {
        return "GameOver is neither 0 nor 1";
    }
    if (g.GameOver == 1 && shown.TimerEnabled()) {
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
    if (!IsBoardCell(g.PivotCell)) {
        return At("the pivot of the falling piece is off the board", g.PivotCell);
    }
    for (const int offset : kPieceCells[kind][static_cast<std::size_t>(g.Turn)]) {
        const int cell = g.PivotCell + offset;
        if (!IsBoardCell(cell) || g.Board(cell) != 2 || Column(cell) - Column(g.PivotCell) != ColumnStep(offset)) {
            return At("the falling cells are not the shape of CurKind in orientation Turn around PivotCell", cell);
        }
        if (g.CellColor(cell) != g.CurColor) {
            return At("a falling cell does not have the colour of the falling piece", cell);
        }
    }
    return {};
}

// Exactly one item of the group is marked, and it is the one at `value`.
template <Shown S>
bool OneMarkAt(const S& shown, MenuItem first, int count, int value)
{
    int marked = 0;
    for (int i = 0; i < count; ++i) {
        const auto item = static_cast<MenuItem>(static_cast<int>(first) + i);
        if (shown.Mark(item)) {
            ++marked;
            if (i != value) {
                return false;
            }
        }
    }
    return marked == 1;
}

// Every check mark says what the state says: one size, Esc action, speed,
// background and repeat setting each; the on/off items; the colours in use;
// the pause mark exactly while the game is paused.
template <Shown S>
std::string MarkViolation(const Game& g, const S& shown)
{
    using enum MenuItem;
    constexpr std::array<int, 4> kSizes{12, 18, 24, 30};
    int size = -1;
    for (std::size_t i = 0; i < kSizes.size(); ++i) {
        size = kSizes[i] == g.TileSize ? static_cast<int>(i) : size;
    }
    if (size < 0 || !OneMarkAt(shown, mnuSize12, 4, size)) {
        return At("the size group does not mark exactly the tile size", g.TileSize);
    }
    if (!OneMarkAt(shown, mnuESC0, 4, g.EscAction)) {
        return At("the Esc group does not mark exactly the Esc action", g.EscAction);
    }
    const int interval = shown.TimerInterval();
    if (interval < 50 || interval > 1000 || interval % 50 != 0) {
        return At("the fall interval left the grid of 50..1000 ms", interval);
    }
    if (!OneMarkAt(shown, mnuSpeed50, 20, interval / 50 - 1)) {
        return At("the speed group does not mark exactly the interval", interval);
    }
    if (!OneMarkAt(shown, mnuBackColor1, 3, g.BackStyle - 1)) {
        return At("the background group does not mark exactly the background style", g.BackStyle);
    }
    const bool figuresMarks = shown.Mark(mnuFigures0) + shown.Mark(mnuFigures1) + shown.Mark(mnuFigures2) == 1 &&
                              shown.Mark(g.RepeatSetting == 0   ? mnuFigures0
                                         : g.RepeatSetting == 1 ? mnuFigures1
                                                                : mnuFigures2) &&
                              g.RepeatSetting <= 2;
    if (!figuresMarks) {
        return At("the repeat group does not mark exactly the repeat setting", g.RepeatSetting);
    }
    if (shown.Mark(mnuFiguresABC) != (g.InTurn == 1)) {
        return "the in-turn mark disagrees with InTurn";
    }
    if (shown.Mark(mnuMouse) != (g.MouseOn == 1)) {
        return "the mouse mark disagrees with MouseOn";
    }
    int inUse = 0;
    for (int c = 1; c <= 7; ++c) {
        inUse += g.ColorOn(c) == 1;
        if (shown.Mark(static_cast<MenuItem>(static_cast<int>(mnuColor1) + c - 1)) != (g.ColorOn(c) == 1)) {
            return At("a colour mark disagrees with ColorOn", c);
        }
    }
    if (inUse == 0) {
        return "no colour is in use";
    }
    if (shown.Mark(mnuColors1) != (inUse == 1) || shown.Mark(mnuColors7) != (inUse == 7)) {
        return At("the one-colour or all-colours mark disagrees with the colours in use", inUse);
    }
    const bool paused = !shown.TimerEnabled() && g.GameOver == 0;
    if (shown.Mark(mnuPause) != paused) {
        return paused ? "the game is paused but the pause item is unmarked"
                      : "the pause item is marked but the game is not paused";
    }
    return {};
}

template <Shown S>
bool PreviewShows(const S& shown, int kind, int colour, int background)
{
    if (kind < 1 || kind > 7 || colour < 1 || colour > 7) {
        return false;
    }
    for (int i = kPreviewFirst; i <= kTiles; ++i) {
        bool painted = false;
        for (const int t : kPreviewTiles[static_cast<std::size_t>(kind)]) {
            painted = painted || t == i;
        }
        if (shown.Picture(i) != (painted ? colour : background)) {
            return false;
        }
    }
    return true;
}

// The preview is blank while the game is over and shows the next piece once
// a piece has come in; `spawnedSinceNewGame` says whether one has.
template <Shown S>
std::string PreviewViolation(const Game& g, const S& shown, bool spawnedSinceNewGame)
{
    const int background = BackgroundFor(g.BackStyle);
    bool blank = true;
    for (int i = kPreviewFirst; i <= kTiles; ++i) {
        blank = blank && shown.Picture(i) == background;
    }
    const bool showsNext = PreviewShows(shown, g.NextKind, g.NextColor, background);
    if (g.GameOver == 1) {
        return blank ? "" : "the preview is not blank while the game is over";
    }
    if (spawnedSinceNewGame) {
        return showsNext ? "" : At("the preview does not show NextKind in NextColor", g.NextKind);
    }
    // Before the first piece of a game the preview is blank, unless a
    // background change painted the announced piece in again.
    if (g.NextColor != 0 && !blank && !showsNext) {
        return "before the first piece the preview is neither blank nor the announced piece";
    }
    return {};
}

// Every rule above, in that order.
template <Shown S>
std::string FirstViolation(const Game& g, const S& shown, bool spawnedSinceNewGame)
{
    int falling = 0;
    int firstFalling = 0;
    if (std::string why = CellViolation(g, shown, falling, firstFalling); !why.empty()) {
        return why;
    }
    if (std::string why = PieceViolation(g, shown, falling, firstFalling); !why.empty()) {
        return why;
    }
    if (std::string why = MarkViolation(g, shown); !why.empty()) {
        return why;
    }
    return PreviewViolation(g, shown, spawnedSinceNewGame);
}

// ---- A rough player, so that rows fill up and get cleared: for each new
// piece it plans the orientation and pivot column where a straight drop
// leaves the fewest holes and lies lowest.

struct DropPlan {
    int turn = 0;
    int column = 5;
};

inline constexpr int kNoFit = 1 << 20;

// How bad it is to drop the piece straight down from the top in this
// orientation with its pivot in this column: high cells and holes under it
// count against, full rows for it; kNoFit when it does not fit.
inline int DropScore(const Game& g, std::size_t kind, std::size_t turn, int column)
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
            if (row > 20 || (row >= 1 && g.Board((row - 1) * 10 + columns[i]) == 1)) {
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
        if (!below && g.Board(row * 10 + columns[i]) != 1) {
            score += 40;  // a hole under this cell
        }
        int filled = 0;
        for (int c = 1; c <= 10; ++c) {
            filled += g.Board((row - 1) * 10 + c) == 1;
        }
        for (std::size_t j = 0; j < 4; ++j) {
            filled += rows[j] + shift == row;
        }
        score -= filled == 10 ? 100 : 0;
    }
    return score;
}

// The best straight drop for the falling piece, trying the columns from
// `firstColumn` (0..9) on; none when the piece fits nowhere.
inline std::optional<DropPlan> BestDrop(const Game& g, int firstColumn)
{
    const auto kind = static_cast<std::size_t>(g.CurKind);
    std::optional<DropPlan> plan;
    int best = kNoFit;
    for (int turn = 0; turn < kOrientations[kind]; ++turn) {
        for (int i = 0; i < 10; ++i) {
            const int column = (firstColumn + i) % 10 + 1;
            const int score = DropScore(g, kind, static_cast<std::size_t>(turn), column);
            if (score < best) {
                best = score;
                plan = DropPlan{turn, column};
            }
        }
    }
    return plan;
}

}  // namespace falbok::testing
