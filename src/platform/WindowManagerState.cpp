#include "WindowManagerState.h"

#include <algorithm>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

// Last: the X headers define names the Qt headers use.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

// The managed windows' native ids, bottom first.
QList<unsigned long> stackedIds()
{
    QList<unsigned long> ids;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr || !QX11Info::isPlatformX11())
        return ids;
    Display* display = QX11Info::display();
    if (display == nullptr)
        return ids;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom name = XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False);
    if (XGetWindowProperty(display, QX11Info::appRootWindow(), name, 0, 65536, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) != Success || data == nullptr)
        return ids;
    for (unsigned long i = 0; format == 32 && i < count; ++i)
        ids << reinterpret_cast<const unsigned long*>(data)[i];
    XFree(data);
    return ids;
}

// A window's native window now: one made anew meanwhile is not what
// QWidget::winId() still says.
unsigned long idOf(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->winId() : 0;
}

} // namespace

QList<QWidget*> WindowManagerState::stacking(const QList<QWidget*>& windows)
{
    QList<QWidget*> ordered;
    for (unsigned long id : stackedIds()) {
        for (QWidget* window : windows) {
            if (window != nullptr && id != 0 && idOf(window) == id)
                ordered << window;
        }
    }
    return ordered;
}

void WindowManagerState::restoreOrder(const QList<QWidget*>& bottomFirst)
{
    const QList<QWidget*> now = stacking(bottomFirst);
    int highest = -1;
    bool raised = false;
    for (QWidget* window : bottomFirst) {
        const int at = now.indexOf(window);
        if (at < 0)
            continue;
        // Once one is raised, every window meant above it goes up after it.
        if (raised || at < highest) {
            window->raise();
            raised = true;
        }
        highest = std::max(highest, at);
    }
}

bool WindowManagerState::hasKeyboard(const QWidget* window)
{
    if (window == nullptr || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr
        || !QX11Info::isPlatformX11() || QX11Info::display() == nullptr)
        return false;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(QX11Info::display(), &focus, &revert);
    return focus != None && focus == idOf(window);
}

bool WindowManagerState::isIconic(const QWidget* window)
{
    if (window == nullptr || idOf(window) == 0 || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr
        || !QX11Info::isPlatformX11() || QX11Info::display() == nullptr)
        return false;
    Display* display = QX11Info::display();
    const Atom name = XInternAtom(display, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, idOf(window), name, 0, 2, False, name, &type, &format, &count, &after, &data)
            != Success
        || data == nullptr)
        return false;
    const bool iconic = format == 32 && count > 0 && reinterpret_cast<const unsigned long*>(data)[0] == IconicState;
    XFree(data);
    return iconic;
}
