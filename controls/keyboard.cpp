// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every key the game knows, in one handler. Modifiers are not consulted:
// Shift+Left moves left just as Left does.
#include "engine/game.h"

namespace falbok {

void Game::Form_KeyDown(std::int16_t keyCode, std::int16_t /*shift*/)
{
    if (keyCode == key::kEscape) {
        DoEscAction();  // in every state; it may close the window
        return;
    }
    if (GameOver == 1) {
        return;
    }
    if (keyCode == key::kP || keyCode == key::kPause) {
        TogglePause();
    }
    if (!toolkit_.TimerEnabled()) {
        return;  // paused
    }
    switch (keyCode) {
    case key::kPlus:
    case key::kNumpadPlus:
    case key::kPageUp:
        SpeedUp();
        break;
    case key::kMinus:
    case key::kNumpadMinus:
    case key::kPageDown:
        SlowDown();
        break;
    case key::kA:
    case key::kLeft:
        MoveLeft();
        break;
    case key::kW:
    case key::kUp:
        RotatePiece();
        break;
    case key::kD:
    case key::kRight:
        MoveRight();
        break;
    case key::kS:
    case key::kDown:
        StepDown();
        if (CurKind != 0) {
            RestartTimer();  // the next automatic step is a full interval away
        }
        break;
    case key::kSpace:
        DropPiece();
        break;
    default:
        break;
    }
}

}  // namespace falbok
