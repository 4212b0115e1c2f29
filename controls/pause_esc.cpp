// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause is the fall timer switched off while the game is not over. Esc does
// what the player bound it to: nothing, pause, minimise or close.
#include "engine/game.h"

namespace falbok {

void Game::TogglePause()
{
    if (GameOver == 1) {
        return;  // only a new game restarts a finished one
    }
    if (toolkit_.TimerEnabled()) {
        toolkit_.SetTimerEnabled(false);
        toolkit_.SetChecked(MenuItem::mnuPause, true);
    } else {
        toolkit_.SetTimerEnabled(true);
        toolkit_.SetChecked(MenuItem::mnuPause, false);
    }
}

void Game::mnuPause_Click() { TogglePause(); }

void Game::DoEscAction()
{
    if (EscAction == 1) {
        TogglePause();
    }
    if (EscAction == 2) {
        // Minimising pauses a running game; it never resumes a paused one.
        if (toolkit_.TimerEnabled()) {
            mnuPause_Click();
        }
        toolkit_.MinimizeWindow();
    }
    if (EscAction == 3) {
        toolkit_.CloseWindow();
    }
}

void Game::mnuESC_Click(std::uint8_t action)
{
    if (action > 3) {
        return;
    }
    EscAction = action;
    ShowEscAction();
}

void Game::ShowEscAction()
{
    for (std::uint8_t n = 0; n <= 3; ++n) {
        if (toolkit_.Checked(EscItem(n))) {
            toolkit_.SetChecked(EscItem(n), false);
        }
    }
    if (EscAction <= 3) {
        toolkit_.SetChecked(EscItem(EscAction), true);
    }
}

}  // namespace falbok
