#include "window/qt/key_codes.h"

#include <array>
#include <utility>

#include "engine/game.h"

namespace falbok::qt {

namespace {

// Windows virtual-key codes of the punctuation keys of a US keyboard.
constexpr std::int16_t kSemicolon = 186;
constexpr std::int16_t kComma = 188;
constexpr std::int16_t kPeriod = 190;
constexpr std::int16_t kGrave = 192;
constexpr std::int16_t kOpenBracket = 219;
constexpr std::int16_t kCloseBracket = 221;
constexpr std::int16_t kQuote = 222;

// The Russian layout: each Cyrillic capital and the code of the key it sits
// on. Qt reports a Cyrillic letter key as the Unicode code of its capital.
constexpr std::array<std::pair<char16_t, std::int16_t>, 33> kCyrillic{{
    {u'Й', 'Q'},    {u'Ц', 'W'},     {u'У', 'E'},    {u'К', 'R'},        {u'Е', 'T'},          {u'Н', 'Y'},
    {u'Г', 'U'},    {u'Ш', 'I'},     {u'Щ', 'O'},    {u'З', 'P'},        {u'Х', kOpenBracket}, {u'Ъ', kCloseBracket},
    {u'Ф', 'A'},    {u'Ы', 'S'},     {u'В', 'D'},    {u'А', 'F'},        {u'П', 'G'},          {u'Р', 'H'},
    {u'О', 'J'},    {u'Л', 'K'},     {u'Д', 'L'},    {u'Ж', kSemicolon}, {u'Э', kQuote},       {u'Я', 'Z'},
    {u'Ч', 'X'},    {u'С', 'C'},     {u'М', 'V'},    {u'И', 'B'},        {u'Т', 'N'},          {u'Ь', 'M'},
    {u'Б', kComma}, {u'Ю', kPeriod}, {u'Ё', kGrave},
}};

}  // namespace

std::int16_t VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return static_cast<std::int16_t>(qtKey);  // Qt and Windows agree on letters
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return static_cast<std::int16_t>(keypad ? 96 + (qtKey - Qt::Key_0) : qtKey);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return static_cast<std::int16_t>(112 + (qtKey - Qt::Key_F1));
    }
    for (const auto& [letter, code] : kCyrillic) {
        if (qtKey == letter) {
            return code;
        }
    }
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
    case Qt::Key_Asterisk:
        return keypad ? 106 : 0;
    case Qt::Key_Slash:
        return keypad ? 111 : 191;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return kSemicolon;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return kComma;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return keypad ? 110 : kPeriod;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return kGrave;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return kOpenBracket;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return kCloseBracket;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return kQuote;
    default:
        return 0;
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
