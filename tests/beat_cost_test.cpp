// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a beat or a sideways move costs in toolkit calls: only the cells the
// piece left, entered or passed through are redrawn, each with exactly hide,
// picture, show, and no other tile is touched.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <utility>

#include "engine/game.h"
#include "fake_toolkit.h"

namespace {

using falbok::Game;
using falbok::testing::FakeToolkit;
using Op = FakeToolkit::Op;

constexpr int kDark = 10;  // background picture of the default style 3

// Random numbers for Int(7 * r) + 1 = k.
constexpr double kKindI = 0.0;
constexpr double kKindO = 0.5;
constexpr double kColour1 = 0.0;
constexpr double kColour3 = 0.35;

// Every call that changes what the player sees or the timer, as text.
std::string Drawing(const FakeToolkit& tk)
{
    std::string text;
    for (const FakeToolkit::Call& c : tk.calls) {
        switch (c.op) {
        case Op::TimerEnabledRead:
        case Op::TimerIntervalRead:
        case Op::CheckedRead:
            continue;
        case Op::HideTile:
            text += "hide " + std::to_string(c.a) + ", ";
            break;
        case Op::SetTilePicture:
            text += std::to_string(c.a) + "=" + std::to_string(c.b) + ", ";
            break;
        case Op::ShowTile:
            text += "show " + std::to_string(c.a) + ", ";
            break;
        default:
            text += "other call " + std::to_string(static_cast<int>(c.op)) + ", ";
            break;
        }
    }
    return text;
}

// The drawing of these tiles, in this order, each hidden, given its picture
// and shown again.
std::string Redrawn(std::initializer_list<std::pair<int, int>> tilesAndPictures)
{
    std::string text;
    for (const auto& [tile, picture] : tilesAndPictures) {
        text += "hide " + std::to_string(tile) + ", " + std::to_string(tile) + "=" + std::to_string(picture) +
                ", show " + std::to_string(tile) + ", ";
    }
    return text;
}

// Tile indices named by any call of the log.
std::set<int> TilesTouched(const FakeToolkit& tk)
{
    std::set<int> tiles;
    for (const FakeToolkit::Call& c : tk.calls) {
        if (c.op == Op::HideTile || c.op == Op::SetTilePicture || c.op == Op::ShowTile || c.op == Op::PlaceTile) {
            tiles.insert(c.a);
        }
    }
    return tiles;
}

std::set<int> FallingCells(const Game& game)
{
    std::set<int> cells;
    for (int k = 1; k <= falbok::kCells; ++k) {
        if (game.Board(k) == 2) {
            cells.insert(k);
        }
    }
    return cells;
}

class BeatCost : public ::testing::Test {
protected:
    FakeToolkit tk;
    Game game{tk};

    void SetUp() override { game.Form_Load(); }

    // The first beat brings in a piece of the scripted kind and colour.
    void Start(double kind, double colour)
    {
        tk.Script({kind, colour, kKindI, kColour1});
        game.tmrMain_Timer();
        tk.ClearLog();
    }
};

TEST_F(BeatCost, FallingOPieceRedrawsOnlyTheCellsItLeftEnteredOrPassedThrough)
{
    Start(kKindO, kColour3);
    ASSERT_EQ(FallingCells(game), (std::set<int>{5, 6, 15, 16}));

    game.tmrMain_Timer();

    EXPECT_EQ(FallingCells(game), (std::set<int>{15, 16, 25, 26}));
    // 5 and 6 are left, 25 and 26 entered; 15 and 16 are emptied and filled
    // again by the move, so they are flagged and drawn too: 6 tiles, 18 calls.
    EXPECT_EQ(Drawing(tk), Redrawn({{5, kDark}, {6, kDark}, {15, 3}, {16, 3}, {25, 3}, {26, 3}}));
    EXPECT_EQ(tk.Effects(), 18u);
    EXPECT_EQ(tk.Count(Op::SetTilePicture), 6u);

    // The next beat costs the same, one row lower.
    tk.ClearLog();
    game.tmrMain_Timer();
    EXPECT_EQ(Drawing(tk), Redrawn({{15, kDark}, {16, kDark}, {25, 3}, {26, 3}, {35, 3}, {36, 3}}));
}

TEST_F(BeatCost, SidewaysMoveRedrawsOnlyTheCellsItLeftEnteredOrPassedThrough)
{
    Start(kKindO, kColour3);
    game.tmrMain_Timer();
    ASSERT_EQ(FallingCells(game), (std::set<int>{15, 16, 25, 26}));

    tk.ClearLog();
    game.Form_KeyDown(37, 0);  // Left
    EXPECT_EQ(FallingCells(game), (std::set<int>{14, 15, 24, 25}));
    EXPECT_EQ(Drawing(tk), Redrawn({{14, 3}, {15, 3}, {16, kDark}, {24, 3}, {25, 3}, {26, kDark}}));
    EXPECT_EQ(tk.Effects(), 18u);

    tk.ClearLog();
    game.Form_KeyDown(39, 0);  // Right, back again
    EXPECT_EQ(FallingCells(game), (std::set<int>{15, 16, 25, 26}));
    EXPECT_EQ(Drawing(tk), Redrawn({{14, kDark}, {15, 3}, {16, 3}, {24, kDark}, {25, 3}, {26, 3}}));
    EXPECT_EQ(tk.Effects(), 18u);

    // Against the left wall a move is refused and draws nothing at all.
    for (int i = 0; i < 4; ++i) {
        game.Form_KeyDown(37, 0);
    }
    ASSERT_EQ(FallingCells(game), (std::set<int>{11, 12, 21, 22}));
    tk.ClearLog();
    game.Form_KeyDown(37, 0);
    EXPECT_EQ(FallingCells(game), (std::set<int>{11, 12, 21, 22}));
    EXPECT_EQ(tk.Effects(), 0u);
}

TEST_F(BeatCost, PieceFallingDownAShaftNeverRedrawsTheStackBesideIt)
{
    Start(kKindI, kColour3);
    game.tmrMain_Timer();
    game.Form_KeyDown(38, 0);  // Up: the I stands upright around its pivot 15
    ASSERT_EQ(FallingCells(game), (std::set<int>{5, 15, 25, 35}));

    // A stack in rows 15..20 with an open shaft in column 5, drawn before the
    // beats begin.
    for (int k = 141; k <= 200; ++k) {
        if (k % 10 != 5) {
            game.Board(k) = 1;
            game.CellColor(k) = 6;
            game.CellDirty(k) = 1;
        }
    }
    game.Redraw();

    // The I slides down the shaft until its foot stands on cell 195; each
    // beat draws its column and nothing else.
    for (int top = 5; top <= 155; top += 10) {
        SCOPED_TRACE("top cell " + std::to_string(top));
        tk.ClearLog();
        game.tmrMain_Timer();
        EXPECT_EQ(FallingCells(game), (std::set<int>{top + 10, top + 20, top + 30, top + 40}));
        EXPECT_EQ(Drawing(tk), Redrawn({{top, kDark}, {top + 10, 3}, {top + 20, 3}, {top + 30, 3}, {top + 40, 3}}));
        EXPECT_EQ(tk.Effects(), 15u);
        for (const int tile : TilesTouched(tk)) {
            EXPECT_EQ(tile % 10, 5) << "tile " << tile << " of the stack was touched";
        }
    }
    EXPECT_EQ(FallingCells(game), (std::set<int>{165, 175, 185, 195}));
}

}  // namespace
