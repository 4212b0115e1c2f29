// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/qt/key_codes.h"

#include <QChar>

#include <xkbcommon/xkbcommon.h>

#include <cstdarg>

#include "engine/game.h"

namespace falbok::qt {

namespace {

// The US layout as the platform's keyboard library compiles it, made the
// first time a key needs it: most players never press a letter of another
// alphabet, and compiling a keymap costs milliseconds at start-up.
class UsKeymap {
public:
    UsKeymap()
    {
        context_ = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
        if (context_ == nullptr) {
            return;
        }
        // A missing keyboard description is no error of the game's: the
        // letters then come from the layout in force alone, without a word.
        xkb_context_set_log_fn(context_, [](xkb_context*, xkb_log_level, const char*, va_list) {});
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    ~UsKeymap()
    {
        xkb_keymap_unref(keymap_);
        xkb_context_unref(context_);
    }
    UsKeymap(const UsKeymap&) = delete;
    UsKeymap& operator=(const UsKeymap&) = delete;

    char LetterOf(std::uint32_t keycode) const
    {
        if (keymap_ == nullptr) {
            return 0;
        }
        const xkb_keysym_t* symbols = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap_, keycode, 0, 0, &symbols) != 1) {
            return 0;
        }
        const xkb_keysym_t symbol = symbols[0];
        return symbol >= XKB_KEY_a && symbol <= XKB_KEY_z ? static_cast<char>('A' + (symbol - XKB_KEY_a)) : 0;
    }

private:
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
};

bool IsLatinLetter(int qtKey) { return qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z; }

// A letter of any alphabet, as Qt reports it: the Unicode code of the capital.
bool IsLetter(int qtKey) { return qtKey > 0 && qtKey <= 0x10FFFF && QChar::isLetter(static_cast<char32_t>(qtKey)); }

std::int16_t OtherKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
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

// The US letter ('A'..'Z') on the key with this XKB keycode, or 0.
char UsLetterOfKey(std::uint32_t xkbKeycode)
{
    if (xkbKeycode == 0) {
        return 0;
    }
    static const UsKeymap us;
    return us.LetterOf(xkbKeycode);
}

}  // namespace

std::int16_t KeyTranslator::VirtualKeyCode(const KeyPress& key)
{
    if (IsLatinLetter(key.qtKey)) {
        layout_ = Layout::Latin;
        return static_cast<std::int16_t>(key.qtKey);  // Qt and Windows agree on Latin letters
    }
    if (IsLetter(key.qtKey)) {
        layout_ = QChar::script(static_cast<char32_t>(key.qtKey)) == QChar::Script_Latin ? Layout::Latin
                                                                                         : Layout::OtherAlphabet;
        return UsLetterOfKey(key.xkbKeycode);  // 0 where the US key bears no letter either
    }
    const std::int16_t code = OtherKeyCode(key.qtKey, key.modifiers);
    if (code != 0 || layout_ != Layout::OtherAlphabet) {
        return code;
    }
    return UsLetterOfKey(key.xkbKeycode);
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
