// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Tile size and layout, the background style and the colour set.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/game.h"
#include "fake_toolkit.h"
#include "tile_corners.h"

namespace falbok {
namespace {

using testing::FakeToolkit;
using Op = FakeToolkit::Op;

constexpr std::array<MenuItem, 7> kColourItems{
    MenuItem::mnuColor1, MenuItem::mnuColor2, MenuItem::mnuColor3, MenuItem::mnuColor4,
    MenuItem::mnuColor5, MenuItem::mnuColor6, MenuItem::mnuColor7,
};

// A game one beat old: a red T (cells 5, 14, 15, 16) falls and the preview
// shows a green O.
class Running : public ::testing::Test {
protected:
    Running()
    {
        game.Form_Load();
        tk.Script({0.8, 0.0, 0.5, 0.5});  // T, red; then O, green
        game.tmrMain_Timer();
        tk.ClearLog();
    }

    // Everything a layout must leave alone: game state, pictures, timer, pause.
    std::vector<int> GameAndPictures() const
    {
        std::vector<int> s;
        for (int k = 1; k <= kCells; ++k) {
            s.insert(s.end(), {game.Board(k), game.CellColor(k), game.CellDirty(k)});
        }
        s.insert(s.end(), {game.CurKind, game.CurColor, game.NextKind, game.NextColor, game.PivotCell, game.Turn,
                           game.GameOver, game.RepeatLeft, game.BackStyle});
        for (int k = 1; k <= kTiles; ++k) {
            s.push_back(tk.tiles[static_cast<std::size_t>(k)].picture);
        }
        s.insert(s.end(), {tk.timerEnabled, tk.timerInterval, tk.timerStarts, tk.Mark(MenuItem::mnuPause)});
        return s;
    }

    void ExpectColours(std::initializer_list<int> inUse, bool oneMarked, bool assortedMarked)
    {
        for (int c = 1; c <= 7; ++c) {
            bool on = false;
            for (int u : inUse) {
                on = on || u == c;
            }
            EXPECT_EQ(game.ColorOn(c), on ? 1 : 0) << "colour " << c;
            EXPECT_EQ(tk.Mark(kColourItems[static_cast<std::size_t>(c - 1)]), on) << "colour " << c;
        }
        EXPECT_EQ(tk.Mark(MenuItem::mnuColors1), oneMarked);
        EXPECT_EQ(tk.Mark(MenuItem::mnuColors7), assortedMarked);
    }

