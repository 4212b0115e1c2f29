// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Mouse control: the piece follows the pointer's column, the right button
// turns it and the left button drops it.
#include "engine/game.h"

namespace falbok {

void Game::Img_MouseMove(std::int16_t index)
{
    if (!IsTile(index)) {
        return;  // not one of our tiles: nothing to follow
    }
    if (!toolkit_.TimerEnabled()) {
        return;
    }
    MouseCell = index;  // remembered even while mouse control is off
    FollowMouse();
}

void Game::FollowMouse()
{
    if (MouseOn == 0 || GameOver == 1 || MouseCell == 0 || MouseCell > kCells) {
        return;  // the preview tiles never steer the piece
    }
    const std::int16_t m = ColumnOf(MouseCell);
    const std::int16_t p = ColumnOf(PivotCell);
    // The count is fixed first; a wall or a settled cell simply makes the
    // remaining moves do nothing.
    for (int i = 0; i < p - m; ++i) {
        MoveLeft();
    }
    for (int i = 0; i < m - p; ++i) {
        MoveRight();
    }
}

void Game::Img_MouseDown(std::int16_t index, std::int16_t button)
{
    if (MouseOn == 0 || GameOver == 1 || index < 1 || index > kCells || !toolkit_.TimerEnabled()) {
        return;
    }
    if (button == button::kRight) {
        RotatePiece();
    }
    if (button == button::kLeft) {
        DropPiece();
    }
}

void Game::mnuMouse_Click()
{
    MouseOn = MouseOn == 0 ? 1 : 0;
    toolkit_.SetChecked(MenuItem::mnuMouse, MouseOn == 1);
}

}  // namespace falbok
