// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu bar as data: one row per entry, in the order they appear.
// The Qt window builds its menus from this table, and every command the
// player can choose is bound here to the game procedure it runs.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "engine/menu_items.h"

namespace falbok {

class Game;

struct MenuEntry {
    enum class Kind : std::uint8_t { Menu, Submenu, Item, Separator };

    MenuItem item;
    std::string_view name;           // the item's name, e.g. "mnuSpeed350"
    std::string_view caption;        // UTF-8, exactly as shown; "-" for a separator
    std::optional<MenuItem> parent;  // none for the two menus of the bar
    Kind kind;
    bool checked;  // mark as the window is defined
    bool enabled;
    std::string_view shortcut;  // e.g. "F2"; empty for none
    void (*command)(Game&);     // null where choosing the entry does nothing
};

// Every entry of the menu bar, depth first in screen order.
std::span<const MenuEntry> MenuTree();

// The entry of an item; every MenuItem has exactly one.
const MenuEntry& MenuEntryOf(MenuItem item);

}  // namespace falbok
