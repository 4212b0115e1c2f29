// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine_fixture.h"

namespace {

using falbok::testing::Cells;
using falbok::testing::EngineTest;
using falbok::testing::kDarkBackground;
using falbok::testing::Op;

class Beat : public EngineTest {};

TEST_F(Beat, PieceRestsOnOneTickAndLandsOnTheNext)
{
    // Row 20 waits for an O in columns 5 and 6. Lone cells in rows 1 and 18
    // come down with the clearing; the one in row 1 lands among the new
    // piece's cells, so a second redraw could not pass for the single one.
    SettleRange(191, 194, 1);
    SettleRange(197, 200, 1);
    Settle({1}, 3);
    Settle({171}, 7);
    Arrange(4, 0, 175, {175, 176, 185, 186}, 4);
    game.NextKind = 6;
    game.NextColor = 2;
    const int draws = tk.draws;

    // The tick on which it comes to rest only moves it.
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 4);
    EXPECT_EQ(game.PivotCell, 185);
    ExpectPiece({185, 186, 195, 196}, 4);
    EXPECT_EQ(Settled(), (Cells{1, 171, 191, 192, 193, 194, 197, 198, 199, 200}));
    EXPECT_EQ(RedrawnTiles(), (Cells{175, 176, 185, 186, 195, 196}));
    EXPECT_EQ(tk.draws, draws);

    // The next one fixes it, clears row 20, places the T and draws it all once.
    tk.ClearLog();
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 6);
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(game.PivotCell, 15);
    ExpectPiece({5, 14, 15, 16}, 2);
    EXPECT_EQ(Settled(), (Cells{11, 181, 195, 196}));
    EXPECT_EQ(game.CellColor(11), 3);
    EXPECT_EQ(game.CellColor(181), 7);
    EXPECT_EQ(game.CellColor(195), 4);
    EXPECT_EQ(game.CellColor(196), 4);
    EXPECT_EQ(RedrawnTiles(),
              (Cells{1, 5, 11, 14, 15, 16, 171, 181, 185, 186, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200}));
    for (int k : {5, 14, 15, 16}) {
        EXPECT_EQ(tk.At(k).picture, 2) << "tile " << k;
    }
    for (int k : {1, 171, 185, 186, 191, 192, 193, 194, 197, 198, 199, 200}) {
        EXPECT_EQ(tk.At(k).picture, kDarkBackground) << "tile " << k;
    }
    EXPECT_EQ(tk.At(11).picture, 3);
    EXPECT_EQ(tk.At(181).picture, 7);
    EXPECT_EQ(tk.At(195).picture, 4);
    EXPECT_EQ(tk.At(196).picture, 4);
}

class Lines : public EngineTest {
protected:
    // No piece is falling, as after a hard drop; the next tick clears and spawns.
    void SetUp() override
    {
        EngineTest::SetUp();
        game.NextKind = 4;
        game.NextColor = 1;
    }
};

TEST_F(Lines, TwoSeparatedRowsGoInOneTick)
{
    Settle({161}, 7);
    SettleRange(171, 180, 2);
    Settle({181}, 3);
    Settle({183}, 5);
    Settle({190}, 6);
    SettleRange(191, 200, 2);

    game.tmrMain_Timer();

    // Row 19 drops one row into row 20, row 17 drops two into row 19.
    EXPECT_EQ(Settled(), (Cells{181, 191, 193, 200}));
    EXPECT_EQ(game.CellColor(181), 7);
    EXPECT_EQ(game.CellColor(191), 3);
    EXPECT_EQ(game.CellColor(193), 5);
    EXPECT_EQ(game.CellColor(200), 6);
    ExpectPiece({5, 6, 15, 16}, 1);
}

TEST_F(Lines, FourRowsOfAnUprightIGoAtOnce)
{
    for (int row = 17; row <= 20; ++row) {
        SettleRange(row * 10 - 9, row * 10 - 1, 1);
    }
    Settle({145}, 3);
    Settle({151}, 2);
    Settle({160}, 4);
    Arrange(1, 1, 180, {170, 180, 190, 200}, 5);

    game.tmrMain_Timer();

    EXPECT_EQ(Settled(), (Cells{185, 191, 200}));
    EXPECT_EQ(game.CellColor(185), 3);
    EXPECT_EQ(game.CellColor(191), 2);
    EXPECT_EQ(game.CellColor(200), 4);
    EXPECT_EQ(game.CurKind, 4);
}

TEST_F(Lines, FullTopRowIsEmptiedAndNothingMoves)
{
    SettleRange(1, 10, 3);
    Settle({21, 25, 195}, 4);

    game.ClearLines();

    EXPECT_EQ(Settled(), (Cells{21, 25, 195}));
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(game.CellColor(k), 0) << "cell " << k;
        EXPECT_EQ(game.CellDirty(k), 1) << "cell " << k;
    }
    for (int k : {21, 25, 195}) {
        EXPECT_EQ(game.CellColor(k), 4) << "cell " << k;
        EXPECT_EQ(game.CellDirty(k), 0) << "cell " << k;
    }
}

