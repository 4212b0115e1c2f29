// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the corner tiles of the board and the preview stand at each tile
// size, worked out by hand from the layout rules: 5 pixels of margin, the
// board's 10 columns, a gap of one tile, then the preview's 4 columns.
#pragma once

#include <array>
#include <cstdint>

#include "engine/menu_items.h"

namespace falbok::testing {

struct TileCorner {
    int tile, left, top;
};

struct SizeLayout {
    std::int16_t size;
    MenuItem item;
    std::array<TileCorner, 8> corners;  // tiles 1, 10, 11, 200, 201, 204, 205, 208
};

// Index 0..3: tile sizes 12, 18, 24, 30.
inline constexpr std::array<SizeLayout, 4> kSizeLayouts{{
    {12,
     MenuItem::mnuSize12,
     {{{1, 5, 5},
       {10, 113, 5},
       {11, 5, 17},
       {200, 113, 233},
       {201, 130, 5},
       {204, 166, 5},
       {205, 130, 17},
       {208, 166, 17}}}},
    {18,
     MenuItem::mnuSize18,
     {{{1, 5, 5},
       {10, 167, 5},
       {11, 5, 23},
       {200, 167, 347},
       {201, 190, 5},
       {204, 244, 5},
       {205, 190, 23},
       {208, 244, 23}}}},
    {24,
     MenuItem::mnuSize24,
     {{{1, 5, 5},
       {10, 221, 5},
       {11, 5, 29},
       {200, 221, 461},
       {201, 250, 5},
       {204, 322, 5},
       {205, 250, 29},
       {208, 322, 29}}}},
    {30,
     MenuItem::mnuSize30,
     {{{1, 5, 5},
       {10, 275, 5},
       {11, 5, 35},
       {200, 275, 575},
       {201, 310, 5},
       {204, 400, 5},
       {205, 310, 35},
       {208, 400, 35}}}},
}};

}  // namespace falbok::testing
