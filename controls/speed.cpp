// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Fall speed: the timer's interval itself, on the grid 50, 100, ..., 1000 ms.
#include "engine/game.h"

namespace falbok {

namespace {
constexpr bool OnGrid(std::int32_t interval)
{
    return interval >= kFastestInterval && interval <= kSlowestInterval && interval % kIntervalStep == 0;
}
}  // namespace

void Game::mnuSpeed_Click(std::int32_t interval)
{
    if (!OnGrid(interval)) {
        return;
    }
    toolkit_.SetTimerInterval(interval);
    ShowSpeed();
}

void Game::SpeedUp()
{
    const std::int32_t interval = toolkit_.TimerInterval();
    if (interval > kFastestInterval) {
        toolkit_.SetTimerInterval(interval - kIntervalStep);
    }
    ShowSpeed();
}

void Game::SlowDown()
{
    const std::int32_t interval = toolkit_.TimerInterval();
    if (interval < kSlowestInterval) {
        toolkit_.SetTimerInterval(interval + kIntervalStep);
    }
    ShowSpeed();
}

void Game::ShowSpeed()
{
    for (std::int32_t t = kFastestInterval; t <= kSlowestInterval; t += kIntervalStep) {
        if (toolkit_.Checked(SpeedItem(t))) {
            toolkit_.SetChecked(SpeedItem(t), false);
        }
    }
    const std::int32_t interval = toolkit_.TimerInterval();
    if (OnGrid(interval)) {
        toolkit_.SetChecked(SpeedItem(interval), true);
    }
}

}  // namespace falbok
