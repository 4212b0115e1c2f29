// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every named entry of the menu bar. The order here groups each family of
// items so that the item for a value can be computed; the order in which the
// entries appear on screen is the menu tree's business (window/menu_tree.h).
#pragma once

#include <cstdint>

namespace falbok {

enum class MenuItem : std::uint8_t {
    // "Игра"
    mnuMenu,
    mnuNew,
    r1,
    mnuPause,
    // "Настройки"
    mnuOptions,
    mnuSize,
    mnuSize12,
    mnuSize18,
    mnuSize24,
    mnuSize30,
    mnuESC,
    mnuESC0,
    mnuESC1,
    mnuESC2,
    mnuESC3,
    mnuSpeed,
    mnuPageUp,
    r2,
    r3,
    r4,
    r5,
    mnuPageDown,
    mnuSpeed50,
    mnuSpeed100,
    mnuSpeed150,
    mnuSpeed200,
    mnuSpeed250,
    mnuSpeed300,
    mnuSpeed350,
    mnuSpeed400,
    mnuSpeed450,
    mnuSpeed500,
    mnuSpeed550,
    mnuSpeed600,
    mnuSpeed650,
    mnuSpeed700,
    mnuSpeed750,
    mnuSpeed800,
    mnuSpeed850,
    mnuSpeed900,
    mnuSpeed950,
    mnuSpeed1000,
    mnuBackColor,
    mnuBackColor1,
    mnuBackColor2,
    mnuBackColor3,
    mnuColors,
    mnuColors7,
    r6,
    mnuColor1,
    mnuColor2,
    mnuColor3,
    mnuColor4,
    mnuColor5,
    mnuColor6,
    mnuColor7,
    r7,
    mnuColors1,
    mnuFigures,
    mnuFigures0,
    r8,
    mnuFigures1,
    mnuFigures2,
    r9,
    mnuFiguresABC,
    r10,
    mnuMouse,
};

inline constexpr int kMenuItemCount = static_cast<int>(MenuItem::mnuMouse) + 1;

// The speeds are the multiples of 50 ms from 50 to 1000.
inline constexpr std::int32_t kFastestInterval = 50;
inline constexpr std::int32_t kSlowestInterval = 1000;
inline constexpr std::int32_t kIntervalStep = 50;

namespace detail {
constexpr MenuItem Offset(MenuItem first, int step) { return static_cast<MenuItem>(static_cast<int>(first) + step); }
}  // namespace detail

// The item of a family for its value; the value must belong to the family.
constexpr MenuItem SizeItem(int tileSize) { return detail::Offset(MenuItem::mnuSize12, (tileSize - 12) / 6); }
constexpr MenuItem EscItem(int action) { return detail::Offset(MenuItem::mnuESC0, action); }
constexpr MenuItem SpeedItem(std::int32_t interval)
{
    return detail::Offset(MenuItem::mnuSpeed50, static_cast<int>(interval / kIntervalStep) - 1);
}
constexpr MenuItem BackColorItem(int style) { return detail::Offset(MenuItem::mnuBackColor1, style - 1); }
constexpr MenuItem ColorItem(int colour) { return detail::Offset(MenuItem::mnuColor1, colour - 1); }
constexpr MenuItem FiguresItem(int repeat)
{
    // "Случайные", then a separator, then "По 2" and "По 3".
    return repeat == 0 ? MenuItem::mnuFigures0 : detail::Offset(MenuItem::mnuFigures1, repeat - 1);
}

static_assert(SpeedItem(1000) == MenuItem::mnuSpeed1000);
static_assert(SizeItem(30) == MenuItem::mnuSize30);
static_assert(ColorItem(7) == MenuItem::mnuColor7);
static_assert(FiguresItem(2) == MenuItem::mnuFigures2);

}  // namespace falbok
