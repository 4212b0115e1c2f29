// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/menu_tree.h"

#include <array>
#include <cstdint>

#include "engine/game.h"

namespace falbok {

namespace {

using Kind = MenuEntry::Kind;
using enum MenuItem;

// Commands of the families that differ only by a number.
template <std::int16_t N>
void Size(Game& g)
{
    g.mnuSize_Click(N);
}
template <std::uint8_t N>
void Esc(Game& g)
{
    g.mnuESC_Click(N);
}
template <std::int32_t N>
void Speed(Game& g)
{
    g.mnuSpeed_Click(N);
}
template <std::uint8_t N>
void Back(Game& g)
{
    g.mnuBackColor_Click(N);
}
template <std::int16_t N>
void Colour(Game& g)
{
    g.mnuColor_Click(N);
}
template <std::uint8_t N>
void Figures(Game& g)
{
    g.mnuFigures_Click(N);
}

constexpr MenuEntry Menu(MenuItem item, std::string_view name, std::string_view caption)
{
    return {item, name, caption, std::nullopt, Kind::Menu, false, true, {}, nullptr};
}
constexpr MenuEntry Sub(MenuItem item, std::string_view name, std::string_view caption, MenuItem parent)
{
    return {item, name, caption, parent, Kind::Submenu, false, true, {}, nullptr};
}
constexpr MenuEntry Line(MenuItem item, std::string_view name, MenuItem parent)
{
    return {item, name, "-", parent, Kind::Separator, false, true, {}, nullptr};
}
constexpr MenuEntry Item(MenuItem item, std::string_view name, std::string_view caption, MenuItem parent,
                         void (*command)(Game&))
{
    return {item, name, caption, parent, Kind::Item, false, true, {}, command};
}
constexpr MenuEntry Hint(MenuItem item, std::string_view name, std::string_view caption, MenuItem parent)
{
    return {item, name, caption, parent, Kind::Item, false, false, {}, nullptr};
}

constexpr std::array kTree{
    Menu(mnuMenu, "mnuMenu", "Игра"),
    MenuEntry{mnuNew, "mnuNew", "Заново", mnuMenu, Kind::Item, false, true, "F2", [](Game& g) { g.mnuNew_Click(); }},
    Line(r1, "r1", mnuMenu),
    Item(mnuPause, "mnuPause", "Пауза [PAUSE] [P]", mnuMenu, [](Game& g) { g.mnuPause_Click(); }),

    Menu(mnuOptions, "mnuOptions", "Настройки"),
    Sub(mnuSize, "mnuSize", "Размер", mnuOptions),
    Item(mnuSize12, "mnuSize12", "12х12", mnuSize, &Size<12>),  // Cyrillic х
    Item(mnuSize18, "mnuSize18", "18x18", mnuSize, &Size<18>),
    Item(mnuSize24, "mnuSize24", "24х24", mnuSize, &Size<24>),  // Cyrillic х
    Item(mnuSize30, "mnuSize30", "30x30", mnuSize, &Size<30>),

    Sub(mnuESC, "mnuESC", "ESC", mnuOptions),
    Item(mnuESC0, "mnuESC0", "Не назначено", mnuESC, &Esc<0>),
    Item(mnuESC1, "mnuESC1", "Пауза", mnuESC, &Esc<1>),
    Item(mnuESC2, "mnuESC2", "Свернуть", mnuESC, &Esc<2>),
    Item(mnuESC3, "mnuESC3", "Закрыть игру", mnuESC, &Esc<3>),

    Sub(mnuSpeed, "mnuSpeed", "Скорость", mnuOptions),
    Hint(mnuPageUp, "mnuPageUp", "[PAGE UP] [+]", mnuSpeed),
    Line(r2, "r2", mnuSpeed),
    Item(mnuSpeed50, "mnuSpeed50", "20", mnuSpeed, &Speed<50>),
    Item(mnuSpeed100, "mnuSpeed100", "19", mnuSpeed, &Speed<100>),
    Item(mnuSpeed150, "mnuSpeed150", "18", mnuSpeed, &Speed<150>),
    Line(r3, "r3", mnuSpeed),
    Item(mnuSpeed200, "mnuSpeed200", "17", mnuSpeed, &Speed<200>),
    Item(mnuSpeed250, "mnuSpeed250", "16", mnuSpeed, &Speed<250>),
    Item(mnuSpeed300, "mnuSpeed300", "15", mnuSpeed, &Speed<300>),
    Item(mnuSpeed350, "mnuSpeed350", "14", mnuSpeed, &Speed<350>),
    Item(mnuSpeed400, "mnuSpeed400", "13", mnuSpeed, &Speed<400>),
    Item(mnuSpeed450, "mnuSpeed450", "12", mnuSpeed, &Speed<450>),
    Line(r4, "r4", mnuSpeed),
    Item(mnuSpeed500, "mnuSpeed500", "11", mnuSpeed, &Speed<500>),
    Item(mnuSpeed550, "mnuSpeed550", "10", mnuSpeed, &Speed<550>),
    Item(mnuSpeed600, "mnuSpeed600", "9", mnuSpeed, &Speed<600>),
    Item(mnuSpeed650, "mnuSpeed650", "8", mnuSpeed, &Speed<650>),
    Item(mnuSpeed700, "mnuSpeed700", "7", mnuSpeed, &Speed<700>),
    Item(mnuSpeed750, "mnuSpeed750", "6", mnuSpeed, &Speed<750>),
    Item(mnuSpeed800, "mnuSpeed800", "5", mnuSpeed, &Speed<800>),
    Item(mnuSpeed850, "mnuSpeed850", "4", mnuSpeed, &Speed<850>),
    Item(mnuSpeed900, "mnuSpeed900", "3", mnuSpeed, &Speed<900>),
    Item(mnuSpeed950, "mnuSpeed950", "2", mnuSpeed, &Speed<950>),
    Item(mnuSpeed1000, "mnuSpeed1000", "1", mnuSpeed, &Speed<1000>),
    Line(r5, "r5", mnuSpeed),
    Hint(mnuPageDown, "mnuPageDown", "[PAGE DOWN] [-]", mnuSpeed),

    Sub(mnuBackColor, "mnuBackColor", "Цвет фона", mnuOptions),
    Item(mnuBackColor1, "mnuBackColor1", "Без фона", mnuBackColor, &Back<1>),
    Item(mnuBackColor2, "mnuBackColor2", "Светлый", mnuBackColor, &Back<2>),
    MenuEntry{mnuBackColor3, "mnuBackColor3", "Тёмный", mnuBackColor, Kind::Item, true, true, {}, &Back<3>},

    Sub(mnuColors, "mnuColors", "Цвета", mnuOptions),
    Item(mnuColors7, "mnuColors7", "Разные", mnuColors, [](Game& g) { g.mnuColors7_Click(); }),
    Line(r6, "r6", mnuColors),
    Item(mnuColor1, "mnuColor1", "Красный", mnuColors, &Colour<1>),
    Item(mnuColor2, "mnuColor2", "Оранжевый", mnuColors, &Colour<2>),
    Item(mnuColor3, "mnuColor3", "Желтый", mnuColors, &Colour<3>),
    Item(mnuColor4, "mnuColor4", "Зеленый", mnuColors, &Colour<4>),
    Item(mnuColor5, "mnuColor5", "Голубой", mnuColors, &Colour<5>),
    Item(mnuColor6, "mnuColor6", "Синий", mnuColors, &Colour<6>),
    Item(mnuColor7, "mnuColor7", "Фиолетовый", mnuColors, &Colour<7>),
    Line(r7, "r7", mnuColors),
    Item(mnuColors1, "mnuColors1", "Один", mnuColors, [](Game& g) { g.mnuColors1_Click(); }),

    Sub(mnuFigures, "mnuFigures", "Появление", mnuOptions),
    Item(mnuFigures0, "mnuFigures0", "Случайные", mnuFigures, &Figures<0>),
    Line(r8, "r8", mnuFigures),
    Item(mnuFigures1, "mnuFigures1", "По 2 одинаковых", mnuFigures, &Figures<1>),
    Item(mnuFigures2, "mnuFigures2", "По 3 одинаковых", mnuFigures, &Figures<2>),
    Line(r9, "r9", mnuFigures),
    Item(mnuFiguresABC, "mnuFiguresABC", "По очереди", mnuFigures, [](Game& g) { g.mnuFiguresABC_Click(); }),

    Line(r10, "r10", mnuOptions),
    Item(mnuMouse, "mnuMouse", "Управлять мышкой", mnuOptions, [](Game& g) { g.mnuMouse_Click(); }),
};

static_assert(kTree.size() == kMenuItemCount, "every menu item has exactly one entry");

// Entry index for each item, built once from the table.
constexpr std::array<std::uint8_t, kMenuItemCount> kIndexOf = [] {
    std::array<std::uint8_t, kMenuItemCount> index{};
    for (std::size_t i = 0; i < kTree.size(); ++i) {
        index[static_cast<std::size_t>(kTree[i].item)] = static_cast<std::uint8_t>(i);
    }
    return index;
}();

}  // namespace

std::span<const MenuEntry> MenuTree() { return kTree; }

const MenuEntry& MenuEntryOf(MenuItem item) { return kTree[kIndexOf[static_cast<std::size_t>(item)]]; }

}  // namespace falbok
