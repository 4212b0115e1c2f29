// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The key table in every game state, soft and hard drops, and the speed keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_fixture.h"
#include "engine/game.h"

namespace falbok {
namespace {

using testing::FakeToolkit;
using testing::Falling;
using testing::State;
using testing::Table;
using Op = FakeToolkit::Op;

// The game and everything the player can see or the timer holds.
std::vector<int> Capture(const Table& t)
{
    const Game& g = t.game;
    std::vector<int> s;
    for (int k = 1; k <= kCells; ++k) {
        s.insert(s.end(), {g.Board(k), g.CellColor(k), g.CellDirty(k)});
    }
    for (int c = 1; c <= kColours; ++c) {
        s.push_back(g.ColorOn(c));
    }
    s.insert(s.end(), {g.CurColor, g.NextColor, g.BackStyle, g.TileSize, g.CurKind, g.NextKind, g.RepeatSetting,
                       g.RepeatLeft, g.InTurn, g.Turn, g.PivotCell, g.GameOver, g.EscAction, g.MouseOn, g.MouseCell});
    for (const auto& tile : t.tk.tiles) {
        s.insert(s.end(), {tile.picture, tile.visible, tile.left, tile.top, tile.width});
    }
    for (bool mark : t.tk.marks) {
        s.push_back(mark);
    }
    s.insert(s.end(),
             {t.tk.timerEnabled, t.tk.timerInterval, t.tk.timerStarts, t.tk.minimized, t.tk.closed, t.tk.draws});
    return s;
}

const std::vector<std::int16_t> kTableKeys{27, 80, 19, 187, 107, 33, 189, 109, 34, 65, 37, 87, 38, 68, 39, 83, 40, 32};
const std::vector<std::int16_t> kUnknownKeys{113, 0, -1, 32767, -32768, 13, 81, 36, 112};
const std::vector<std::int16_t> kShifts{0, 1, 2, 4, 7};

TEST(Keyboard, EveryKeyOfTheTableActsWhileRunningWhateverTheModifiers)
{
    struct Expect {
        std::int16_t code;
        std::vector<int> falling;
        std::int16_t turn;
        bool running;
        std::int32_t interval;
        MenuItem speedMark;
    };
    const std::vector<int> still{5, 14, 15, 16};
    const Expect table[] = {
        {27, still, 0, false, 350, MenuItem::mnuSpeed350},
        {80, still, 0, false, 350, MenuItem::mnuSpeed350},
        {19, still, 0, false, 350, MenuItem::mnuSpeed350},
        {187, still, 0, true, 300, MenuItem::mnuSpeed300},
        {107, still, 0, true, 300, MenuItem::mnuSpeed300},
        {33, still, 0, true, 300, MenuItem::mnuSpeed300},
        {189, still, 0, true, 400, MenuItem::mnuSpeed400},
        {109, still, 0, true, 400, MenuItem::mnuSpeed400},
        {34, still, 0, true, 400, MenuItem::mnuSpeed400},
        {65, {4, 13, 14, 15}, 0, true, 350, MenuItem::mnuSpeed350},
        {37, {4, 13, 14, 15}, 0, true, 350, MenuItem::mnuSpeed350},
        {87, {5, 15, 16, 25}, 1, true, 350, MenuItem::mnuSpeed350},
        {38, {5, 15, 16, 25}, 1, true, 350, MenuItem::mnuSpeed350},
        {68, {6, 15, 16, 17}, 0, true, 350, MenuItem::mnuSpeed350},
        {39, {6, 15, 16, 17}, 0, true, 350, MenuItem::mnuSpeed350},
        {83, {15, 24, 25, 26}, 0, true, 350, MenuItem::mnuSpeed350},
        {40, {15, 24, 25, 26}, 0, true, 350, MenuItem::mnuSpeed350},
        {32, {}, 0, true, 350, MenuItem::mnuSpeed350},
    };
    for (const Expect& e : table) {
        for (std::int16_t shift : kShifts) {
            SCOPED_TRACE("key " + std::to_string(e.code) + " shift " + std::to_string(shift));
            Table t;
            t.Press(e.code, shift);
            EXPECT_EQ(Falling(t.game), e.falling);
            EXPECT_EQ(t.game.Turn, e.turn);
            EXPECT_EQ(t.tk.timerEnabled, e.running);
            EXPECT_EQ(t.tk.Mark(MenuItem::mnuPause), !e.running);
            EXPECT_EQ(t.tk.timerInterval, e.interval);
            EXPECT_TRUE(t.tk.Mark(e.speedMark));
            EXPECT_EQ(t.tk.minimized + t.tk.closed, 0);
        }
    }
}

TEST(Keyboard, OnlyEscPAndPauseActWhilePaused)
{
    std::vector<std::int16_t> codes = kTableKeys;
    codes.insert(codes.end(), kUnknownKeys.begin(), kUnknownKeys.end());
    for (std::int16_t code : codes) {
        for (std::int16_t shift : {0, 2}) {
            SCOPED_TRACE("key " + std::to_string(code));
            Table t(State::Paused);
            const auto before = Capture(t);
            t.Press(code, shift);
            if (code == 27 || code == 80 || code == 19) {
                // Resumes, and nothing else happens in the same event.
                EXPECT_TRUE(t.tk.timerEnabled);
                EXPECT_FALSE(t.tk.Mark(MenuItem::mnuPause));
                EXPECT_EQ(t.tk.Effects(), 2u);
                EXPECT_EQ(Falling(t.game), (std::vector<int>{5, 14, 15, 16}));
                EXPECT_EQ(t.tk.timerInterval, 350);
            } else {
                EXPECT_EQ(Capture(t), before);
                EXPECT_EQ(t.tk.Effects(), 0u);
            }
        }
    }
}

TEST(Keyboard, NoKeyActsOnceTheGameIsOver)
{
    std::vector<std::int16_t> codes = kTableKeys;
    codes.insert(codes.end(), kUnknownKeys.begin(), kUnknownKeys.end());
    for (std::int16_t code : codes) {
        Table t(State::Over);
        ASSERT_EQ(t.game.GameOver, 1);
        const auto before = Capture(t);
        t.Press(code, 4);
        EXPECT_EQ(Capture(t), before) << "key " << code;
        EXPECT_EQ(t.tk.Effects(), 0u) << "key " << code;
    }
}

TEST(Keyboard, UnknownCodesDoNothingWhileRunning)
{
    for (std::int16_t code : kUnknownKeys) {
        Table t;
        const auto before = Capture(t);
        t.Press(code);
        t.Press(code, 7);
        EXPECT_EQ(Capture(t), before) << "key " << code;
        EXPECT_EQ(t.tk.Effects(), 0u) << "key " << code;
    }
}

TEST(Keyboard, SoftDropRestartsTheTimerOnlyWhileThePieceStillFalls)
{
    Table t;
    const int starts = t.tk.timerStarts;
    for (int i = 1; i <= 18; ++i) {
        t.Press(i % 2 ? key::kDown : key::kS);
        EXPECT_EQ(t.game.PivotCell, 15 + 10 * i);
        EXPECT_EQ(t.tk.timerStarts, starts + i);
        EXPECT_TRUE(t.tk.timerEnabled);
    }

    // Resting on the floor: this press lands the piece and leaves the timer alone.
    t.tk.ClearLog();
    t.Press(key::kDown);
    EXPECT_EQ(t.game.CurKind, 0);
    EXPECT_EQ(Falling(t.game), std::vector<int>{});
    for (int k : {185, 194, 195, 196}) {
        EXPECT_EQ(t.game.Board(k), 1) << "cell " << k;
    }
    EXPECT_EQ(t.tk.Count(Op::SetTimerEnabled), 0u);
    EXPECT_TRUE(t.tk.timerEnabled);

    t.game.tmrMain_Timer();
    EXPECT_EQ(t.game.CurKind, 4);
}

TEST(Keyboard, SpaceAfterADropWaitsForTheNextPiece)
{
    Table t;
    const int starts = t.tk.timerStarts;
    t.Press(key::kSpace);
    EXPECT_EQ(t.game.CurKind, 0);
    for (int k : {185, 194, 195, 196}) {
        EXPECT_EQ(t.game.Board(k), 1) << "cell " << k;
    }
    EXPECT_EQ(t.tk.timerStarts, starts + 1);

    t.tk.ClearLog();
    const auto before = Capture(t);
    t.Press(key::kSpace);
    EXPECT_EQ(Capture(t), before);
    EXPECT_EQ(t.tk.Effects(), 0u);
}

TEST(Keyboard, SpeedKeysStopAtTheEndsAndStillRefreshTheMarks)
{
    Table t;
    const auto markedSpeeds = [&t] {
        std::vector<int> marked;
        for (int i = static_cast<int>(MenuItem::mnuSpeed50); i <= static_cast<int>(MenuItem::mnuSpeed1000); ++i) {
            if (t.tk.marks[static_cast<std::size_t>(i)]) {
                marked.push_back(i);
            }
        }
        return marked;
    };
    const std::vector<int> only50{static_cast<int>(MenuItem::mnuSpeed50)};
    const std::vector<int> only1000{static_cast<int>(MenuItem::mnuSpeed1000)};

    t.game.mnuSpeed_Click(100);
    t.Press(key::kPlus);
    EXPECT_EQ(t.tk.timerInterval, 50);
    for (std::int16_t code : {key::kPlus, key::kNumpadPlus, key::kPageUp}) {
        // A stray mark proves that the marks are derived again at the end.
        t.tk.marks[static_cast<std::size_t>(MenuItem::mnuSpeed700)] = true;
        t.Press(code);
        EXPECT_EQ(t.tk.timerInterval, 50) << "key " << code;
        EXPECT_EQ(markedSpeeds(), only50) << "key " << code;
    }

    t.game.mnuSpeed_Click(950);
    t.Press(key::kMinus);
    EXPECT_EQ(t.tk.timerInterval, 1000);
    for (std::int16_t code : {key::kMinus, key::kNumpadMinus, key::kPageDown}) {
        t.tk.marks[static_cast<std::size_t>(MenuItem::mnuSpeed50)] = true;
        t.Press(code);
        EXPECT_EQ(t.tk.timerInterval, 1000) << "key " << code;
        EXPECT_EQ(markedSpeeds(), only1000) << "key " << code;
    }
    EXPECT_TRUE(t.tk.timerEnabled);
}

}  // namespace
}  // namespace falbok
