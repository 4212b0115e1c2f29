// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How long the game's hot paths take: one beat of a falling piece, one
// landing beat that clears four rows, one hard drop and one key move.
//
// The toolkit below only stores what it is told, so the figures measure the
// game and not a recording fake. Where a case needs a fresh board, the board
// is laid out by hand outside the timed region and only the call itself is
// timed.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/toolkit.h"

namespace {

using falbok::Game;
using falbok::MenuItem;

class QuietToolkit final : public falbok::Toolkit {
public:
    void CreateTile(std::int16_t) override {}
    void SetTilePicture(std::int16_t index, std::int16_t picture) override
    {
        pictures[static_cast<std::size_t>(index)] = picture;
    }
    void ShowTile(std::int16_t index) override { visible[static_cast<std::size_t>(index)] = true; }
    void HideTile(std::int16_t index) override { visible[static_cast<std::size_t>(index)] = false; }
    bool PlaceTile(std::int16_t, int, int, int, int) override { return true; }

    bool TimerEnabled() const override { return timerEnabled; }
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    std::int32_t TimerInterval() const override { return timerInterval; }
    void SetTimerInterval(std::int32_t milliseconds) override { timerInterval = milliseconds; }

    bool Checked(MenuItem item) const override { return marks[static_cast<std::size_t>(item)]; }
    void SetChecked(MenuItem item, bool checked) override { marks[static_cast<std::size_t>(item)] = checked; }

    void MinimizeWindow() override {}
    void CloseWindow() override {}
    bool AnotherCopyRunning() override { return false; }
    void EndProgram() override {}
    double SecondsSinceMidnight() override { return 0.0; }
    void SeedRandom(double) override {}
    double Random() override
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<double>((state_ * 2685821657736338717ULL) >> 11) * 0x1.0p-53;
    }

    std::array<std::int16_t, falbok::kTiles + 1> pictures{};
    std::array<bool, falbok::kTiles + 1> visible{};
    std::array<bool, falbok::kMenuItemCount> marks{};
    bool timerEnabled = true;
    std::int32_t timerInterval = falbok::kDefinedTimerInterval;

private:
    std::uint64_t state_ = 0x2545f4914f6cdd1dULL;
};

// A started game with an empty board.
struct Started {
    QuietToolkit tk;
    Game game{tk};
    Started() { game.Form_Load(); }
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double>(stop - start).count();
}

void EmptyBoard(Game& game)
{
    game.Board.Fill(0);
    game.CellColor.Fill(0);
    game.CellDirty.Fill(0);
    game.CurKind = 0;
    game.GameOver = 0;
}

// Puts a falling piece on the board as if it had got there by play.
void PutPiece(Game& game, std::int16_t kind, std::int16_t turn, std::int16_t pivot,
              std::initializer_list<std::int16_t> cells, std::int16_t colour)
{
    for (const std::int16_t k : cells) {
        game.Board(k) = 2;
        game.CellColor(k) = colour;
    }
    game.CurKind = kind;
    game.CurColor = colour;
    game.Turn = turn;
    game.PivotCell = pivot;
}

// An O piece at the top of an empty board, announcing another O.
void OAtTheTop(Game& game)
{
    EmptyBoard(game);
    PutPiece(game, 4, 0, 5, {5, 6, 15, 16}, 3);
    game.NextKind = 4;
    game.NextColor = 2;
}

void BM_BeatOfAFallingPiece(benchmark::State& state)
{
    Started s;
    Game& game = s.game;
    OAtTheTop(game);
    for (auto _ : state) {
        if (game.PivotCell + 11 > 190) {
            OAtTheTop(game);  // the next beat would land it
        }
        const Clock::time_point start = Clock::now();
        game.tmrMain_Timer();
        state.SetIterationTime(Seconds(start, Clock::now()));
    }
    if (game.CurKind != 4) {
        state.SkipWithError("a timed beat landed the piece instead of moving it");
    }
}
BENCHMARK(BM_BeatOfAFallingPiece)->UseManualTime();

// Rows 17..20 are full but for column 10, where an upright I stands on the
// floor; rows 15 and 16 hold a few cells that the clearing moves down.
void FourRowsAboutToClear(Game& game)
{
    EmptyBoard(game);
    for (std::int16_t k = 161; k <= 200; ++k) {
        if (k % 10 != 0) {
            game.Board(k) = 1;
            game.CellColor(k) = static_cast<std::int16_t>(k % 7 + 1);
        }
    }
    for (const std::int16_t k : {141, 142, 143, 151, 152, 153, 154, 155}) {
        game.Board(k) = 1;
        game.CellColor(k) = 5;
    }
    PutPiece(game, 1, 1, 180, {170, 180, 190, 200}, 6);
    game.NextKind = 2;
    game.NextColor = 4;
    game.RepeatLeft = 0;
}

void BM_LandingBeatClearingFourRows(benchmark::State& state)
{
    Started s;
    Game& game = s.game;
    for (auto _ : state) {
        FourRowsAboutToClear(game);
        const Clock::time_point start = Clock::now();
        game.tmrMain_Timer();
        state.SetIterationTime(Seconds(start, Clock::now()));
    }
    // Left over: the 3 + 5 cells of rows 15 and 16, now in rows 19 and 20,
    // and the J that came in.
    int occupied = 0;
    for (int k = 1; k <= falbok::kCells; ++k) {
        occupied += game.Board(k) != 0;
    }
    if (occupied != 12 || game.Board(195) != 1 || game.CurKind != 2) {
        state.SkipWithError("the landing beat did not clear the four rows");
    }
}
BENCHMARK(BM_LandingBeatClearingFourRows)->UseManualTime();

void BM_HardDropFromTheTop(benchmark::State& state)
{
    Started s;
    Game& game = s.game;
    for (auto _ : state) {
        OAtTheTop(game);
        const Clock::time_point start = Clock::now();
        game.DropPiece();
        state.SetIterationTime(Seconds(start, Clock::now()));
    }
    if (game.CurKind != 0 || game.Board(185) != 1 || game.Board(196) != 1) {
        state.SkipWithError("the drop did not take the piece to the floor");
    }
}
BENCHMARK(BM_HardDropFromTheTop)->UseManualTime();

void BM_KeyMoveLeftOrRight(benchmark::State& state)
{
    Started s;
    Game& game = s.game;
    EmptyBoard(game);
    PutPiece(game, 4, 0, 95, {95, 96, 105, 106}, 3);
    std::int16_t key = 37;  // Left, then Right, and so on
    for (auto _ : state) {
        game.Form_KeyDown(key, 0);
        key = key == 37 ? 39 : 37;
    }
    if (game.PivotCell != 94 && game.PivotCell != 95) {
        state.SkipWithError("the piece did not move left and right");
    }
}
BENCHMARK(BM_KeyMoveLeftOrRight);

}  // namespace

BENCHMARK_MAIN();
