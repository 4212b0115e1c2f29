// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up, shutdown and the beat of the fall timer.
#include "engine/game.h"

namespace falbok {

void Game::Form_Load()
{
    if (toolkit_.AnotherCopyRunning()) {
        toolkit_.EndProgram();
        return;
    }
    CreateTiles();
    toolkit_.SeedRandom(toolkit_.SecondsSinceMidnight());
    BackStyle = 3;
    TileSize = 18;
    ApplyTileSize();
    EscAction = 1;
    ShowEscAction();
    ShowSpeed();
    ColorOn.Fill(1);
    ShowColors();
    ShowFigures();
    mnuNew_Click();
}

void Game::Form_Unload() { toolkit_.EndProgram(); }

void Game::tmrMain_Timer()
{
    if (GameOver == 1) {
        return;
    }
    StepDown();
    if (CurKind != 0) {
        return;  // still falling
    }
    // The piece has landed: settle it, clear rows and bring in the next one,
    // and draw all of that at once.
    Turn = 0;
    PivotCell = 0;
    FixPieceAndReset();
    ClearLines();
    SpawnPiece();
    if (MouseOn == 1) {
        FollowMouse();
    }
    Redraw();
}

void Game::RestartTimer()
{
    toolkit_.SetTimerEnabled(false);
    toolkit_.SetTimerEnabled(true);
}

}  // namespace falbok
