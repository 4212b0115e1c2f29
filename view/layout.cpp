// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Tile size and the placing of the tiles in the client area.
#include "engine/game.h"

namespace falbok {

namespace {
constexpr int kMargin = 5;  // left of and above the board, and board to preview
constexpr std::int16_t kSizes[] = {12, 18, 24, 30};
}  // namespace

void Game::mnuSize_Click(std::int16_t size)
{
    for (const std::int16_t s : kSizes) {
        if (s == size) {
            TileSize = size;
            ApplyTileSize();
        }
    }
}

void Game::ApplyTileSize()
{
    for (const std::int16_t s : kSizes) {
        if (toolkit_.Checked(SizeItem(s))) {
            toolkit_.SetChecked(SizeItem(s), false);
        }
    }
    for (const std::int16_t s : kSizes) {
        if (s == TileSize) {
            toolkit_.SetChecked(SizeItem(s), true);
        }
    }
    LayoutTiles();
}

void Game::LayoutTiles()
{
    // A tile that refuses to move stays where it was; the rest go on.
    const int t = TileSize;
    HideTiles();
    for (std::int16_t k = 1; k <= kCells; ++k) {
        const int c = (k - 1) % kColumns;
        const int r = (k - 1) / kColumns;
        static_cast<void>(toolkit_.PlaceTile(k, kMargin + t * c, kMargin + t * r, t, t));
    }
    for (std::int16_t k = kPreviewFirst; k <= kTiles; ++k) {
        const int c = (k - kPreviewFirst) % 4;
        const int r = (k - kPreviewFirst) / 4;
        static_cast<void>(toolkit_.PlaceTile(k, t * kColumns + 2 * kMargin + t * c, kMargin + t * r, t, t));
    }
    ShowTiles();
}

}  // namespace falbok
