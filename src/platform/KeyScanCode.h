#pragma once

class QKeyEvent;

// The key-down code the editor's typing rules speak: a PC keyboard's set-1
// scan code in bits 0-7, the extended-key flag in bit 8 and the auto-repeat
// flag in bit 14. Windows hands this code over with every key-down; other
// window systems report their own key codes, so there it is derived from the
// key Qt decoded.
class KeyScanCode
{
public:
    static constexpr int kExtended = 0x100;
    static constexpr int kRepeat = 0x4000;
    // The code of a key press; -1 for a key that sends no ordinary key-down
    // (Alt, F10 and anything pressed with Alt held go to the window menu).
    // Keys without a place on a PC keyboard give 0.
    static int fromKeyEvent(const QKeyEvent* event);
};
