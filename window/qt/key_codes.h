// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Qt keys to the game's key codes, which are Windows virtual-key codes.
#pragma once

#include <Qt>

#include <cstdint>

namespace falbok::qt {

// The virtual-key code of a Qt key: letters and the keys the game knows;
// 0 for any other key. Letters map by their place on the keyboard, so the
// Cyrillic letters of the Russian layout give the codes of the Latin letters
// on the same keys (Ц is W, Ф is A, Ы is S, В is D, З is P). The keypad's +
// and - have codes of their own, told apart by the keypad modifier.
std::int16_t VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The Shift, Ctrl and Alt state as the game's key handler takes it:
// 1 Shift, 2 Ctrl, 4 Alt, added up.
std::int16_t ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace falbok::qt
