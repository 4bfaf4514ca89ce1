#include "KeyScanCode.h"

#include <QHash>
#include <QKeyEvent>

namespace {

// Qt keys to the set-1 codes of a US layout; shifted symbols share the code
// of the key they sit on.
const QHash<int, int>& table()
{
    static const QHash<int, int> codes = []() {
        QHash<int, int> t;
        t.insert(Qt::Key_Escape, 0x01);
        const char digits[] = "1234567890";
        const int shifted[] = {Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign, Qt::Key_Dollar, Qt::Key_Percent,
                               Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk, Qt::Key_ParenLeft,
                               Qt::Key_ParenRight};
        for (int i = 0; i < 10; ++i) {
            t.insert(digits[i], 0x02 + i);
            t.insert(shifted[i], 0x02 + i);
        }
        const struct { int key; int code; } plain[] = {
            {Qt::Key_Minus, 0x0C}, {Qt::Key_Underscore, 0x0C}, {Qt::Key_Equal, 0x0D}, {Qt::Key_Plus, 0x0D},
            {Qt::Key_Backspace, 0x0E}, {Qt::Key_Tab, 0x0F}, {Qt::Key_Backtab, 0x0F},
            {Qt::Key_BracketLeft, 0x1A}, {Qt::Key_BraceLeft, 0x1A}, {Qt::Key_BracketRight, 0x1B},
            {Qt::Key_BraceRight, 0x1B}, {Qt::Key_Return, 0x1C}, {Qt::Key_Control, 0x1D},
            {Qt::Key_Semicolon, 0x27}, {Qt::Key_Colon, 0x27}, {Qt::Key_Apostrophe, 0x28},
            {Qt::Key_QuoteDbl, 0x28}, {Qt::Key_QuoteLeft, 0x29}, {Qt::Key_AsciiTilde, 0x29},
            {Qt::Key_Shift, 0x2A}, {Qt::Key_Backslash, 0x2B}, {Qt::Key_Bar, 0x2B}, {Qt::Key_Comma, 0x33},
            {Qt::Key_Less, 0x33}, {Qt::Key_Period, 0x34}, {Qt::Key_Greater, 0x34}, {Qt::Key_Slash, 0x35},
            {Qt::Key_Question, 0x35}, {Qt::Key_Space, 0x39}, {Qt::Key_CapsLock, 0x3A},
            {Qt::Key_NumLock, 0x45}, {Qt::Key_ScrollLock, 0x46}, {Qt::Key_F11, 0x57}, {Qt::Key_F12, 0x58},
            {Qt::Key_Enter, 0x1C | KeyScanCode::kExtended}, {Qt::Key_Home, 0x47 | KeyScanCode::kExtended},
            {Qt::Key_Up, 0x48 | KeyScanCode::kExtended}, {Qt::Key_PageUp, 0x49 | KeyScanCode::kExtended},
            {Qt::Key_Left, 0x4B | KeyScanCode::kExtended}, {Qt::Key_Right, 0x4D | KeyScanCode::kExtended},
            {Qt::Key_End, 0x4F | KeyScanCode::kExtended}, {Qt::Key_Down, 0x50 | KeyScanCode::kExtended},
            {Qt::Key_PageDown, 0x51 | KeyScanCode::kExtended}, {Qt::Key_Insert, 0x52 | KeyScanCode::kExtended},
            {Qt::Key_Delete, 0x53 | KeyScanCode::kExtended}, {Qt::Key_Meta, 0x5B | KeyScanCode::kExtended},
            {Qt::Key_Super_L, 0x5B | KeyScanCode::kExtended}, {Qt::Key_Super_R, 0x5C | KeyScanCode::kExtended},
            {Qt::Key_Menu, 0x5D | KeyScanCode::kExtended}};
        for (const auto& entry : plain)
            t.insert(entry.key, entry.code);
        const char rows[3][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
        const int starts[3] = {0x10, 0x1E, 0x2C};
        for (int row = 0; row < 3; ++row)
            for (int i = 0; rows[row][i] != '\0'; ++i)
                t.insert(rows[row][i], starts[row] + i);
        for (int i = 0; i < 9; ++i)
            t.insert(Qt::Key_F1 + i, 0x3B + i);
        return t;
    }();
    return codes;
}

} // namespace

int KeyScanCode::fromKeyEvent(const QKeyEvent* event)
{
    if (event == nullptr)
        return -1;
    const int key = event->key();
    if (key == Qt::Key_Alt || key == Qt::Key_AltGr || key == Qt::Key_F10
        || event->modifiers().testFlag(Qt::AltModifier))
        return -1;
    const int repeat = event->isAutoRepeat() ? kRepeat : 0;
#ifdef Q_OS_WIN
    // The window system's own code: scan code and extended flag as sent.
    if (event->nativeScanCode() != 0)
        return int(event->nativeScanCode() & 0x1FF) | repeat;
#endif
    return table().value(key, 0) | repeat;
}
