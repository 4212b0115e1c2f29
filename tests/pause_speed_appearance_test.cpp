// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause and the Esc binding, the fall speed, and the order of piece kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "controls_fixture.h"
#include "engine/game.h"

namespace falbok {
namespace {

using testing::FakeToolkit;
using testing::State;
using testing::Table;
using Op = FakeToolkit::Op;

const std::pair<std::int32_t, MenuItem> kSpeeds[] = {
    {50, MenuItem::mnuSpeed50},   {100, MenuItem::mnuSpeed100},   {150, MenuItem::mnuSpeed150},
    {200, MenuItem::mnuSpeed200}, {250, MenuItem::mnuSpeed250},   {300, MenuItem::mnuSpeed300},
    {350, MenuItem::mnuSpeed350}, {400, MenuItem::mnuSpeed400},   {450, MenuItem::mnuSpeed450},
    {500, MenuItem::mnuSpeed500}, {550, MenuItem::mnuSpeed550},   {600, MenuItem::mnuSpeed600},
    {650, MenuItem::mnuSpeed650}, {700, MenuItem::mnuSpeed700},   {750, MenuItem::mnuSpeed750},
    {800, MenuItem::mnuSpeed800}, {850, MenuItem::mnuSpeed850},   {900, MenuItem::mnuSpeed900},
    {950, MenuItem::mnuSpeed950}, {1000, MenuItem::mnuSpeed1000},
};

void ExpectOnlySpeedMark(const FakeToolkit& tk, MenuItem expected)
{
    for (const auto& [interval, item] : kSpeeds) {
        EXPECT_EQ(tk.Mark(item), item == expected) << "speed item for " << interval << " ms";
    }
}

void ExpectOnlyMark(const FakeToolkit& tk, const std::vector<MenuItem>& group, MenuItem expected)
{
    for (MenuItem item : group) {
        EXPECT_EQ(tk.Mark(item), item == expected) << "item " << static_cast<int>(item);
    }
}

TEST(Pause, ToggleSwitchesTheTimerAndTheMarkUnlessTheGameIsOver)
{
    Table t;
    t.game.TogglePause();
    EXPECT_FALSE(t.tk.timerEnabled);
    EXPECT_TRUE(t.tk.Mark(MenuItem::mnuPause));
    t.game.mnuPause_Click();
    EXPECT_TRUE(t.tk.timerEnabled);
    EXPECT_FALSE(t.tk.Mark(MenuItem::mnuPause));
    t.game.mnuPause_Click();
    EXPECT_FALSE(t.tk.timerEnabled);
    EXPECT_TRUE(t.tk.Mark(MenuItem::mnuPause));
    t.game.TogglePause();
    EXPECT_TRUE(t.tk.timerEnabled);
    EXPECT_EQ(t.game.PivotCell, 15);

    Table over(State::Over);
    ASSERT_EQ(over.game.GameOver, 1);
    over.game.TogglePause();
    over.game.mnuPause_Click();
    EXPECT_FALSE(over.tk.timerEnabled);
    EXPECT_FALSE(over.tk.Mark(MenuItem::mnuPause));
    EXPECT_EQ(over.tk.Effects(), 0u);
}

TEST(Pause, EscDoesItsBoundActionInEveryState)
{
    struct Expect {
        std::uint8_t action;
        State state;
        bool timer, pauseMark;
        int minimized, closed;
    };
    const Expect table[] = {
        {0, State::Running, true, false, 0, 0}, {0, State::Paused, false, true, 0, 0},
        {0, State::Over, false, false, 0, 0},   {1, State::Running, false, true, 0, 0},
        {1, State::Paused, true, false, 0, 0},  {1, State::Over, false, false, 0, 0},
        {2, State::Running, false, true, 1, 0}, {2, State::Paused, false, true, 1, 0},
        {2, State::Over, false, false, 1, 0},   {3, State::Running, true, false, 0, 1},
        {3, State::Paused, false, true, 0, 1},  {3, State::Over, false, false, 0, 1},
    };
    for (const Expect& e : table) {
        SCOPED_TRACE("action " + std::to_string(e.action) + " state " + std::to_string(static_cast<int>(e.state)));
        Table t(e.state);
        t.game.mnuESC_Click(e.action);
        t.tk.ClearLog();
        t.game.Form_KeyDown(key::kEscape, 0);
        EXPECT_EQ(t.tk.timerEnabled, e.timer);
        EXPECT_EQ(t.tk.Mark(MenuItem::mnuPause), e.pauseMark);
        EXPECT_EQ(t.tk.minimized, e.minimized);
        EXPECT_EQ(t.tk.closed, e.closed);
        if (e.action == 0) {
            EXPECT_EQ(t.tk.Effects(), 0u);
        }
        if (e.action == 2 && e.state == State::Running) {
            // The pause comes first, then the window goes down.
            const auto& calls = t.tk.calls;
            const auto paused = std::find_if(calls.begin(), calls.end(),
                                             [](const auto& c) { return c.op == Op::SetTimerEnabled && c.a == 0; });
            const auto minimized =
                std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.op == Op::Minimize; });
            EXPECT_LT(paused, minimized);
        }
    }
}

