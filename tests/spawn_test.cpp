// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>

#include "engine_fixture.h"

namespace {

using falbok::testing::Cells;
using falbok::testing::EngineTest;
using falbok::testing::kDarkBackground;
using falbok::testing::Pick;

struct SpawnShape {
    std::int16_t kind;
    Cells cells;
    std::int16_t pivot;
};

// Where each kind enters: rows 1 and 2, columns 4 to 7.
const SpawnShape kSpawnShapes[] = {
    {1, {4, 5, 6, 7}, 5},   {2, {4, 14, 15, 16}, 15}, {3, {6, 14, 15, 16}, 15}, {4, {5, 6, 15, 16}, 5},
    {5, {5, 6, 14, 15}, 5}, {6, {5, 14, 15, 16}, 15}, {7, {4, 5, 15, 16}, 5},
};

class Spawn : public EngineTest {
protected:
    void ArrangeNext(std::int16_t kind, std::int16_t colour)
    {
        game.NextKind = kind;
        game.NextColor = colour;
    }
};

TEST_F(Spawn, EveryKindEntersInItsPlace)
{
    for (const SpawnShape& shape : kSpawnShapes) {
        SCOPED_TRACE(shape.kind);
        const auto colour = static_cast<std::int16_t>(8 - shape.kind);
        RemoveFallingPiece();
        ArrangeNext(shape.kind, colour);
        game.tmrMain_Timer();

        EXPECT_EQ(game.GameOver, 0);
        EXPECT_EQ(game.CurKind, shape.kind);
        EXPECT_EQ(game.CurColor, colour);
        EXPECT_EQ(game.Turn, 0);
        EXPECT_EQ(game.PivotCell, shape.pivot);
        ExpectPiece(shape.cells, colour);
        EXPECT_TRUE(Settled().empty());
        for (int k : shape.cells) {
            EXPECT_EQ(tk.At(k).picture, colour) << "tile " << k;
        }
    }
}

TEST_F(Spawn, RoomIsTestedOnTheKindsOwnCellsOnly)
{
    for (const SpawnShape& shape : kSpawnShapes) {
        SCOPED_TRACE(shape.kind);
        RemoveFallingPiece();
        for (int k = 1; k <= 20; ++k) {
            game.Board(k) = 0;
            game.CellColor(k) = 0;
        }
        // Every other cell of rows 1 and 2 is taken, apart from column 1 so
        // that neither row is full.
        for (int k = 2; k <= 20; ++k) {
            if (k != 11 && std::ranges::find(shape.cells, k) == shape.cells.end()) {
                Settle({k}, 1);
            }
        }
        ArrangeNext(shape.kind, 2);
        game.tmrMain_Timer();
        EXPECT_EQ(game.GameOver, 0);
        ExpectPiece(shape.cells, 2);
        EXPECT_TRUE(tk.timerEnabled);
    }
}

TEST_F(Spawn, OneTakenCellEndsTheGame)
{
    for (const SpawnShape& shape : kSpawnShapes) {
        for (int taken : shape.cells) {
            SCOPED_TRACE(::testing::Message() << "kind " << shape.kind << ", cell " << taken);
            game.mnuNew_Click();
            ArrangeNext(4, 5);
            game.tmrMain_Timer();  // an O enters; the preview shows its successor
            RemoveFallingPiece();
            game.RepeatLeft = 1;
            Settle({taken}, 3);
            ArrangeNext(shape.kind, 6);
            const int draws = tk.draws;

            game.tmrMain_Timer();

            EXPECT_EQ(game.GameOver, 1);
            EXPECT_FALSE(tk.timerEnabled);
            EXPECT_TRUE(Falling().empty());
            EXPECT_EQ(Settled(), Cells{taken});
            EXPECT_EQ(game.PivotCell, 0);
            EXPECT_EQ(game.CurKind, shape.kind);
            EXPECT_EQ(game.CurColor, 6);
            EXPECT_EQ(game.NextKind, shape.kind);
            EXPECT_EQ(game.NextColor, 6);
            EXPECT_EQ(game.RepeatLeft, 1);
            EXPECT_EQ(tk.draws, draws);
            ExpectPreviewBlank();
        }
    }
}

TEST_F(Spawn, FirstPieceAfterStartUpAndItsSuccessorAreDrawn)
{
    tk.Script({Pick(5), Pick(3), Pick(2), Pick(6)});
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 5);
    ExpectPiece({5, 6, 14, 15}, 3);
    EXPECT_EQ(game.NextKind, 2);
    EXPECT_EQ(game.NextColor, 6);
    EXPECT_EQ(tk.draws, 4);
    // The preview shows a J in colour 6.
    for (int tile = 201; tile <= 208; ++tile) {
        const bool painted = tile == 201 || tile == 205 || tile == 206 || tile == 207;
        EXPECT_EQ(tk.At(tile).picture, painted ? 6 : kDarkBackground) << "preview tile " << tile;
    }
}

class Sequence : public EngineTest {};

TEST_F(Sequence, KindsInTurnCycleFromWhereTheyStand)
{
    game.InTurn = 1;
    game.NextKind = 5;
    game.NextColor = 1;
    Cells kinds;
    for (int i = 0; i < 9; ++i) {
        const int draws = tk.draws;
        kinds.push_back(SpawnNext());
        EXPECT_EQ(tk.draws, draws + 1) << "only the colour is drawn";
    }
    EXPECT_EQ(kinds, (Cells{5, 6, 7, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Sequence, RepeatSettingOneGivesPairs)
{
    game.InTurn = 1;
    game.RepeatSetting = 1;
    game.mnuNew_Click();
    game.NextKind = 1;
    game.NextColor = 1;
    Cells kinds;
    for (int i = 0; i < 8; ++i) {
        kinds.push_back(SpawnNext());
    }
    EXPECT_EQ(kinds, (Cells{1, 1, 2, 2, 3, 3, 4, 4}));
}

TEST_F(Sequence, OneColourInUseColoursEveryPiece)
{
    for (int c = 1; c <= 7; ++c) {
        game.ColorOn(c) = c == 5 ? 1 : 0;
    }
    tk.Script({0.0, 0.0, 0.999, 0.999});
    for (int i = 0; i < 12; ++i) {
        SpawnNext();
        EXPECT_EQ(game.CurColor, 5);
        EXPECT_EQ(game.NextColor, 5);
        for (int k : Falling()) {
            EXPECT_EQ(game.CellColor(k), 5);
        }
    }
}

TEST_F(Sequence, PickColorChoosesOnlyColoursInUse)
{
    for (int c = 1; c <= 7; ++c) {
        game.ColorOn(c) = (c == 2 || c == 4 || c == 7) ? 1 : 0;
    }
    // Three colours in use: Int(3 r) + 1 picks the first, second or third.
    tk.Script({0.0, 0.3333, 0.34, 0.66, 0.67, 0.9999});
    EXPECT_EQ(game.PickColor(), 2);
    EXPECT_EQ(game.PickColor(), 2);
    EXPECT_EQ(game.PickColor(), 4);
    EXPECT_EQ(game.PickColor(), 4);
    EXPECT_EQ(game.PickColor(), 7);
    EXPECT_EQ(game.PickColor(), 7);
    for (int i = 0; i < 500; ++i) {
        const int c = game.PickColor();
        ASSERT_TRUE(c == 2 || c == 4 || c == 7) << c;
    }

    game.ColorOn(2) = 0;
    game.ColorOn(4) = 0;
    game.ColorOn(7) = 0;
    EXPECT_EQ(game.PickColor(), 0);
}

}  // namespace
