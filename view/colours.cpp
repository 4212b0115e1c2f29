// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The background style of empty cells and the set of colours in use.
#include "engine/game.h"

namespace falbok {

void Game::mnuBackColor_Click(std::uint8_t style)
{
    if (style < 1 || style > 3) {
        return;
    }
    BackStyle = style;
    RepaintAll();
    for (std::uint8_t n = 1; n <= 3; ++n) {
        const MenuItem item = BackColorItem(n);
        if (n == style && !toolkit_.Checked(item)) {
            toolkit_.SetChecked(item, true);
        } else if (n != style && toolkit_.Checked(item)) {
            toolkit_.SetChecked(item, false);
        }
    }
}

void Game::RepaintAll()
{
    CellDirty.Fill(1);
    Redraw();
    ClearPreview();
    if (GameOver != 1) {
        DrawNextPiece();
    }
}

void Game::mnuColors7_Click()
{
    ColorOn.Fill(1);
    ShowColors();
}

void Game::mnuColors1_Click()
{
    ColorOn.Fill(0);
    ShowColors();  // finds the set empty and draws one colour
}

void Game::mnuColor_Click(std::int16_t colour)
{
    if (colour < 1 || colour > kColours) {
        return;
    }
    ColorOn(colour) = ColorOn(colour) == 0 ? 1 : 0;
    ShowColors();
}

void Game::ShowColors()
{
    std::int16_t inUse = 0;
    for (std::int16_t c = 1; c <= kColours; ++c) {
        inUse = static_cast<std::int16_t>(inUse + ColorOn(c));
    }
    if (inUse == 0) {
        // The set is never empty: put one colour, any of the seven, back.
        ColorOn(RandomWhole(kColours)) = 1;
        inUse = 1;
    }
    toolkit_.SetChecked(MenuItem::mnuColors1, inUse == 1);
    toolkit_.SetChecked(MenuItem::mnuColors7, inUse == kColours);
    for (std::int16_t c = 1; c <= kColours; ++c) {
        toolkit_.SetChecked(ColorItem(c), ColorOn(c) == 1);
    }
}

}  // namespace falbok