TEST(Pause, EscItemsMarkExactlyTheChosenAction)
{
    Table t;
    const std::vector<MenuItem> items{MenuItem::mnuESC0, MenuItem::mnuESC1, MenuItem::mnuESC2, MenuItem::mnuESC3};
    ExpectOnlyMark(t.tk, items, MenuItem::mnuESC1);
    const std::pair<std::uint8_t, MenuItem> clicks[] = {
        {0, MenuItem::mnuESC0}, {3, MenuItem::mnuESC3}, {2, MenuItem::mnuESC2},
        {2, MenuItem::mnuESC2}, {1, MenuItem::mnuESC1},
    };
    for (const auto& [action, item] : clicks) {
        t.game.mnuESC_Click(action);
        EXPECT_EQ(t.game.EscAction, action);
        ExpectOnlyMark(t.tk, items, item);
    }
    EXPECT_EQ(t.tk.Count(Op::SetTimerEnabled), 0u);
    EXPECT_EQ(t.tk.minimized + t.tk.closed, 0);
}

TEST(Speed, EveryCommandSetsItsIntervalAndOneMark)
{
    Table t;
    ExpectOnlySpeedMark(t.tk, MenuItem::mnuSpeed350);
    for (const auto& [interval, item] : kSpeeds) {
        t.game.mnuSpeed_Click(interval);
        EXPECT_EQ(t.tk.timerInterval, interval);
        ExpectOnlySpeedMark(t.tk, item);
    }
    EXPECT_EQ(t.tk.Count(Op::SetTimerEnabled), 0u);

    // Paused or over, the menu still sets the speed and starts nothing.
    for (State state : {State::Paused, State::Over}) {
        Table other(state);
        other.game.mnuSpeed_Click(700);
        EXPECT_EQ(other.tk.timerInterval, 700);
        ExpectOnlySpeedMark(other.tk, MenuItem::mnuSpeed700);
        EXPECT_FALSE(other.tk.timerEnabled);
        EXPECT_EQ(other.tk.Mark(MenuItem::mnuPause), state == State::Paused);
    }
}

TEST(Speed, KeysStepOneSpeedAndStopAtTheSlowestEnd)
{
    Table t;
    t.game.Form_KeyDown(key::kPageUp, 0);
    EXPECT_EQ(t.tk.timerInterval, 300);
    ExpectOnlySpeedMark(t.tk, MenuItem::mnuSpeed300);

    t.game.mnuSpeed_Click(550);
    for (int i = 1; i <= 9; ++i) {
        t.game.Form_KeyDown(key::kPageDown, 0);
        EXPECT_EQ(t.tk.timerInterval, 550 + 50 * i);
    }
    ExpectOnlySpeedMark(t.tk, MenuItem::mnuSpeed1000);
    t.game.Form_KeyDown(key::kPageDown, 0);
    EXPECT_EQ(t.tk.timerInterval, 1000);
    ExpectOnlySpeedMark(t.tk, MenuItem::mnuSpeed1000);
}

