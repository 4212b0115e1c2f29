// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The pieces as the rules draw them, written out by hand apart from the
// engine's own tables: the cells of every kind in every orientation and the
// preview tiles that announce each kind.
#pragma once

#include <array>

namespace falbok::testing {

// Cells of each kind in each orientation, relative to the pivot (index by
// kind 1..7, then orientation).
inline constexpr std::array<int, 8> kOrientations{0, 2, 4, 4, 1, 2, 4, 2};
inline constexpr std::array<std::array<std::array<int, 4>, 4>, 8> kPieceCells{{
    {},
    {{{-1, 0, 1, 2}, {-10, 0, 10, 20}}},                                     // I
    {{{-11, -1, 0, 1}, {-10, -9, 0, 10}, {-1, 0, 1, 11}, {-10, 0, 9, 10}}},  // J
    {{{-9, -1, 0, 1}, {-10, 0, 10, 11}, {-1, 0, 1, 9}, {-11, -10, 0, 10}}},  // L
    {{{0, 1, 10, 11}}},                                                      // O
    {{{0, 1, 9, 10}, {-11, -1, 0, 10}}},                                     // S
    {{{-10, -1, 0, 1}, {-10, 0, 1, 10}, {-1, 0, 1, 10}, {-10, -1, 0, 10}}},  // T
    {{{-1, 0, 10, 11}, {-10, -1, 0, 9}}},                                    // Z
}};

// The preview tiles that show each next kind (index by kind 1..7).
inline constexpr std::array<std::array<int, 4>, 8> kPreviewTiles{{
    {},
    {201, 202, 203, 204},
    {201, 205, 206, 207},
    {203, 205, 206, 207},
    {201, 202, 205, 206},
    {202, 203, 205, 206},
    {202, 205, 206, 207},
    {201, 202, 206, 207},
}};

}  // namespace falbok::testing
