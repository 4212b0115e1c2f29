// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include <set>

#include "engine_fixture.h"

namespace {

using falbok::Game;
using falbok::MenuItem;
using falbok::testing::Cells;
using falbok::testing::EngineTest;
using falbok::testing::FakeToolkit;
using falbok::testing::kDarkBackground;
using falbok::testing::Op;
using falbok::testing::Pick;

TEST(Startup, DefaultsAfterLoad)
{
    FakeToolkit tk;
    tk.clock = 43210.75;
    Game game{tk};
    game.Form_Load();

    EXPECT_EQ(game.BackStyle, 3);
    EXPECT_EQ(game.TileSize, 18);
    EXPECT_EQ(game.EscAction, 1);
    for (int c = 1; c <= 7; ++c) {
        EXPECT_EQ(game.ColorOn(c), 1) << "colour " << c;
    }
    EXPECT_EQ(game.RepeatSetting, 0);
    EXPECT_EQ(game.RepeatLeft, 0);
    EXPECT_EQ(game.InTurn, 0);
    EXPECT_EQ(game.MouseOn, 0);
    EXPECT_EQ(game.GameOver, 0);
    EXPECT_EQ(game.CurKind, 0);
    EXPECT_EQ(game.NextKind, 0);
    EXPECT_EQ(game.NextColor, 0);
    for (int k = 1; k <= falbok::kCells; ++k) {
        EXPECT_EQ(game.Board(k), 0) << "cell " << k;
        EXPECT_EQ(game.CellColor(k), 0) << "cell " << k;
        EXPECT_EQ(game.CellDirty(k), 0) << "cell " << k;
    }
    for (int i = 1; i <= falbok::kTiles; ++i) {
        EXPECT_EQ(tk.At(i).picture, kDarkBackground) << "tile " << i;
        EXPECT_TRUE(tk.At(i).visible) << "tile " << i;
    }
    EXPECT_TRUE(tk.timerEnabled);
    EXPECT_EQ(tk.timerInterval, 350);
    EXPECT_EQ(tk.timerStarts, 1);
    EXPECT_EQ(tk.seeds, 1);
    EXPECT_EQ(tk.seed, 43210.75);
    EXPECT_EQ(tk.Count(Op::CreateTile), 207u);
    EXPECT_EQ(tk.draws, 0);
}

TEST(Startup, MarksAfterLoad)
{
    FakeToolkit tk;
    Game game{tk};
    game.Form_Load();

    const std::set<MenuItem> marked{
        MenuItem::mnuSize18, MenuItem::mnuESC1,   MenuItem::mnuSpeed350, MenuItem::mnuBackColor3, MenuItem::mnuColors7,
        MenuItem::mnuColor1, MenuItem::mnuColor2, MenuItem::mnuColor3,   MenuItem::mnuColor4,     MenuItem::mnuColor5,
        MenuItem::mnuColor6, MenuItem::mnuColor7, MenuItem::mnuFigures0,
    };
    for (int i = 0; i < falbok::kMenuItemCount; ++i) {
        const auto item = static_cast<MenuItem>(i);
        EXPECT_EQ(tk.Mark(item), marked.contains(item)) << "menu item number " << i;
    }
}

TEST(Startup, SecondCopyEndsBeforeDoingAnything)
{
    FakeToolkit tk;
    tk.anotherCopy = true;
    Game game{tk};
    game.Form_Load();

    EXPECT_EQ(tk.ended, 1);
    ASSERT_EQ(tk.calls.size(), 2u);
    EXPECT_EQ(tk.calls[0].op, Op::AnotherCopy);
    EXPECT_EQ(tk.calls[1].op, Op::EndProgram);
    EXPECT_EQ(tk.Count(Op::CreateTile), 0u);
    EXPECT_EQ(tk.seeds, 0);
    EXPECT_EQ(game.BackStyle, 0);
    EXPECT_EQ(game.TileSize, 0);
    EXPECT_EQ(game.EscAction, 0);
    EXPECT_EQ(game.ColorOn(1), 0);
}

class Tick : public EngineTest {};

TEST_F(Tick, DoesNothingOnceTheGameIsOver)
{
    SettleRange(2, 10, 1);  // column 1 stays free so the rows are not full
    SettleRange(12, 20, 1);
    game.NextKind = 3;
    game.NextColor = 4;
    game.tmrMain_Timer();
    ASSERT_EQ(game.GameOver, 1);
    ASSERT_FALSE(tk.timerEnabled);

    const Cells settled = Settled();
    tk.ClearLog();
    game.tmrMain_Timer();
    game.tmrMain_Timer();

    EXPECT_TRUE(tk.calls.empty());
    EXPECT_EQ(Settled(), settled);
    EXPECT_TRUE(Falling().empty());
    EXPECT_EQ(game.PivotCell, 0);
    EXPECT_EQ(game.CurKind, 3);
    EXPECT_EQ(game.NextKind, 3);
    EXPECT_EQ(game.NextColor, 4);
}

TEST(Shutdown, UnloadEndsTheProgramInEveryState)
{
    for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(state == 0 ? "running" : state == 1 ? "paused" : "over");
        FakeToolkit tk;
        Game game{tk};
        game.Form_Load();
        game.tmrMain_Timer();
        if (state == 1) {
            tk.timerEnabled = false;
        } else if (state == 2) {
            game.GameOver = 1;
            tk.timerEnabled = false;
        }
        tk.ClearLog();
        game.Form_Unload();
        EXPECT_EQ(tk.ended, 1);
        ASSERT_EQ(tk.calls.size(), 1u);
        EXPECT_EQ(tk.calls[0].op, Op::EndProgram);
    }
}

