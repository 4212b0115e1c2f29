// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The next piece, shown in the 2 x 4 box beside the well.
#include <array>

#include "engine/game.h"

namespace falbok {

namespace {

// Tiles painted for each kind: its entry shape moved to the box's left edge.
// Tile 208, the bottom-right slot, is never needed.
constexpr std::array<std::array<std::int16_t, 4>, 8> kPreviewTiles{{
    {201, 202, 206, 207},  // anything unknown is drawn as the Z
    {201, 202, 203, 204},  // I
    {201, 205, 206, 207},  // J
    {203, 205, 206, 207},  // L
    {201, 202, 205, 206},  // O
    {202, 203, 205, 206},  // S
    {202, 205, 206, 207},  // T
    {201, 202, 206, 207},  // Z
}};

}  // namespace

void Game::DrawNextPiece()
{
    if (NextColor < 1 || NextColor > kColours) {
        return;  // nothing chosen yet: the box stays blank
    }
    const std::size_t row = (NextKind >= 1 && NextKind <= kKinds) ? static_cast<std::size_t>(NextKind) : 0;
    for (const std::int16_t tile : kPreviewTiles[row]) {
        toolkit_.SetTilePicture(tile, NextColor);
    }
}

}  // namespace falbok
