// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Qt keys to the game's key codes, which are Windows virtual-key codes.
#pragma once

#include <Qt>

#include <cstdint>

namespace falbok::qt {

// One key press as the window gets it.
struct KeyPress {
    int qtKey = 0;  // QKeyEvent::key(): the symbol in the layout in force
    Qt::KeyboardModifiers modifiers;
    // The physical key as an XKB keycode (the X11 and Wayland platforms
    // report it as the native scan code); 0 where the platform has none.
    std::uint32_t xkbKeycode = 0;
};

// Letter keys get the code of a letter as on Windows: a layout with Latin
// letters gives the letter printed on the key (the A key of a French
// keyboard is A); a layout with other letters gives the US letter of the
// same physical key, so W A S D and P stay under the player's fingers on
// Russian, Greek or Hebrew keyboards alike. The US letter comes from the
// platform's own US keymap, not from tables per alphabet.
class KeyTranslator {
public:
    // The virtual-key code of the key: letters and the keys the game knows;
    // 0 for any other key. The keypad's + and - have codes of their own,
    // told apart by the keypad modifier.
    std::int16_t VirtualKeyCode(const KeyPress& key);

private:
    // What the last letter key said of the layout in force. A symbol that is
    // no letter on a letter key (the apostrophe on the W key of the Hebrew
    // layout, the comma on the M key of the French one) means the US letter
    // only on a layout of another alphabet.
    enum class Layout : std::uint8_t { Unknown, Latin, OtherAlphabet };
    Layout layout_ = Layout::Unknown;
};

// The Shift, Ctrl and Alt state as the game's key handler takes it:
// 1 Shift, 2 Ctrl, 4 Alt, added up.
std::int16_t ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace falbok::qt
