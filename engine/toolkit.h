// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The port: everything the game asks of a windowing toolkit and of the
// process, and nothing more. The game owns this interface; the Qt window and
// the test fake implement it. All calls come from the one UI thread.
#pragma once

#include <cstdint>

#include "engine/menu_items.h"

namespace falbok {

// The fall interval the window is defined with; the speed menu starts on it.
inline constexpr std::int32_t kDefinedTimerInterval = 350;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Tile views. Tile 1 is the template; tiles 2..208 are made from it once.
    // Pictures are numbered 1..10: seven piece colours, three backgrounds.
    virtual void CreateTile(std::int16_t index) = 0;
    virtual void SetTilePicture(std::int16_t index, std::int16_t picture) = 0;
    virtual void ShowTile(std::int16_t index) = 0;
    virtual void HideTile(std::int16_t index) = 0;
    // Position and size in client-area pixels; false when the toolkit refused.
    virtual bool PlaceTile(std::int16_t index, int left, int top, int width, int height) = 0;

    // The fall timer. Disabling and re-enabling it restarts the count of the
    // interval; changing the interval leaves the enabled flag alone.
    virtual bool TimerEnabled() const = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual std::int32_t TimerInterval() const = 0;
    virtual void SetTimerInterval(std::int32_t milliseconds) = 0;

    // Menu check marks. A toolkit never changes one on its own.
    virtual bool Checked(MenuItem item) const = 0;
    virtual void SetChecked(MenuItem item, bool checked) = 0;

    // The window.
    virtual void MinimizeWindow() = 0;
    virtual void CloseWindow() = 0;  // ends in Form_Unload

    // The process.
    virtual bool AnotherCopyRunning() = 0;
    virtual void EndProgram() = 0;  // no further events reach the game
    virtual double SecondsSinceMidnight() = 0;
    virtual void SeedRandom(double seed) = 0;
    // Uniform in [0, 1); never 1.0, so n * Random() always stays below n.
    virtual double Random() = 0;
};

}  // namespace falbok