TEST_F(Lines, FallingCellsDoNotFillARow)
{
    SettleRange(191, 196, 3);
    Arrange(1, 0, 198, {197, 198, 199, 200}, 5);

    game.ClearLines();

    EXPECT_EQ(Settled(), (Cells{191, 192, 193, 194, 195, 196}));
    ExpectPiece({197, 198, 199, 200}, 5);
    for (int k = 191; k <= 200; ++k) {
        EXPECT_EQ(game.CellDirty(k), 0) << "cell " << k;
    }
}

class Drop : public EngineTest {};

TEST_F(Drop, GoesToTheFloorInOneDrawAndRestartsTheTimer)
{
    SettleRange(191, 199, 1);
    Arrange(1, 1, 20, {10, 20, 30, 40}, 6);
    const int starts = tk.timerStarts;

    game.DropPiece();

    EXPECT_EQ(game.CurKind, 0);
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(game.PivotCell, 0);
    EXPECT_TRUE(Falling().empty());
    EXPECT_EQ(Settled(), (Cells{170, 180, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200}));
    EXPECT_EQ(tk.timerStarts, starts + 1);
    EXPECT_TRUE(tk.timerEnabled);

    // Every cell the piece passed through was touched, so the one redraw at
    // the end covers column 10 top to bottom: hide, picture, show per tile,
    // then the timer off and on again.
    const auto effects = EffectCalls();
    const Cells touched{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200};
    ASSERT_EQ(effects.size(), touched.size() * 3 + 2);
    EXPECT_EQ(RedrawnTiles(), touched);
    for (std::size_t i = 0; i < touched.size(); ++i) {
        EXPECT_EQ(effects[i * 3 + 1].b, touched[i] < 170 ? kDarkBackground : 6) << "tile " << touched[i];
    }
    EXPECT_EQ(effects[60].op, Op::SetTimerEnabled);
    EXPECT_EQ(effects[60].a, 0);
    EXPECT_EQ(effects[61].op, Op::SetTimerEnabled);
    EXPECT_EQ(effects[61].a, 1);

    // The full row waits for the next tick, which clears it and spawns.
    game.NextKind = 2;
    game.NextColor = 3;
    game.tmrMain_Timer();
    EXPECT_EQ(Settled(), (Cells{180, 190, 200}));
    ExpectPiece({4, 14, 15, 16}, 3);
}

TEST_F(Drop, RestingPieceOrNoPieceChangesNothing)
{
    Arrange(4, 0, 185, {185, 186, 195, 196}, 2);
    const int starts = tk.timerStarts;
    game.DropPiece();
    EXPECT_EQ(game.CurKind, 4);
    EXPECT_EQ(game.PivotCell, 185);
    ExpectPiece({185, 186, 195, 196}, 2);
    EXPECT_EQ(EffectCalls().size(), 0u);
    EXPECT_EQ(tk.timerStarts, starts);

    // Landed, with nothing falling: the drop must not walk an empty piece down.
    game.StepDown();
    ASSERT_EQ(game.CurKind, 0);
    game.PivotCell = 0;
    tk.ClearLog();
    game.DropPiece();
    EXPECT_EQ(game.PivotCell, 0);
    EXPECT_EQ(EffectCalls().size(), 0u);
    EXPECT_EQ(tk.timerStarts, starts);
}

TEST_F(Drop, FinishedGameHasNothingToDrop)
{
    // The piece that found no room is still named in CurKind, but no cell
    // falls; a drop must neither hang nor start the timer again.
    RemoveFallingPiece();
    Settle({5}, 3);
    game.NextKind = 1;
    game.tmrMain_Timer();
    ASSERT_EQ(game.GameOver, 1);
    ASSERT_EQ(game.CurKind, 1);
    tk.ClearLog();

    game.DropPiece();

    EXPECT_EQ(game.GameOver, 1);
    EXPECT_EQ(game.CurKind, 1);
    EXPECT_FALSE(tk.timerEnabled);
    EXPECT_EQ(EffectCalls().size(), 0u);
}

class SoftDrop : public EngineTest {};

TEST_F(SoftDrop, LandingStepFixesAtOnceAndDrawsNothing)
{
    // At the floor, completing row 20, which stays until the next tick.
    SettleRange(191, 193, 1);
    SettleRange(197, 200, 1);
    Arrange(6, 0, 195, {185, 194, 195, 196}, 3);
    game.StepDown();
    EXPECT_EQ(game.CurKind, 0);
    EXPECT_TRUE(Falling().empty());
    EXPECT_EQ(Settled(), (Cells{185, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200}));
    EXPECT_EQ(game.CellColor(185), 3);
    EXPECT_EQ(EffectCalls().size(), 0u);

    // One settled cell under one cell of the piece holds all of it.
    RemoveFallingPiece();
    Settle({66}, 1);
    Arrange(5, 0, 55, {55, 56, 64, 65}, 4);
    tk.ClearLog();
    game.StepDown();
    EXPECT_EQ(game.CurKind, 0);
    EXPECT_TRUE(Falling().empty());
    for (int k : {55, 56, 64, 65, 66}) {
        EXPECT_EQ(game.Board(k), 1) << "cell " << k;
    }
    EXPECT_EQ(EffectCalls().size(), 0u);
}

}  // namespace
