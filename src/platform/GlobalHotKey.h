#pragma once

#include <QByteArray>
#include <Qt>

// The window system's side of system-wide hot keys: turns Qt keys and
// modifiers into the window system's key codes and modifier bits, takes and
// releases a combination for the whole desktop, and reads key presses out of
// the native events the application receives. GUI thread only.
class GlobalHotKey
{
public:
    // A key press seen in a native event.
    struct Press
    {
        bool hotKey = false;     // a taken combination, whichever program has the focus
        // Reported to one of the program's windows, where a taken combination
        // arrives while the program holds the keyboard itself (an open menu
        // or other popup grabs it): pressed as the combination all the same.
        bool grabbedHere = false;
        quint32 nativeKey = 0;   // the window system's key code
        quint32 nativeMods = 0;  // the modifier bits of nativeModifiers(), lock keys left out
    };

    // False when there is no window system to talk to (a headless platform).
    static bool isAvailable();
    // The key code for a Qt key (no modifiers); 0 when the keyboard has none.
    static quint32 nativeKeycode(Qt::Key key);
    static quint32 nativeModifiers(Qt::KeyboardModifiers modifiers);
    // Takes the combination for this program; false when the window system
    // refuses (another program holds it) or when nativeKey is 0.
    static bool registerShortCut(quint32 nativeKey, quint32 nativeMods);
    static bool unregisterShortCut(quint32 nativeKey, quint32 nativeMods);
    // A press of a taken combination holds every later key of the keyboard
    // back until this is called (or the program takes the keyboard itself);
    // called once the press is acted on, and at once for a press that is not.
    static void thawKeyboard();
    // True when the event is a key press; fills press.
    static bool readKeyPress(const QByteArray& eventType, void* message, Press& press);
};
