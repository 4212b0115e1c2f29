// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A started game on the fake toolkit, with helpers to lay out the board by
// hand and to read back what the game drew.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game.h"
#include "fake_toolkit.h"

namespace falbok::testing {

using Cells = std::vector<int>;
using Op = FakeToolkit::Op;

// The random number that makes Int(n * r) + 1 come out as k.
constexpr double Pick(int k, int n = 7) { return (k - 0.5) / n; }

// The dark background, style 3, that every start begins with.
inline constexpr std::int16_t kDarkBackground = 10;

class EngineTest : public ::testing::Test {
protected:
    FakeToolkit tk;
    Game game{tk};

    void SetUp() override
    {
        game.Form_Load();
        tk.ClearLog();
    }

    Cells CellsInState(std::int16_t state) const
    {
        Cells cells;
        for (int k = 1; k <= kCells; ++k) {
            if (game.Board(k) == state) {
                cells.push_back(k);
            }
        }
        return cells;
    }
    Cells Falling() const { return CellsInState(2); }
    Cells Settled() const { return CellsInState(1); }

    void Settle(const Cells& cells, std::int16_t colour)
    {
        for (int k : cells) {
            game.Board(k) = 1;
            game.CellColor(k) = colour;
        }
    }
    void SettleRange(int first, int last, std::int16_t colour)
    {
        for (int k = first; k <= last; ++k) {
            Settle({k}, colour);
        }
    }

    // Puts a falling piece on the board as if it had got there by play.
    void Arrange(std::int16_t kind, std::int16_t turn, std::int16_t pivot, const Cells& cells, std::int16_t colour)
    {
        for (int k : cells) {
            game.Board(k) = 2;
            game.CellColor(k) = colour;
        }
        game.CurKind = kind;
        game.CurColor = colour;
        game.Turn = turn;
        game.PivotCell = pivot;
    }

    void RemoveFallingPiece()
    {
        for (int k = 1; k <= kCells; ++k) {
            if (game.Board(k) == 2) {
                game.Board(k) = 0;
                game.CellColor(k) = 0;
            }
        }
        game.CurKind = 0;
    }

    // An empty board with nothing waiting to be drawn and a fresh call log.
    void ClearBoard()
    {
        for (int k = 1; k <= kCells; ++k) {
            game.Board(k) = 0;
            game.CellColor(k) = 0;
            game.CellDirty(k) = 0;
        }
        game.CurKind = 0;
        tk.ClearLog();
    }

    // Takes away the current piece and lets the next tick place the next one.
    int SpawnNext()
    {
        RemoveFallingPiece();
        game.tmrMain_Timer();
        return game.CurKind;
    }

    void ExpectPiece(const Cells& cells, std::int16_t colour) const
    {
        EXPECT_EQ(Falling(), cells);
        for (int k : cells) {
            EXPECT_EQ(game.CellColor(k), colour) << "cell " << k;
        }
    }

    // Everything the game did that the player can see, or that touched the timer.
    std::vector<FakeToolkit::Call> EffectCalls() const
    {
        std::vector<FakeToolkit::Call> effects;
        for (const FakeToolkit::Call& c : tk.calls) {
            if (c.op != Op::TimerEnabledRead && c.op != Op::TimerIntervalRead && c.op != Op::CheckedRead) {
                effects.push_back(c);
            }
        }
        return effects;
    }

    // The board tiles drawn since the log was cleared, in drawing order. Every
    // one must have been drawn as hide, picture, show with nothing between.
    Cells RedrawnTiles() const
    {
        std::vector<FakeToolkit::Call> board;
        for (const FakeToolkit::Call& c : tk.calls) {
            const bool tileCall = c.op == Op::HideTile || c.op == Op::SetTilePicture || c.op == Op::ShowTile;
            if (tileCall && IsBoardCell(c.a)) {
                board.push_back(c);
            }
        }
        Cells tiles;
        for (std::size_t i = 0; i < board.size(); i += 3) {
            const bool triple = i + 2 < board.size() && board[i].op == Op::HideTile &&
                                board[i + 1].op == Op::SetTilePicture && board[i + 2].op == Op::ShowTile &&
                                board[i + 1].a == board[i].a && board[i + 2].a == board[i].a;
            if (!triple) {
                ADD_FAILURE() << "board tile " << board[i].a << " not drawn as hide, picture, show";
                return tiles;
            }
            tiles.push_back(board[i].a);
        }
        return tiles;
    }

    void ExpectPreviewBlank(std::int16_t background = kDarkBackground)
    {
        for (int i = kPreviewFirst; i <= kTiles; ++i) {
            EXPECT_EQ(tk.At(i).picture, background) << "preview tile " << i;
        }
    }
};

}  // namespace falbok::testing
