// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/qt/key_codes.h"

#include <array>
#include <utility>

#include "engine/game.h"

namespace falbok::qt {

namespace {

// The Russian layout: each Cyrillic capital on a letter key and the Latin
// letter of that key. Qt reports a Cyrillic letter key as the Unicode code
// of its capital.
constexpr std::array<std::pair<char16_t, char>, 26> kCyrillic{{
    {u'Й', 'Q'}, {u'Ц', 'W'}, {u'У', 'E'}, {u'К', 'R'}, {u'Е', 'T'}, {u'Н', 'Y'}, {u'Г', 'U'}, {u'Ш', 'I'}, {u'Щ', 'O'},
    {u'З', 'P'}, {u'Ф', 'A'}, {u'Ы', 'S'}, {u'В', 'D'}, {u'А', 'F'}, {u'П', 'G'}, {u'Р', 'H'}, {u'О', 'J'}, {u'Л', 'K'},
    {u'Д', 'L'}, {u'Я', 'Z'}, {u'Ч', 'X'}, {u'С', 'C'}, {u'М', 'V'}, {u'И', 'B'}, {u'Т', 'N'}, {u'Ь', 'M'},
}};

}  // namespace

std::int16_t VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return static_cast<std::int16_t>(qtKey);  // Qt and Windows agree on letters
    }
    for (const auto& [letter, latin] : kCyrillic) {
        if (qtKey == letter) {
            return latin;
        }
    }
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (qtKey) {
    case Qt::Key_Escape:
        return key::kEscape;
    case Qt::Key_Pause:
        return key::kPause;
    case Qt::Key_Space:
        return key::kSpace;
    case Qt::Key_PageUp:
        return key::kPageUp;
    case Qt::Key_PageDown:
        return key::kPageDown;
    case Qt::Key_Left:
        return key::kLeft;
    case Qt::Key_Up:
        return key::kUp;
    case Qt::Key_Right:
        return key::kRight;
    case Qt::Key_Down:
        return key::kDown;
    case Qt::Key_Plus:
        return keypad ? key::kNumpadPlus : key::kPlus;
    case Qt::Key_Equal:
        return key::kPlus;
    case Qt::Key_Minus:
        return keypad ? key::kNumpadMinus : key::kMinus;
    case Qt::Key_Underscore:
        return key::kMinus;
    default:
        return 0;  // a key the game has no use for
    }
}

std::int16_t ShiftState(Qt::KeyboardModifiers modifiers)
{
    std::int16_t state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        state += 1;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        state += 2;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        state += 4;
    }
    return state;
}

}  // namespace falbok::qt
