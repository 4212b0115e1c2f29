// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The order in which piece kinds come: repeats, and the fixed cycle.
#include "engine/game.h"

namespace falbok {

void Game::mnuFigures_Click(std::uint8_t repeat)
{
    if (repeat > 2) {
        return;
    }
    RepeatSetting = repeat;
    // "По 3 одинаковых" starts its countdown at 1 as well: the previewed kind
    // comes twice, and only the fresh kinds after it three times.
    RepeatLeft = repeat == 0 ? 0 : 1;
    ShowFigures();
}

void Game::mnuFiguresABC_Click()
{
    InTurn = InTurn == 0 ? 1 : 0;
    toolkit_.SetChecked(MenuItem::mnuFiguresABC, InTurn == 1);
}

void Game::ShowFigures()
{
    for (std::uint8_t n = 0; n <= 2; ++n) {
        toolkit_.SetChecked(FiguresItem(n), false);
    }
    if (RepeatSetting <= 2) {
        toolkit_.SetChecked(FiguresItem(RepeatSetting), true);
    }
}

}  // namespace falbok
