// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A new game: empty board, blank preview, timer running.
#include "engine/game.h"

namespace falbok {

void Game::mnuNew_Click() { NewGame(); }

void Game::NewGame()
{
    HideTiles();
    Board.Fill(0);
    CellColor.Fill(0);
    CellDirty.Fill(0);  // nothing left over for the next Redraw
    const std::int16_t background = BackgroundPicture();
    for (std::int16_t i = 1; i <= kTiles; ++i) {
        toolkit_.SetTilePicture(i, background);
    }
    // NextKind and NextColor stay: the previewed piece opens the new game.
    CurColor = 0;
    CurKind = 0;
    Turn = 0;
    RepeatLeft = RepeatSetting;
    GameOver = 0;
    MouseCell = 0;
    RestartTimer();  // also resumes a paused or finished game
    toolkit_.SetChecked(MenuItem::mnuPause, false);
    ShowTiles();
}

}  // namespace falbok
