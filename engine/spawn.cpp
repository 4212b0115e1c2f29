// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The next piece enters the board; the one after it is chosen.
#include <algorithm>

#include "engine/game.h"
#include "engine/shapes.h"

namespace falbok {

void Game::SpawnPiece()
{
    if (NextKind == 0) {
        NextKind = RandomKind();  // only before the very first piece
    }
    if (NextColor == 0) {
        NextColor = PickColor();
    }
    CurColor = NextColor;
    CurKind = NextKind;

    const std::int16_t pivot = kSpawnPivot[static_cast<std::size_t>(CurKind)];
    const Offsets& cells = kShape[static_cast<std::size_t>(CurKind)][0];
    const bool room = std::all_of(cells.begin(), cells.end(), [&](std::int16_t d) { return Board(pivot + d) == 0; });
    if (!room) {
        GameOver = 1;
        toolkit_.SetTimerEnabled(false);
    } else {
        PivotCell = pivot;
        for (const std::int16_t d : cells) {
            WorkCell = static_cast<std::int16_t>(pivot + d);
            FillCell();
        }
    }

    ClearPreview();
    if (GameOver == 1) {
        return;  // the piece that found no room opens the next game
    }

    if (RepeatLeft > 0) {
        --RepeatLeft;
    } else {
        if (InTurn != 0) {
            NextKind = NextKind >= kKinds ? std::int16_t{1} : static_cast<std::int16_t>(NextKind + 1);
        } else {
            NextKind = RandomKind();
        }
        RepeatLeft = RepeatSetting;
    }
    NextColor = PickColor();
    DrawNextPiece();
}

std::uint8_t Game::PickColor()
{
    std::int16_t inUse = 0;
    for (std::int16_t c = 1; c <= kColours; ++c) {
        inUse = static_cast<std::int16_t>(inUse + ColorOn(c));
    }
    const std::int16_t k = RandomWhole(inUse);
    std::int16_t seen = 0;
    for (std::int16_t c = 1; c <= kColours; ++c) {
        if (ColorOn(c) == 1 && ++seen == k) {
            return static_cast<std::uint8_t>(c);
        }
    }
    return 0;
}

std::int16_t Game::RandomKind() { return RandomWhole(kKinds); }

std::int16_t Game::RandomWhole(std::int16_t n)
{
    double r = toolkit_.Random();
    // The port promises 0 <= r < 1. Should a broken source ever say otherwise,
    // take 0 rather than pick a kind or colour past the end of the tables.
    if (!(r >= 0.0 && r < 1.0)) {
        r = 0.0;
    }
    const int whole = static_cast<int>(static_cast<double>(n) * r);
    return static_cast<std::int16_t>(std::min(whole, std::max(n - 1, 0)) + 1);
}

}  // namespace falbok
