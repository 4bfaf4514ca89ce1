#include "KeyboardHold.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSet>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>

namespace {

// While the keyboard is held every key is reported on the root window;
// each is addressed to the held-for window before Qt reads it, so it takes
// the same way as a key typed in that window, in the order typed.
class Redirect : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override
    {
        Q_UNUSED(result)
        if (eventType != "xcb_generic_event_t" || (!holding && !tail))
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        // An event carries the number of the last request the server had
        // done when it made the event: one below the release's was made
        // while the keyboard was still held.
        const bool beforeRelease = holding || qint16(quint16(event->sequence - releasedAt)) < 0;
        if (!beforeRelease) {
            tail = false;
            return false;
        }
        const quint8 type = event->response_type & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->event != QX11Info::appRootWindow())
            return false;
        if (type == XCB_KEY_PRESS && passOn && passOn(key->detail, key->state)) {
            passed.insert(key->detail);
            return false;
        }
        if (type == XCB_KEY_RELEASE && passed.remove(key->detail))
            return false;
        // With no window left to take them the keys go nowhere, as they
        // would have without the hold.
        if (!window || window->handle() == nullptr)
            return true;
        key->event = xcb_window_t(window->winId());
        key->child = XCB_NONE;
        key->event_x = 0;
        key->event_y = 0;
        return false;
    }

    QPointer<QWindow> window;
    std::function<bool(quint32, quint32)> passOn;
    // Key codes of presses left on their way, whose releases go with them.
    QSet<quint8> passed;
    bool holding = false;
    // Released, and keys read while the keyboard was held may still come.
    bool tail = false;
    quint16 releasedAt = 0;
};

Redirect* redirect()
{
    // Never destroyed: the event dispatcher may outlive any static.
    static auto* filter = new Redirect;
    return filter;
}

}

bool KeyboardHold::start(QWindow* window, std::function<bool(quint32 nativeKey, quint32 nativeState)> passOn)
{
    if (window == nullptr || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr
        || !QX11Info::isPlatformX11())
        return false;
    xcb_connection_t* connection = QX11Info::connection();
    if (connection == nullptr || xcb_connection_has_error(connection))
        return false;
    Redirect* filter = redirect();
    static bool installed = false;
    if (!installed) {
        QCoreApplication::instance()->installNativeEventFilter(filter);
        installed = true;
    }
    // Keys typed before the hold took went where the focus was; the root
    // window is always there to hold on to, whatever is mapped yet.
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        connection,
        xcb_grab_keyboard(connection, 0, QX11Info::appRootWindow(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                          XCB_GRAB_MODE_ASYNC),
        nullptr);
    const bool held = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    free(reply);
    if (!held)
        return false;
    filter->window = window;
    filter->passOn = std::move(passOn);
    filter->passed.clear();
    filter->holding = true;
    filter->tail = false;
    return true;
}

void KeyboardHold::stop()
{
    Redirect* filter = redirect();
    if (!filter->holding)
        return;
    filter->holding = false;
    xcb_connection_t* connection = QX11Info::connection();
    if (connection == nullptr)
        return;
    filter->releasedAt = quint16(xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME).sequence);
    filter->tail = true;
    xcb_flush(connection);
}

bool KeyboardHold::isHolding()
{
    return redirect()->holding;
}
