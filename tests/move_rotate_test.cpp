// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>
#include <iterator>

#include "engine_fixture.h"

namespace {

using falbok::testing::Cells;
using falbok::testing::EngineTest;
using falbok::testing::kDarkBackground;

constexpr std::int16_t kColour = 5;

Cells Minus(const Cells& a, const Cells& b)
{
    Cells out;
    std::ranges::set_difference(a, b, std::back_inserter(out));
    return out;
}

struct Placement {
    std::int16_t pivot;
    Cells cells;
};

// One quarter turn: the piece around pivot 55 before and after, and a
// placement against a wall or the floor or the ceiling where it is refused.
struct TurnStep {
    const char* name;
    std::int16_t kind;
    std::int16_t turn;
    std::int16_t newTurn;
    Cells before;
    Cells after;
    Placement refused;
};

const TurnStep kTurnSteps[] = {
    {"I 0-1", 1, 0, 1, {54, 55, 56, 57}, {45, 55, 65, 75}, {5, {4, 5, 6, 7}}},
    {"I 1-0", 1, 1, 0, {45, 55, 65, 75}, {54, 55, 56, 57}, {51, {41, 51, 61, 71}}},
    {"J 0-1", 2, 0, 1, {44, 54, 55, 56}, {45, 46, 55, 65}, {195, {184, 194, 195, 196}}},
    {"J 1-2", 2, 1, 2, {45, 46, 55, 65}, {54, 55, 56, 66}, {51, {41, 42, 51, 61}}},
    {"J 2-3", 2, 2, 3, {54, 55, 56, 66}, {45, 55, 64, 65}, {5, {4, 5, 6, 16}}},
    {"J 3-0", 2, 3, 0, {45, 55, 64, 65}, {44, 54, 55, 56}, {60, {50, 60, 69, 70}}},
    {"L 0-1", 3, 0, 1, {46, 54, 55, 56}, {45, 55, 65, 66}, {195, {186, 194, 195, 196}}},
    {"L 1-2", 3, 1, 2, {45, 55, 65, 66}, {54, 55, 56, 64}, {51, {41, 51, 61, 62}}},
    {"L 2-3", 3, 2, 3, {54, 55, 56, 64}, {44, 45, 55, 65}, {5, {4, 5, 6, 14}}},
    {"L 3-0", 3, 3, 0, {44, 45, 55, 65}, {46, 54, 55, 56}, {60, {49, 50, 60, 70}}},
    {"S 0-1", 5, 0, 1, {55, 56, 64, 65}, {44, 54, 55, 65}, {5, {5, 6, 14, 15}}},
    {"S 1-0", 5, 1, 0, {44, 54, 55, 65}, {55, 56, 64, 65}, {60, {49, 59, 60, 70}}},
    {"T 0-1", 6, 0, 1, {45, 54, 55, 56}, {45, 55, 56, 65}, {195, {185, 194, 195, 196}}},
    {"T 1-2", 6, 1, 2, {45, 55, 56, 65}, {54, 55, 56, 65}, {51, {41, 51, 52, 61}}},
    {"T 2-3", 6, 2, 3, {54, 55, 56, 65}, {45, 54, 55, 65}, {5, {4, 5, 6, 15}}},
    {"T 3-0", 6, 3, 0, {45, 54, 55, 65}, {45, 54, 55, 56}, {60, {50, 59, 60, 70}}},
    {"Z 0-1", 7, 0, 1, {54, 55, 65, 66}, {45, 54, 55, 64}, {5, {4, 5, 15, 16}}},
    {"Z 1-0", 7, 1, 0, {45, 54, 55, 64}, {54, 55, 65, 66}, {60, {50, 59, 60, 69}}},
};

class Rotation : public EngineTest {
protected:
    // The turn must be refused: nothing changes and nothing is drawn.
    void ExpectRefused(std::int16_t turn, const Cells& cells)
    {
        game.RotatePiece();
        ExpectPiece(cells, kColour);
        EXPECT_EQ(game.Turn, turn);
        EXPECT_EQ(EffectCalls().size(), 0u);
    }
};

TEST_F(Rotation, EveryStepTurnsAboutThePivot)
{
    for (const TurnStep& step : kTurnSteps) {
        SCOPED_TRACE(step.name);
        ClearBoard();
        Arrange(step.kind, step.turn, 55, step.before, kColour);
        game.RotatePiece();

        ExpectPiece(step.after, kColour);
        EXPECT_EQ(game.Turn, step.newTurn);
        EXPECT_EQ(game.PivotCell, 55);
        EXPECT_EQ(game.CurKind, step.kind);
        const Cells cleared = Minus(step.before, step.after);
        const Cells filled = Minus(step.after, step.before);
        Cells changed;
        std::ranges::set_union(cleared, filled, std::back_inserter(changed));
        EXPECT_EQ(RedrawnTiles(), changed);
        for (int k : cleared) {
            EXPECT_EQ(tk.At(k).picture, kDarkBackground) << "tile " << k;
        }
        for (int k : filled) {
            EXPECT_EQ(tk.At(k).picture, kColour) << "tile " << k;
        }
    }
}

TEST_F(Rotation, EveryStepIsRefusedAtItsLimit)
{
    for (const TurnStep& step : kTurnSteps) {
        SCOPED_TRACE(step.name);
        ClearBoard();
        Arrange(step.kind, step.turn, step.refused.pivot, step.refused.cells, kColour);
        ExpectRefused(step.turn, step.refused.cells);
    }
}

TEST_F(Rotation, EveryStepIsRefusedBySettledCellInItsWay)
{
    for (const TurnStep& step : kTurnSteps) {
        for (int blocker : Minus(step.after, step.before)) {
            SCOPED_TRACE(::testing::Message() << step.name << ", settled cell " << blocker);
            ClearBoard();
            Settle({blocker}, 1);
            Arrange(step.kind, step.turn, 55, step.before, kColour);
            ExpectRefused(step.turn, step.before);
        }
    }
}

TEST_F(Rotation, StraightPieceAtTheEdgesOfItsRange)
{
    // Lying flat it stands up from row 2 to row 18, never in rows 19 and 20.
    const Placement flatOk[] = {{15, {14, 15, 16, 17}}, {175, {174, 175, 176, 177}}};
    const Cells upright[] = {{5, 15, 25, 35}, {165, 175, 185, 195}};
    for (int i = 0; i < 2; ++i) {
        ClearBoard();
        Arrange(1, 0, flatOk[i].pivot, flatOk[i].cells, kColour);
        game.RotatePiece();
        ExpectPiece(upright[i], kColour);
    }
    for (const Placement& p : {Placement{185, {184, 185, 186, 187}}, Placement{195, {194, 195, 196, 197}}}) {
        ClearBoard();
        Arrange(1, 0, p.pivot, p.cells, kColour);
        ExpectRefused(0, p.cells);
    }
    // Upright it lies down in columns 2 to 8, never in 1, 9 or 10.
    const Placement uprightOk[] = {{52, {42, 52, 62, 72}}, {58, {48, 58, 68, 78}}};
    const Cells flat[] = {{51, 52, 53, 54}, {57, 58, 59, 60}};
    for (int i = 0; i < 2; ++i) {
        ClearBoard();
        Arrange(1, 1, uprightOk[i].pivot, uprightOk[i].cells, kColour);
        game.RotatePiece();
        ExpectPiece(flat[i], kColour);
    }
    for (const Placement& p : {Placement{59, {49, 59, 69, 79}}, Placement{60, {50, 60, 70, 80}}}) {
        ClearBoard();
        Arrange(1, 1, p.pivot, p.cells, kColour);
        ExpectRefused(1, p.cells);
    }
}

TEST_F(Rotation, OddTurnValuesCountAsTheLastOrientation)
{
    // I, S and Z read any turn but 0 as 1; J, L and T any turn above 2 as 3.
    struct Case {
        std::int16_t kind, turn;
        Cells before, after;
    };
    const Case cases[] = {
        {1, 3, {45, 55, 65, 75}, {54, 55, 56, 57}},
        {5, -2, {44, 54, 55, 65}, {55, 56, 64, 65}},
        {2, 4, {45, 55, 64, 65}, {44, 54, 55, 56}},
        {6, 7, {45, 54, 55, 65}, {45, 54, 55, 56}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << ", turn " << c.turn);
        ClearBoard();
        Arrange(c.kind, c.turn, 55, c.before, kColour);
        game.RotatePiece();
        ExpectPiece(c.after, kColour);
        EXPECT_EQ(game.Turn, 0);
    }
}

TEST_F(Rotation, SquareRedrawsButStaysAndNoPieceDoesNothing)
{
    Arrange(4, 0, 55, {55, 56, 65, 66}, kColour);
    game.CellDirty(100) = 1;
    game.RotatePiece();
    ExpectPiece({55, 56, 65, 66}, kColour);
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(RedrawnTiles(), Cells{100});
    EXPECT_EQ(game.CellDirty(100), 0);

    RemoveFallingPiece();
    game.PivotCell = 55;
    game.CellDirty(100) = 1;
    tk.ClearLog();
    EXPECT_EQ(game.CanRotate(), 0);
    game.RotatePiece();
    EXPECT_EQ(EffectCalls().size(), 0u);
    EXPECT_EQ(game.CellDirty(100), 1);
}

TEST_F(Rotation, FreshPieceTurnsUnlessItLiesInRowOne)
{
    struct Case {
        std::int16_t kind;
        Cells atSpawn, afterTurn;
    };
    const Case cases[] = {
        {1, {4, 5, 6, 7}, {5, 15, 25, 35}},    {2, {4, 14, 15, 16}, {5, 6, 15, 25}},
        {3, {6, 14, 15, 16}, {5, 15, 25, 26}}, {4, {5, 6, 15, 16}, {5, 6, 15, 16}},
        {5, {5, 6, 14, 15}, {4, 14, 15, 25}},  {6, {5, 14, 15, 16}, {5, 15, 16, 25}},
        {7, {4, 5, 15, 16}, {5, 14, 15, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ClearBoard();
        game.NextKind = c.kind;
        game.NextColor = kColour;
        game.tmrMain_Timer();
        ASSERT_EQ(Falling(), c.atSpawn);
        game.RotatePiece();
        if (c.kind == 1 || c.kind == 5 || c.kind == 7) {
            // Pivot in row 1: refused until the piece has fallen one row.
            ExpectPiece(c.atSpawn, kColour);
            EXPECT_EQ(game.Turn, 0);
            game.tmrMain_Timer();
            game.RotatePiece();
        }
        ExpectPiece(c.afterTurn, kColour);
        EXPECT_EQ(game.Turn, c.kind == 4 ? 0 : 1);
    }
}

class Move : public EngineTest {};

TEST_F(Move, WallsStopThePiece)
{
    Arrange(6, 0, 52, {42, 51, 52, 53}, kColour);
    game.MoveLeft();
    ExpectPiece({42, 51, 52, 53}, kColour);
    EXPECT_EQ(game.PivotCell, 52);
    EXPECT_EQ(EffectCalls().size(), 0u);
    // A falling cell beside a falling cell is no obstacle.
    game.MoveRight();
    ExpectPiece({43, 52, 53, 54}, kColour);
    EXPECT_EQ(game.PivotCell, 53);

    RemoveFallingPiece();
    Arrange(3, 0, 59, {50, 58, 59, 60}, kColour);
    tk.ClearLog();
    game.MoveRight();
    ExpectPiece({50, 58, 59, 60}, kColour);
    EXPECT_EQ(game.PivotCell, 59);
    EXPECT_EQ(EffectCalls().size(), 0u);
    game.MoveLeft();
    ExpectPiece({49, 57, 58, 59}, kColour);
    EXPECT_EQ(game.PivotCell, 58);
}

TEST_F(Move, SettledCellBesideAnyOneCellStopsThePiece)
{
    const Cells piece{45, 55, 65, 75};
    for (int i = 0; i < 4; ++i) {
        for (int side : {-1, 1}) {
            SCOPED_TRACE(::testing::Message() << "settled cell " << piece[i] + side);
            ClearBoard();
            Settle({piece[i] + side}, 1);
            Arrange(1, 1, 55, piece, kColour);
            if (side < 0) {
                game.MoveLeft();
            } else {
                game.MoveRight();
            }
            ExpectPiece(piece, kColour);
            EXPECT_EQ(game.PivotCell, 55);
            EXPECT_EQ(EffectCalls().size(), 0u);
        }
    }
}

TEST_F(Move, PieceAndPivotMoveTogetherAndOnlyChangedTilesAreDrawn)
{
    Arrange(1, 1, 55, {45, 55, 65, 75}, kColour);
    Settle({33, 86}, 1);  // diagonal neighbours are no obstacle
    game.MoveLeft();
    ExpectPiece({44, 54, 64, 74}, kColour);
    EXPECT_EQ(game.PivotCell, 54);
    EXPECT_EQ(RedrawnTiles(), (Cells{44, 45, 54, 55, 64, 65, 74, 75}));
    for (int k : {44, 54, 64, 74}) {
        EXPECT_EQ(tk.At(k).picture, kColour) << "tile " << k;
    }
    for (int k : {45, 55, 65, 75}) {
        EXPECT_EQ(tk.At(k).picture, kDarkBackground) << "tile " << k;
    }

    tk.ClearLog();
    game.MoveRight();
    game.MoveRight();
    ExpectPiece({46, 56, 66, 76}, kColour);
    EXPECT_EQ(game.PivotCell, 56);
    EXPECT_EQ(RedrawnTiles(), (Cells{44, 45, 54, 55, 64, 65, 74, 75, 45, 46, 55, 56, 65, 66, 75, 76}));
}

}  // namespace
