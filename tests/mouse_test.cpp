// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Mouse control: following the pointer's column, the buttons, and the switch.
#include <gtest/gtest.h>

#include <vector>

#include "controls_fixture.h"
#include "engine/game.h"

namespace falbok {
namespace {

using testing::FakeToolkit;

// One beat into a game: a red T falls with its pivot in cell 15 (column 5).
class Mouse : public ::testing::Test, protected testing::Table {
protected:
    std::vector<int> Falling() const { return testing::Falling(game); }

    const std::vector<int> spawned{5, 14, 15, 16};
};

TEST_F(Mouse, PieceFollowsThePointerColumnOneMovePerColumn)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(119);  // row 12, column 9
    EXPECT_EQ(game.MouseCell, 119);
    EXPECT_EQ(game.PivotCell, 19);
    EXPECT_EQ(Falling(), (std::vector<int>{9, 18, 19, 20}));
    game.Img_MouseMove(2);
    EXPECT_EQ(game.PivotCell, 12);

    // With no piece falling every call still shifts the pivot by one, which
    // counts the calls: from column 0 to column 7 takes seven, back to 3 four.
    game.DropPiece();
    ASSERT_EQ(game.PivotCell, 0);
    game.Img_MouseMove(47);
    EXPECT_EQ(game.PivotCell, 7);
    game.Img_MouseMove(3);
    EXPECT_EQ(game.PivotCell, 3);
}

TEST_F(Mouse, BlockedPieceMovesOnlyAsFarAsItCan)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(7);  // pivot to 17: cells 7, 16, 17, 18
    ASSERT_EQ(game.PivotCell, 17);
    game.Board(14) = 1;
    game.CellColor(14) = 3;

    game.Img_MouseMove(2);  // five columns to the left
    EXPECT_EQ(game.PivotCell, 16);
    EXPECT_EQ(Falling(), (std::vector<int>{6, 15, 16, 17}));

    // Falling past the obstacle does not make it catch up on its own.
    game.tmrMain_Timer();
    EXPECT_EQ(game.PivotCell, 26);
    EXPECT_EQ(game.MouseCell, 2);
}

TEST_F(Mouse, MouseCellFollowsWithControlOffButNothingMoves)
{
    game.Img_MouseMove(3);
    game.Img_MouseDown(3, button::kLeft);
    game.Img_MouseDown(3, button::kRight);
    EXPECT_EQ(game.MouseCell, 3);
    EXPECT_EQ(Falling(), spawned);
    EXPECT_EQ(tk.Effects(), 0u);

    // Switching on moves nothing until the pointer moves again.
    game.mnuMouse_Click();
    EXPECT_EQ(game.MouseOn, 1);
    EXPECT_TRUE(tk.Mark(MenuItem::mnuMouse));
    EXPECT_EQ(Falling(), spawned);
    game.Img_MouseMove(3);
    EXPECT_EQ(game.PivotCell, 13);

    game.mnuMouse_Click();
    EXPECT_EQ(game.MouseOn, 0);
    EXPECT_FALSE(tk.Mark(MenuItem::mnuMouse));
    game.Img_MouseMove(10);
    EXPECT_EQ(game.PivotCell, 13);
    EXPECT_EQ(game.MouseCell, 10);
}

TEST_F(Mouse, PausedOrOverTheMouseIsIgnored)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(6);
    game.TogglePause();
    game.Img_MouseMove(2);
    game.Img_MouseDown(2, button::kRight);
    game.Img_MouseDown(2, button::kLeft);
    EXPECT_EQ(game.MouseCell, 6);
    EXPECT_EQ(game.PivotCell, 16);
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(game.CurKind, 6);

    // The O finds cell 5 taken and the game ends.
    game.TogglePause();
    game.DropPiece();
    game.Board(5) = 1;
    game.CellColor(5) = 2;
    game.tmrMain_Timer();
    ASSERT_EQ(game.GameOver, 1);
    const int mouseCell = game.MouseCell;
    tk.ClearLog();
    game.Img_MouseMove(150);
    game.Img_MouseDown(150, button::kLeft);
    game.Img_MouseDown(150, button::kRight);
    EXPECT_EQ(game.MouseCell, mouseCell);
    EXPECT_EQ(tk.Effects(), 0u);
}

TEST_F(Mouse, PreviewTilesNeverMoveThePiece)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(203);  // would be column 3 if it counted as a cell
    EXPECT_EQ(game.MouseCell, 203);
    EXPECT_EQ(Falling(), spawned);
    game.Img_MouseDown(203, button::kLeft);
    game.Img_MouseDown(208, button::kRight);
    EXPECT_EQ(Falling(), spawned);
    EXPECT_EQ(game.Turn, 0);

    // Nor does the next spawn: the O stays where it enters.
    game.DropPiece();
    game.tmrMain_Timer();
    EXPECT_EQ(Falling(), (std::vector<int>{5, 6, 15, 16}));
}

TEST_F(Mouse, RightRotatesLeftDropsOtherButtonsDoNothing)
{
    for (std::int16_t b : {button::kMiddle, std::int16_t{0}, std::int16_t{3}, std::int16_t{-1}, std::int16_t{8}}) {
        game.Img_MouseDown(15, b);
    }
    game.Img_MouseDown(15, button::kRight);
    game.Img_MouseDown(15, button::kLeft);
    EXPECT_EQ(Falling(), spawned);  // control is off

    game.mnuMouse_Click();
    tk.ClearLog();
    for (std::int16_t b : {button::kMiddle, std::int16_t{0}, std::int16_t{3}, std::int16_t{-1}, std::int16_t{8}}) {
        game.Img_MouseDown(15, b);
    }
    EXPECT_EQ(Falling(), spawned);
    EXPECT_EQ(tk.Effects(), 0u);

    game.Img_MouseDown(120, button::kRight);  // any board tile, not the piece's
    EXPECT_EQ(game.Turn, 1);
    EXPECT_EQ(Falling(), (std::vector<int>{5, 15, 16, 25}));
    game.Img_MouseDown(1, button::kLeft);  // straight down, not to column 1
    EXPECT_EQ(game.CurKind, 0);
    for (int k : {175, 185, 186, 195}) {
        EXPECT_EQ(game.Board(k), 1) << "cell " << k;
    }
}

TEST_F(Mouse, IndicesOutsideTheTilesChangeNothing)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(15);  // the pivot's own column: nothing moves
    tk.ClearLog();
    for (std::int16_t index : {0, -1, 209, 32767, -32768}) {
        game.Img_MouseMove(index);
        for (std::int16_t b : {button::kLeft, button::kRight, button::kMiddle}) {
            game.Img_MouseDown(index, b);
        }
        EXPECT_EQ(game.MouseCell, 15) << "index " << index;
        EXPECT_EQ(Falling(), spawned) << "index " << index;
    }
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(tk.Effects(), 0u);
}

TEST_F(Mouse, NewPieceJumpsToTheMouseColumnUntilANewGame)
{
    game.mnuMouse_Click();
    game.Img_MouseMove(18);
    game.DropPiece();
    tk.Script({0.0, 0.0});  // an I comes after the O
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 4);
    EXPECT_EQ(Falling(), (std::vector<int>{8, 9, 18, 19}));

    game.mnuNew_Click();
    EXPECT_EQ(game.MouseCell, 0);
    EXPECT_EQ(game.MouseOn, 1);
    game.tmrMain_Timer();
    EXPECT_EQ(Falling(), (std::vector<int>{4, 5, 6, 7}));  // the I stays where it enters
}

}  // namespace
}  // namespace falbok
