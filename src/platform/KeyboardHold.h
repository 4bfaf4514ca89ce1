#pragma once

#include <QtGlobal>

#include <functional>

class QWindow;

// The keys typed while the program's windows come back, for the window that
// had them. Until the window manager has mapped that window and handed it the
// keyboard, the X server would send them to whatever has the focus meanwhile:
// nothing (they are dropped) or a window mapped on the way. Held, every key
// comes to the program and goes to that window, in the order typed, however
// long the window manager takes. X11 only; elsewhere nothing is held. GUI
// thread only.
class KeyboardHold
{
public:
    // Holds the keyboard for the window until stop(). Keys passOn names (by
    // key code and modifier bits), such as the program's own hot keys, keep
    // their way. False where the window system refused (another program
    // holds the keyboard) or has no keyboard to hold.
    static bool start(QWindow* window, std::function<bool(quint32 nativeKey, quint32 nativeState)> passOn);
    // Lets the keyboard go; keys the window system sent before still reach
    // the window held for.
    static void stop();
    static bool isHolding();
};
