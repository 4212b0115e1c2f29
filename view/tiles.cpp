// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The 208 tile views: board cells 1..200, preview 201..208.
#include "engine/game.h"

namespace falbok {

void Game::CreateTiles()
{
    for (std::int16_t i = 2; i <= kTiles; ++i) {
        toolkit_.CreateTile(i);
    }
}

std::int16_t Game::BackgroundPicture() const
{
    switch (BackStyle) {
    case 1:
        return kFirstBackgroundPicture;
    case 2:
        return kFirstBackgroundPicture + 1;
    default:
        return kFirstBackgroundPicture + 2;
    }
}

void Game::Redraw()
{
    // Only cells flagged exactly 1 are drawn; any other value counts as clean.
    for (std::int16_t k = 1; k <= kCells; ++k) {
        if (CellDirty(k) != 1) {
            continue;
        }
        toolkit_.HideTile(k);
        toolkit_.SetTilePicture(k, CellColor(k) != 0 ? CellColor(k) : BackgroundPicture());
        CellDirty(k) = 0;
        toolkit_.ShowTile(k);
    }
}

void Game::ClearPreview()
{
    const std::int16_t background = BackgroundPicture();
    for (std::int16_t i = kPreviewFirst; i <= kTiles; ++i) {
        toolkit_.SetTilePicture(i, background);
    }
}

void Game::HideTiles()
{
    for (std::int16_t i = 1; i <= kTiles; ++i) {
        toolkit_.HideTile(i);
    }
}

void Game::ShowTiles()
{
    for (std::int16_t i = 1; i <= kTiles; ++i) {
        toolkit_.ShowTile(i);
    }
}

}  // namespace falbok
