#include "GlobalHotKey.h"

#include <QGuiApplication>
#include <QX11Info>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

// Lock keys are part of an X key event's state: a combination is taken once
// for each lock state, so that Caps Lock or Num Lock do not hide it.
const quint32 kLockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
const quint32 kModifierMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

KeySym keysymOf(Qt::Key key)
{
    switch (key) {
    case Qt::Key_Escape: return XK_Escape;
    case Qt::Key_Space: return XK_space;
    // The four operators are the keypad's, as a hot key means them.
    case Qt::Key_Asterisk: return XK_KP_Multiply;
    case Qt::Key_Plus: return XK_KP_Add;
    case Qt::Key_Minus: return XK_KP_Subtract;
    case Qt::Key_Slash: return XK_KP_Divide;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return XK_Tab;
    case Qt::Key_Backspace: return XK_BackSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return XK_Return;
    case Qt::Key_Insert: return XK_Insert;
    case Qt::Key_Delete: return XK_Delete;
    case Qt::Key_Pause: return XK_Pause;
    case Qt::Key_Print: return XK_Print;
    case Qt::Key_Clear: return XK_Clear;
    case Qt::Key_Home: return XK_Home;
    case Qt::Key_End: return XK_End;
    case Qt::Key_Left: return XK_Left;
    case Qt::Key_Up: return XK_Up;
    case Qt::Key_Right: return XK_Right;
    case Qt::Key_Down: return XK_Down;
    case Qt::Key_PageUp: return XK_Prior;
    case Qt::Key_PageDown: return XK_Next;
    case Qt::Key_VolumeDown: return XF86XK_AudioLowerVolume;
    case Qt::Key_VolumeMute: return XF86XK_AudioMute;
    case Qt::Key_VolumeUp: return XF86XK_AudioRaiseVolume;
    case Qt::Key_MediaPlay: return XF86XK_AudioPlay;
    case Qt::Key_MediaStop: return XF86XK_AudioStop;
    case Qt::Key_MediaPrevious: return XF86XK_AudioPrev;
    case Qt::Key_MediaNext: return XF86XK_AudioNext;
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    // Any other key is its character: Latin-1 keysyms are the code points,
    // the rest of Unicode is offset.
    const uint code = uint(key) & 0xffff;
    if (code == 0)
        return NoSymbol;
    if ((code >= 0x20 && code <= 0x7e) || (code >= 0xa0 && code <= 0xff))
        return code;
    return 0x01000000 | code;
}

// The key codes of a US keyboard on the usual X server (evdev): used when
// the current layout has no key for a letter or digit.
quint32 usLayoutKeycode(uint code)
{
    struct Row { const char* keys; quint32 first; };
    static const Row rows[] = {{"1234567890", 10}, {"qwertyuiop", 24}, {"asdfghjkl", 38}, {"zxcvbnm", 52}};
    for (const Row& row : rows) {
        for (quint32 i = 0; row.keys[i]; ++i) {
            if (uint(uchar(row.keys[i])) == code)
                return row.first + i;
        }
    }
    return 0;
}

bool grab(quint32 nativeKey, quint32 nativeMods, bool take)
{
    xcb_connection_t* connection = QX11Info::connection();
    const xcb_window_t root = QX11Info::appRootWindow();
    bool ok = true;
    for (quint32 lock : kLockMasks) {
        const uint16_t mods = uint16_t(nativeMods | lock);
        // The keyboard waits from a press until the program has acted on it
        // (thawKeyboard): keys typed at once after it then follow what it did
        // (the windows brought back take them) instead of going to whatever
        // has the focus while the windows come back.
        const xcb_void_cookie_t cookie = take
            ? xcb_grab_key_checked(connection, 1, root, mods, xcb_keycode_t(nativeKey),
                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC)
            : xcb_ungrab_key_checked(connection, xcb_keycode_t(nativeKey), root, mods);
        // Each request is checked: another client holding the combination
        // answers with an access error, which must not go unseen.
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            ok = false;
            free(error);
        }
    }
    return ok;
}

}

bool GlobalHotKey::isAvailable()
{
    return QX11Info::isPlatformX11() && QX11Info::display() && QX11Info::connection();
}

quint32 GlobalHotKey::nativeKeycode(Qt::Key key)
{
    if (!isAvailable())
        return 0;
    const KeySym symbol = keysymOf(key);
    if (symbol == NoSymbol)
        return 0;
    const quint32 code = XKeysymToKeycode(QX11Info::display(), symbol);
    if (code != 0)
        return code;
    return usLayoutKeycode(uint(key) & 0xffff);
}

quint32 GlobalHotKey::nativeModifiers(Qt::KeyboardModifiers modifiers)
{
    quint32 native = 0;
    if (modifiers & Qt::ShiftModifier)
        native |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        native |= ControlMask;
    if (modifiers & Qt::AltModifier)
        native |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        native |= Mod4Mask;
    return native;
}

bool GlobalHotKey::registerShortCut(quint32 nativeKey, quint32 nativeMods)
{
    if (nativeKey == 0 || !isAvailable())
        return false;
    if (grab(nativeKey, nativeMods, true))
        return true;
    // Half a combination is no use to anyone: give back what was taken.
    grab(nativeKey, nativeMods, false);
    return false;
}

bool GlobalHotKey::unregisterShortCut(quint32 nativeKey, quint32 nativeMods)
{
    if (nativeKey == 0 || !isAvailable())
        return false;
    return grab(nativeKey, nativeMods, false);
}

void GlobalHotKey::thawKeyboard()
{
    if (!isAvailable())
        return;
    // Without effect where the keyboard does not wait for this program.
    xcb_connection_t* connection = QX11Info::connection();
    xcb_allow_events(connection, XCB_ALLOW_ASYNC_KEYBOARD, XCB_CURRENT_TIME);
    xcb_flush(connection);
}

bool GlobalHotKey::readKeyPress(const QByteArray& eventType, void* message, Press& press)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    auto* key = static_cast<xcb_key_press_event_t*>(message);
    // A taken combination is reported to the window it was taken on, the
    // root window; presses in our own windows name those windows.
    press.hotKey = key->event == QX11Info::appRootWindow();
    // While a client holds the keyboard, the server takes no combination
    // for the root window and hands every key to that client alone: a taken
    // combination that reached our own window from the server (not sent by
    // another program) came past a grab of ours. One with a modifier it was
    // not taken with (Scroll Lock, AltGr) never counts.
    const bool sent = (event->response_type & 0x80) != 0;
    const quint32 untaken = key->state & ~(kModifierMask | LockMask | Mod2Mask) & 0xff;
    press.grabbedHere = !press.hotKey && !sent && untaken == 0;
    press.nativeKey = key->detail;
    press.nativeMods = key->state & kModifierMask;
    return true;
}