    FakeToolkit tk;
    Game game{tk};
};

TEST_F(Running, EverySizeMarksOneItemAndPlacesEveryTile)
{
    const MenuItem sizeItems[] = {MenuItem::mnuSize12, MenuItem::mnuSize18, MenuItem::mnuSize24, MenuItem::mnuSize30};
    // Down to the smallest, up to the largest, back to the default.
    for (const std::size_t index : {0, 3, 2, 1}) {
        const falbok::testing::SizeLayout& c = falbok::testing::kSizeLayouts[index];
        SCOPED_TRACE("size " + std::to_string(c.size));
        game.HideTiles();
        game.mnuSize_Click(c.size);
        EXPECT_EQ(game.TileSize, c.size);
        for (MenuItem item : sizeItems) {
            EXPECT_EQ(tk.Mark(item), item == c.item);
        }
        for (int k = 1; k <= kTiles; ++k) {
            EXPECT_EQ(tk.At(k).width, c.size) << "tile " << k;
            EXPECT_EQ(tk.At(k).height, c.size) << "tile " << k;
            EXPECT_TRUE(tk.At(k).visible) << "tile " << k;
        }
        for (const falbok::testing::TileCorner& corner : c.corners) {
            EXPECT_EQ(tk.At(corner.tile).left, corner.left) << "tile " << corner.tile;
            EXPECT_EQ(tk.At(corner.tile).top, corner.top) << "tile " << corner.tile;
        }
    }
}

TEST_F(Running, SizeChangeMidGameKeepsTheGameRunningOrPaused)
{
    auto before = GameAndPictures();
    game.mnuSize_Click(24);
    EXPECT_EQ(GameAndPictures(), before);
    EXPECT_EQ(tk.At(200).left, 221);
    EXPECT_EQ(tk.Count(Op::SetTilePicture), 0u);
    EXPECT_EQ(tk.Count(Op::SetTimerEnabled), 0u);

    game.TogglePause();
    before = GameAndPictures();
    tk.ClearLog();
    game.mnuSize_Click(12);
    EXPECT_EQ(GameAndPictures(), before);
    EXPECT_FALSE(tk.timerEnabled);
    EXPECT_TRUE(tk.Mark(MenuItem::mnuPause));
    EXPECT_EQ(tk.Count(Op::SetTimerEnabled), 0u);
}

TEST_F(Running, LayoutSkipsATileThatCannotBePlaced)
{
    tk.failPlaceTile = 57;  // at size 18 it stands at column 7, row 6
    game.mnuSize_Click(30);

    EXPECT_EQ(tk.Count(Op::PlaceTile), 208u);
    EXPECT_EQ(tk.At(57).left, 113);
    EXPECT_EQ(tk.At(57).top, 95);
    EXPECT_EQ(tk.At(57).width, 18);
    EXPECT_EQ(tk.At(56).left, 155);
    EXPECT_EQ(tk.At(58).left, 215);
    EXPECT_EQ(tk.At(58).top, 155);
    EXPECT_EQ(tk.At(208).left, 400);
    EXPECT_EQ(tk.At(208).width, 30);
    for (int k = 1; k <= kTiles; ++k) {
        EXPECT_TRUE(tk.At(k).visible) << "tile " << k;
    }
    EXPECT_TRUE(tk.Mark(MenuItem::mnuSize30));
    EXPECT_FALSE(tk.Mark(MenuItem::mnuSize18));
}

TEST_F(Running, BackgroundRepaintsEveryTileAndMarksOneItem)
{
    struct StyleCase {
        std::uint8_t style;
        std::int16_t picture;
        MenuItem item;
    };
    const StyleCase cases[] = {
        {1, 8, MenuItem::mnuBackColor1},
        {2, 9, MenuItem::mnuBackColor2},
        {2, 9, MenuItem::mnuBackColor2},
        {3, 10, MenuItem::mnuBackColor3},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        tk.ClearLog();
        game.mnuBackColor_Click(c.style);

        EXPECT_EQ(game.BackStyle, c.style);
        int boardPaints = 0;
        for (const auto& call : tk.calls) {
            boardPaints += call.op == Op::SetTilePicture && call.a <= 200;
        }
        EXPECT_EQ(boardPaints, 200);
        for (int k = 1; k <= kCells; ++k) {
            const bool piece = k == 5 || k == 14 || k == 15 || k == 16;
            EXPECT_EQ(tk.At(k).picture, piece ? 1 : c.picture) << "tile " << k;
            EXPECT_TRUE(tk.At(k).visible);
            EXPECT_EQ(game.CellDirty(k), 0);
        }
        const std::int16_t preview[] = {4, 4, c.picture, c.picture, 4, 4, c.picture, c.picture};
        for (int t = 201; t <= 208; ++t) {
            EXPECT_EQ(tk.At(t).picture, preview[t - 201]) << "tile " << t;
        }
        EXPECT_EQ(tk.Mark(MenuItem::mnuBackColor1), c.item == MenuItem::mnuBackColor1);
        EXPECT_EQ(tk.Mark(MenuItem::mnuBackColor2), c.item == MenuItem::mnuBackColor2);
        EXPECT_EQ(tk.Mark(MenuItem::mnuBackColor3), c.item == MenuItem::mnuBackColor3);
        EXPECT_EQ(tk.Count(Op::SetTimerEnabled), 0u);
        EXPECT_EQ(game.PivotCell, 15);
    }
}

TEST_F(Running, BackgroundKeepsThePauseAndLeavesAFinishedGamesPreviewBlank)
{
    game.TogglePause();
    game.mnuBackColor_Click(2);
    EXPECT_FALSE(tk.timerEnabled);
    EXPECT_TRUE(tk.Mark(MenuItem::mnuPause));
    EXPECT_EQ(tk.At(201).picture, 4);
    EXPECT_EQ(tk.At(203).picture, 9);

    // The O finds cell 5 taken: the game ends with the T resting at the bottom.
    game.TogglePause();
    game.DropPiece();
    game.Board(5) = 1;
    game.CellColor(5) = 2;
    game.CellDirty(5) = 1;
    game.tmrMain_Timer();
    ASSERT_EQ(game.GameOver, 1);

    game.mnuBackColor_Click(1);
    for (int t = 201; t <= 208; ++t) {
        EXPECT_EQ(tk.At(t).picture, 8) << "tile " << t;
    }
    EXPECT_EQ(tk.At(5).picture, 2);
    EXPECT_EQ(tk.At(195).picture, 1);
    EXPECT_EQ(tk.At(15).picture, 8);
    EXPECT_TRUE(tk.Mark(MenuItem::mnuBackColor1));
    EXPECT_FALSE(tk.Mark(MenuItem::mnuBackColor2));
}

TEST_F(Running, OneColourAndSwitchingOutTheLastColourKeepTheDrawnColour)
{
    tk.Script({0.99});  // the seventh colour, violet
    game.mnuColors1_Click();
    ExpectColours({7}, true, false);
    tk.Script({0.5});
    game.mnuColors1_Click();
    ExpectColours({4}, true, false);

    tk.Script({0.1});  // the only colour goes out: red is drawn back in
    game.mnuColor_Click(4);
    ExpectColours({1}, true, false);
    const int draws = tk.draws;
    tk.Script({0.0});  // drawn again: the marks look unchanged
    game.mnuColor_Click(1);
    ExpectColours({1}, true, false);
    EXPECT_EQ(tk.draws, draws + 1);
}

TEST_F(Running, ColoursOneByOneUpToAssorted)
{
    tk.Script({0.0});
    game.mnuColors1_Click();
    ExpectColours({1}, true, false);
    game.mnuColor_Click(2);
    ExpectColours({1, 2}, false, false);
    game.mnuColor_Click(3);
    game.mnuColor_Click(4);
    game.mnuColor_Click(5);
    ExpectColours({1, 2, 3, 4, 5}, false, false);
    game.mnuColor_Click(6);
    ExpectColours({1, 2, 3, 4, 5, 6}, false, false);
    game.mnuColor_Click(7);
    ExpectColours({1, 2, 3, 4, 5, 6, 7}, false, true);
    game.mnuColor_Click(3);
    ExpectColours({1, 2, 4, 5, 6, 7}, false, false);
    game.mnuColors7_Click();
    ExpectColours({1, 2, 3, 4, 5, 6, 7}, false, true);

    // Colour commands only set marks: no tile, no timer.
    EXPECT_EQ(tk.Effects(), tk.Count(Op::SetChecked) + tk.Count(Op::Random));
}

TEST_F(Running, PreviewedPieceKeepsItsColourAndTheNextTakesTheNewSet)
{
    tk.Script({0.99});
    game.mnuColors1_Click();  // violet only
    EXPECT_EQ(game.NextColor, 4);
    EXPECT_EQ(tk.At(201).picture, 4);

    game.DropPiece();
    tk.Script({0.0, 0.6});  // an I follows; its colour must be violet
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 4);
    EXPECT_EQ(game.CellColor(5), 4);
    EXPECT_EQ(tk.At(16).picture, 4);
    EXPECT_EQ(game.NextColor, 7);
    for (int t = 201; t <= 204; ++t) {
        EXPECT_EQ(tk.At(t).picture, 7) << "tile " << t;
    }
}

}  // namespace
}  // namespace falbok