class NewGameTest : public EngineTest {
protected:
    // Leaves the game in the given state: 0 running with a piece and a
    // stack, 1 paused, 2 over. The preview announces an S in colour 6.
    void PlayInto(int state)
    {
        tk.Script({Pick(2), Pick(3), Pick(5), Pick(6)});
        game.tmrMain_Timer();
        game.tmrMain_Timer();
        Settle({191, 192, 200}, 4);
        game.CellDirty(100) = 1;
        if (state == 1) {
            tk.timerEnabled = false;
            tk.marks[static_cast<std::size_t>(MenuItem::mnuPause)] = true;
        } else if (state == 2) {
            RemoveFallingPiece();
            SettleRange(12, 20, 5);
            game.tmrMain_Timer();
            ASSERT_EQ(game.GameOver, 1);
        }
    }
};

class NewGameInState : public NewGameTest, public ::testing::WithParamInterface<int> {};

TEST_P(NewGameInState, EmptiesTheBoardAndRuns)
{
    PlayInto(GetParam());
    game.BackStyle = 2;
    const int starts = tk.timerStarts;
    tk.ClearLog();

    game.mnuNew_Click();

    for (int k = 1; k <= falbok::kCells; ++k) {
        ASSERT_EQ(game.Board(k), 0) << "cell " << k;
        ASSERT_EQ(game.CellColor(k), 0) << "cell " << k;
        ASSERT_EQ(game.CellDirty(k), 0) << "cell " << k;
    }
    for (int i = 1; i <= falbok::kTiles; ++i) {
        ASSERT_EQ(tk.At(i).picture, 9) << "tile " << i;
        ASSERT_TRUE(tk.At(i).visible) << "tile " << i;
    }
    EXPECT_EQ(game.GameOver, 0);
    EXPECT_EQ(game.CurKind, 0);
    EXPECT_EQ(game.CurColor, 0);
    EXPECT_EQ(game.Turn, 0);
    EXPECT_EQ(game.MouseCell, 0);
    EXPECT_TRUE(tk.timerEnabled);
    EXPECT_EQ(tk.timerStarts, starts + 1);
    EXPECT_EQ(tk.Count(Op::SetTimerEnabled), 2u);
    EXPECT_FALSE(tk.Mark(MenuItem::mnuPause));
}

INSTANTIATE_TEST_SUITE_P(RunningPausedOver, NewGameInState, ::testing::Values(0, 1, 2));

TEST_F(NewGameTest, FirstPieceIsTheAnnouncedOne)
{
    // Interrupted while running: the preview showed an S in colour 6.
    PlayInto(0);
    ASSERT_EQ(game.NextKind, 5);
    ASSERT_EQ(game.NextColor, 6);
    game.mnuNew_Click();
    EXPECT_TRUE(Falling().empty());
    ExpectPreviewBlank();
    game.tmrMain_Timer();
    EXPECT_EQ(game.CurKind, 5);
    ExpectPiece({5, 6, 14, 15}, 6);

    // After the end: the L in colour 2 that found no room comes first.
    RemoveFallingPiece();
    SettleRange(12, 20, 1);
    game.NextKind = 3;
    game.NextColor = 2;
    game.tmrMain_Timer();
    ASSERT_EQ(game.GameOver, 1);
    game.mnuNew_Click();
    game.tmrMain_Timer();
    EXPECT_EQ(game.GameOver, 0);
    EXPECT_EQ(game.CurKind, 3);
    ExpectPiece({6, 14, 15, 16}, 2);
    EXPECT_TRUE(Settled().empty());
}

TEST_F(NewGameTest, KeepsSettingsAndResetsTheRepeatCount)
{
    PlayInto(0);
    game.BackStyle = 1;
    game.ColorOn(3) = 0;
    game.TileSize = 24;
    game.RepeatSetting = 2;
    game.RepeatLeft = 0;
    game.InTurn = 1;
    game.EscAction = 3;
    game.MouseOn = 1;
    tk.timerInterval = 700;
    const auto marks = tk.marks;

    game.mnuNew_Click();

    EXPECT_EQ(game.RepeatLeft, 2);
    EXPECT_EQ(game.BackStyle, 1);
    EXPECT_EQ(game.ColorOn(3), 0);
    EXPECT_EQ(game.ColorOn(4), 1);
    EXPECT_EQ(game.TileSize, 24);
    EXPECT_EQ(game.RepeatSetting, 2);
    EXPECT_EQ(game.InTurn, 1);
    EXPECT_EQ(game.EscAction, 3);
    EXPECT_EQ(game.MouseOn, 1);
    EXPECT_EQ(game.NextKind, 5);
    EXPECT_EQ(game.NextColor, 6);
    EXPECT_EQ(tk.timerInterval, 700);
    EXPECT_EQ(tk.marks, marks);
    EXPECT_EQ(tk.At(1).picture, 8);
}

}  // namespace
