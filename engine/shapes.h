// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The pieces: their cells in every orientation and the rotation steps
// between orientations, all relative to the pivot cell P.
#pragma once

#include <array>
#include <cstdint>

namespace falbok {

using Offsets = std::array<std::int16_t, 4>;

// Orientations a kind has (index by kind 1..7; 0 unused).
inline constexpr std::array<std::int16_t, 8> kTurnCount{0, 2, 4, 4, 1, 2, 4, 2};

// Cells of kind k in orientation t: P + kShape[k][t][i]. Orientation 0 is the
// one a piece enters in, listed in the order its cells are filled.
inline constexpr std::array<std::array<Offsets, 4>, 8> kShape{{
    {},
    {{{-1, 0, 1, 2}, {-10, 0, 10, 20}}},                                     // I
    {{{-11, -1, 0, 1}, {-10, -9, 0, 10}, {-1, 0, 1, 11}, {-10, 0, 9, 10}}},  // J
    {{{-9, -1, 0, 1}, {-10, 0, 10, 11}, {-1, 0, 1, 9}, {-11, -10, 0, 10}}},  // L
    {{{0, 1, 10, 11}}},                                                      // O
    {{{0, 1, 9, 10}, {-11, -1, 0, 10}}},                                     // S
    {{{-10, -1, 0, 1}, {-10, 0, 1, 10}, {-1, 0, 1, 10}, {-10, -1, 0, 10}}},  // T
    {{{-1, 0, 10, 11}, {-10, -1, 0, 9}}},                                    // Z
}};

// Where each kind's pivot enters: row 1 or row 2 of column 5.
inline constexpr std::array<std::int16_t, 8> kSpawnPivot{0, 5, 15, 15, 5, 5, 15, 5};

// One quarter turn from one orientation to the next. The pivot has to stand
// within [lowest, highest] on the given axis, which keeps every filled cell on
// the board; the cells to fill must be empty.
struct RotationStep {
    enum class Axis : std::uint8_t { Row, Column };
    std::int16_t newTurn;
    std::int16_t count;  // cells cleared, and as many filled
    std::array<std::int16_t, 3> clear;
    std::array<std::int16_t, 3> fill;
    Axis axis;
    std::int16_t lowest;
    std::int16_t highest;
};

namespace detail {
using Row = std::array<std::int16_t, 3>;
inline constexpr auto kRow = RotationStep::Axis::Row;
inline constexpr auto kColumn = RotationStep::Axis::Column;
}  // namespace detail

// kRotation[kind][turn]; kind 4 (O) has no steps.
inline constexpr std::array<std::array<RotationStep, 4>, 8> kRotation{{
    {},
    {{
        {1, 3, detail::Row{-1, 1, 2}, detail::Row{-10, 10, 20}, detail::kRow, 2, 18},
        {0, 3, detail::Row{-10, 10, 20}, detail::Row{-1, 1, 2}, detail::kColumn, 2, 8},
    }},
    {{
        {1, 3, detail::Row{-11, -1, 1}, detail::Row{-10, -9, 10}, detail::kRow, 1, 19},
        {2, 3, detail::Row{-10, -9, 10}, detail::Row{-1, 1, 11}, detail::kColumn, 2, 10},
        {3, 3, detail::Row{-1, 1, 11}, detail::Row{-10, 9, 10}, detail::kRow, 2, 20},
        {0, 3, detail::Row{-10, 9, 10}, detail::Row{-11, -1, 1}, detail::kColumn, 1, 9},
    }},
    {{
        {1, 3, detail::Row{-9, -1, 1}, detail::Row{-10, 10, 11}, detail::kRow, 1, 19},
        {2, 3, detail::Row{-10, 10, 11}, detail::Row{-1, 1, 9}, detail::kColumn, 2, 10},
        {3, 3, detail::Row{-1, 1, 9}, detail::Row{-11, -10, 10}, detail::kRow, 2, 20},
        {0, 3, detail::Row{-11, -10, 10}, detail::Row{-9, -1, 1}, detail::kColumn, 1, 9},
    }},
    {},
    {{
        {1, 2, detail::Row{1, 9, 0}, detail::Row{-11, -1, 0}, detail::kRow, 2, 20},
        {0, 2, detail::Row{-11, -1, 0}, detail::Row{1, 9, 0}, detail::kColumn, 1, 9},
    }},
    {{
        {1, 1, detail::Row{-1, 0, 0}, detail::Row{10, 0, 0}, detail::kRow, 1, 19},
        {2, 1, detail::Row{-10, 0, 0}, detail::Row{-1, 0, 0}, detail::kColumn, 2, 10},
        {3, 1, detail::Row{1, 0, 0}, detail::Row{-10, 0, 0}, detail::kRow, 2, 20},
        {0, 1, detail::Row{10, 0, 0}, detail::Row{1, 0, 0}, detail::kColumn, 1, 9},
    }},
    {{
        {1, 2, detail::Row{10, 11, 0}, detail::Row{-10, 9, 0}, detail::kRow, 2, 20},
        {0, 2, detail::Row{-10, 9, 0}, detail::Row{10, 11, 0}, detail::kColumn, 1, 9},
    }},
}};

// The orientation the rotation rules read for a turn value: for I, S and Z
// anything but 0 counts as 1; for J, L and T anything above 2 counts as 3.
constexpr std::int16_t EffectiveTurn(std::int16_t kind, std::int16_t turn)
{
    if (kind < 1 || kind > 7 || kTurnCount[static_cast<std::size_t>(kind)] == 1) {
        return 0;
    }
    if (kTurnCount[static_cast<std::size_t>(kind)] == 2) {
        return turn == 0 ? std::int16_t{0} : std::int16_t{1};
    }
    return (turn >= 0 && turn <= 2) ? turn : std::int16_t{3};
}

}  // namespace falbok