const std::vector<MenuItem> kRepeatItems{MenuItem::mnuFigures0, MenuItem::mnuFigures1, MenuItem::mnuFigures2};

TEST(Appearance, ThreeAlikeRepeatsThePreviewedKindOnceThenRunsOfThree)
{
    Table t;
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures0);
    t.game.mnuFigures_Click(2);
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures2);

    // Colour draws are 0.0; the fresh kinds drawn are I (0.0) and L (0.3).
    t.tk.Script({0.0, 0.0, 0.0, 0.0, 0.0, 0.3, 0.0, 0.0, 0.0});
    EXPECT_EQ(t.Pieces(8), (std::vector<std::int16_t>{4, 4, 1, 1, 1, 3, 3, 3}));
}

TEST(Appearance, TwoAlikeInTurnCyclesThroughTheKinds)
{
    Table t;
    t.game.mnuFiguresABC_Click();
    t.game.mnuFigures_Click(1);
    EXPECT_TRUE(t.tk.Mark(MenuItem::mnuFiguresABC));
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures1);
    EXPECT_EQ(t.Pieces(12), (std::vector<std::int16_t>{4, 4, 5, 5, 6, 6, 7, 7, 1, 1, 2, 2}));
}

TEST(Appearance, RandomInTheMiddleOfARunEndsItAfterThePreviewedPiece)
{
    Table t;
    t.game.mnuFigures_Click(2);
    t.tk.Script({0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(t.Pieces(3), (std::vector<std::int16_t>{4, 4, 1}));  // the run of I has begun

    t.game.mnuFigures_Click(0);
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures0);
    t.tk.Script({0.9, 0.0});
    EXPECT_EQ(t.Pieces(2), (std::vector<std::int16_t>{1, 7}));
}

TEST(Appearance, InTurnSwitchLeavesTheRepeatItemsAndTheRunAlone)
{
    Table t;
    t.game.mnuFigures_Click(1);
    t.tk.ClearLog();
    t.game.mnuFiguresABC_Click();
    EXPECT_EQ(t.game.InTurn, 1);
    EXPECT_TRUE(t.tk.Mark(MenuItem::mnuFiguresABC));
    EXPECT_EQ(t.game.RepeatSetting, 1);
    EXPECT_EQ(t.game.RepeatLeft, 1);
    t.game.mnuFiguresABC_Click();
    EXPECT_EQ(t.game.InTurn, 0);
    EXPECT_FALSE(t.tk.Mark(MenuItem::mnuFiguresABC));
    for (const auto& c : t.tk.calls) {
        if (c.op == Op::SetChecked) {
            EXPECT_EQ(c.a, static_cast<int>(MenuItem::mnuFiguresABC));
        }
    }
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures1);
}

TEST(Appearance, ChoosingTheMarkedItemAgainRestartsItsCountdown)
{
    Table t;
    t.game.mnuFigures_Click(1);
    EXPECT_EQ(t.NextPiece(), 4);
    EXPECT_EQ(t.game.RepeatLeft, 0);
    t.game.mnuFigures_Click(1);
    EXPECT_EQ(t.game.RepeatLeft, 1);
    ExpectOnlyMark(t.tk, kRepeatItems, MenuItem::mnuFigures1);
    // So the O comes three times in all before a fresh kind, an I.
    t.tk.Script({0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(t.Pieces(3), (std::vector<std::int16_t>{4, 4, 1}));

    t.game.mnuFigures_Click(2);
    EXPECT_EQ(t.game.RepeatLeft, 1);  // "three alike" restarts at 1, not 2
}

}  // namespace
}  // namespace falbok
