// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A toolkit that records what the game asks of it, for tests.
//
// It keeps each tile's picture, visibility and geometry, every check mark,
// the timer, and a log of every call in order. Random numbers come from a
// script first ("the next draws are 0.0, 0.99"), then from a seeded
// generator, so long runs stay deterministic too.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <stdexcept>
#include <vector>

#include "engine/cells.h"
#include "engine/toolkit.h"

namespace falbok::testing {

class FakeToolkit final : public Toolkit {
public:
    struct Tile {
        bool created = false;
        std::int16_t picture = 0;  // 0 = none yet
        bool visible = false;
        int left = 0, top = 0, width = 0, height = 0;
    };

    enum class Op : std::uint8_t {
        CreateTile,
        SetTilePicture,
        ShowTile,
        HideTile,
        PlaceTile,
        TimerEnabledRead,
        SetTimerEnabled,
        TimerIntervalRead,
        SetTimerInterval,
        CheckedRead,
        SetChecked,
        Minimize,
        Close,
        AnotherCopy,
        EndProgram,
        Clock,
        Seed,
        Random,
    };
    struct Call {
        Op op;
        int a = 0;  // tile index, menu item, flag or interval
        int b = 0;  // picture, or mark
    };

    // ---- What the game sees
    void CreateTile(std::int16_t index) override
    {
        Log(Op::CreateTile, index);
        At(index).created = true;
        At(index).visible = false;
    }
    void SetTilePicture(std::int16_t index, std::int16_t picture) override
    {
        Log(Op::SetTilePicture, index, picture);
        if (picture < 1 || picture > 10) {
            throw std::logic_error("picture out of range");
        }
        At(index).picture = picture;
    }
    void ShowTile(std::int16_t index) override
    {
        Log(Op::ShowTile, index);
        At(index).visible = true;
    }
    void HideTile(std::int16_t index) override
    {
        Log(Op::HideTile, index);
        At(index).visible = false;
    }
    bool PlaceTile(std::int16_t index, int left, int top, int width, int height) override
    {
        Log(Op::PlaceTile, index);
        if (index == failPlaceTile) {
            return false;
        }
        Tile& t = At(index);
        t.left = left;
        t.top = top;
        t.width = width;
        t.height = height;
        return true;
    }

    bool TimerEnabled() const override
    {
        Log(Op::TimerEnabledRead, timerEnabled);
        return timerEnabled;
    }
    void SetTimerEnabled(bool enabled) override
    {
        Log(Op::SetTimerEnabled, enabled);
        if (enabled && !timerEnabled) {
            ++timerStarts;  // a (re)start of the interval's count
        }
        timerEnabled = enabled;
    }
    std::int32_t TimerInterval() const override
    {
        Log(Op::TimerIntervalRead, timerInterval);
        return timerInterval;
    }
    void SetTimerInterval(std::int32_t milliseconds) override
    {
        Log(Op::SetTimerInterval, milliseconds);
        timerInterval = milliseconds;
    }

    bool Checked(MenuItem item) const override
    {
        Log(Op::CheckedRead, static_cast<int>(item));
        return marks[static_cast<std::size_t>(item)];
    }
    void SetChecked(MenuItem item, bool checked) override
    {
        Log(Op::SetChecked, static_cast<int>(item), checked);
        marks[static_cast<std::size_t>(item)] = checked;
    }

    void MinimizeWindow() override
    {
        Log(Op::Minimize);
        ++minimized;
    }
    void CloseWindow() override
    {
        Log(Op::Close);
        ++closed;
    }

    bool AnotherCopyRunning() override
    {
        Log(Op::AnotherCopy);
        return anotherCopy;
    }
    void EndProgram() override
    {
        Log(Op::EndProgram);
        ++ended;
    }
    double SecondsSinceMidnight() override
    {
        Log(Op::Clock);
        return clock;
    }
    void SeedRandom(double value) override
    {
        Log(Op::Seed);
        seed = value;
        ++seeds;
    }
    double Random() override
    {
        Log(Op::Random);
        ++draws;
        if (!script.empty()) {
            const double r = script.front();
            script.pop_front();
            if (!(r >= 0.0 && r < 1.0)) {
                throw std::logic_error("scripted random number outside [0, 1)");
            }
            return r;
        }
        return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    }

    // ---- Helpers for tests
    Tile& At(int index)
    {
        if (!IsTile(index)) {
            throw std::out_of_range("tile index out of range");
        }
        return tiles[static_cast<std::size_t>(index)];
    }
    bool Mark(MenuItem item) const { return marks[static_cast<std::size_t>(item)]; }
    void Script(std::initializer_list<double> values) { script.insert(script.end(), values); }
    void ClearLog() { calls.clear(); }
    // Calls that change something the player sees or the timer; reads are free.
    std::size_t Effects() const
    {
        std::size_t n = 0;
        for (const Call& c : calls) {
            n += (c.op != Op::TimerEnabledRead && c.op != Op::TimerIntervalRead && c.op != Op::CheckedRead);
        }
        return n;
    }
    std::size_t Count(Op op) const
    {
        std::size_t n = 0;
        for (const Call& c : calls) {
            n += (c.op == op);
        }
        return n;
    }

    // ---- The recorded world, open for tests to read and arrange
    std::array<Tile, kTiles + 1> tiles{};  // [0] unused
    std::array<bool, kMenuItemCount> marks{};
    bool timerEnabled = true;                            // the window defines the timer enabled,
    std::int32_t timerInterval = kDefinedTimerInterval;  // at 350 ms
    int timerStarts = 0;
    int minimized = 0;
    int closed = 0;
    int ended = 0;
    int seeds = 0;
    int draws = 0;
    bool anotherCopy = false;
    double clock = 12345.5;
    double seed = 0.0;
    int failPlaceTile = 0;  // PlaceTile of this tile index reports failure
    std::deque<double> script;
    std::mt19937_64 generator{20261207};
    mutable std::vector<Call> calls;

    FakeToolkit()
    {
        // The window definition marks the dark background.
        marks[static_cast<std::size_t>(MenuItem::mnuBackColor3)] = true;
    }

private:
    void Log(Op op, int a = 0, int b = 0) const { calls.push_back(Call{op, a, b}); }
};

}  // namespace falbok::testing
