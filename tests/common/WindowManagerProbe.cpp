#include "WindowManagerProbe.h"

#include <QTest>
#include <QWindow>
#include <QX11Info>

// Last: the X headers define names the Qt headers use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display* display()
{
    return QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
}

QList<unsigned long> property(Window window, const char* name)
{
    QList<unsigned long> values;
    Display* d = display();
    if (d == nullptr)
        return values;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, XInternAtom(d, name, False), 0, 4096, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success && data != nullptr) {
        if (format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i)
                values << items[i];
        }
        XFree(data);
    }
    return values;
}

// The child of the root window that holds the window: the window manager's
// frame around it, or the window itself.
Window topLevelOf(Window window)
{
    Display* d = display();
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, window, &root, &parent, &children, &count))
            return 0;
        if (children != nullptr)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
}

} // namespace

WindowManagerProbe::~WindowManagerProbe()
{
    if (m_manager.state() == QProcess::NotRunning)
        return;
    m_manager.terminate();
    m_manager.waitForFinished(5000);
}

bool WindowManagerProbe::ensureWindowManager(const QWidget* window)
{
    Display* d = display();
    if (d == nullptr)
        return false;
    // A window manager taking over a server first names itself, then takes
    // the windows already there in hand.
    const auto managing = [d, window]() {
        return !property(DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK").isEmpty()
               && property(DefaultRootWindow(d), "_NET_CLIENT_LIST").contains(xWindow(window));
    };
    if (managing())
        return true;
    if (property(DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK").isEmpty()) {
        m_manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!m_manager.waitForStarted())
            return false;
    }
    return QTest::qWaitFor(managing, 10000);
}

WId WindowManagerProbe::xWindow(const QWidget* window)
{
    const QWindow* handle = window->window()->windowHandle();
    return handle != nullptr ? handle->winId() : 0;
}

bool WindowManagerProbe::stackedAbove(const QWidget* a, const QWidget* b)
{
    Display* d = display();
    if (d == nullptr)
        return false;
    const Window topA = topLevelOf(Window(xWindow(a)));
    const Window topB = topLevelOf(Window(xWindow(b)));
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return false;
    int indexA = -1, indexB = -1;
    for (unsigned int i = 0; i < count; ++i) {
        if (children[i] == topA)
            indexA = int(i);
        if (children[i] == topB)
            indexB = int(i);
    }
    if (children != nullptr)
        XFree(children);
    // The root's children come bottom first.
    return indexA >= 0 && indexB >= 0 && indexA > indexB;
}

bool WindowManagerProbe::listedAbove(const QWidget* a, const QWidget* b)
{
    Display* d = display();
    if (d == nullptr)
        return false;
    const QList<unsigned long> stacking = property(DefaultRootWindow(d), "_NET_CLIENT_LIST_STACKING");
    const int indexA = stacking.indexOf(xWindow(a));
    const int indexB = stacking.indexOf(xWindow(b));
    return indexA >= 0 && indexB >= 0 && indexA > indexB;
}

QStringList WindowManagerProbe::states(const QWidget* window)
{
    QStringList names;
    Display* d = display();
    if (d == nullptr)
        return names;
    for (unsigned long atom : property(Window(xWindow(window)), "_NET_WM_STATE")) {
        if (char* name = XGetAtomName(d, Atom(atom))) {
            names << QString::fromLatin1(name).remove(QStringLiteral("_NET_WM_STATE_"));
            XFree(name);
        }
    }
    return names;
}
