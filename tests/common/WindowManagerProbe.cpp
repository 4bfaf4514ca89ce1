#include "WindowManagerProbe.h"

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

// Last: the X headers define names the Qt headers use.
#include <X11/Xlib.h>

namespace {

QList<unsigned long> property(unsigned long window, const char* name)
{
    QList<unsigned long> values;
    Display* d = QX11Info::display();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, XInternAtom(d, name, False), 0, 4096, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success && data != nullptr) {
        for (unsigned long i = 0; format == 32 && i < count; ++i)
            values << reinterpret_cast<const unsigned long*>(data)[i];
        XFree(data);
    }
    return values;
}

// Its native window now: one made anew (a quick widget joined the window)
// is not what QWidget::winId() still says.
unsigned long xWindow(const QWidget* widget)
{
    const QWindow* handle = widget->window()->windowHandle();
    return handle != nullptr ? handle->winId() : 0;
}

// A window's children, bottom first.
QList<unsigned long> children(unsigned long window)
{
    QList<unsigned long> list;
    Window root = 0, parent = 0, *kids = nullptr;
    unsigned int count = 0;
    if (XQueryTree(QX11Info::display(), window, &root, &parent, &kids, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            list << kids[i];
        XFree(kids);
    }
    return list;
}

// The root's child that holds the window: the window manager's frame.
unsigned long frameOf(unsigned long window)
{
    for (;;) {
        Window root = 0, parent = 0, *kids = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(QX11Info::display(), window, &root, &parent, &kids, &count))
            return 0;
        XFree(kids);
        if (parent == root)
            return window;
        window = parent;
    }
}

} // namespace

WindowManagerProbe::~WindowManagerProbe()
{
    m_manager.terminate();
    m_manager.waitForFinished(5000);
}

bool WindowManagerProbe::ensureWindowManager(const QWidget* window)
{
    return ensureManaging([window]() { return xWindow(window); });
}

bool WindowManagerProbe::ensureWindowManager(unsigned long window)
{
    return ensureManaging([window]() { return window; });
}

bool WindowManagerProbe::ensureManaging(const std::function<unsigned long()>& window)
{
    if (!QX11Info::isPlatformX11())
        return false;
    const unsigned long root = QX11Info::appRootWindow();
    // A window manager that ended leaves the root's mark behind: a running
    // one's check window names itself.
    const QList<unsigned long> check = property(root, "_NET_SUPPORTING_WM_CHECK");
    if (check.isEmpty() || !property(check.first(), "_NET_SUPPORTING_WM_CHECK").contains(check.first())) {
        m_manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!m_manager.waitForStarted())
            return false;
    }
    // A window manager taking over names itself, then takes the windows in hand.
    return QTest::qWaitFor([&]() { return property(root, "_NET_CLIENT_LIST").contains(window()); }, 10000);
}

bool WindowManagerProbe::stackedAbove(const QWidget* a, const QWidget* b)
{
    const QList<unsigned long> stacking = children(QX11Info::appRootWindow());
    const int above = stacking.indexOf(frameOf(xWindow(a)));
    const int below = stacking.indexOf(frameOf(xWindow(b)));
    return above >= 0 && below >= 0 && above > below;
}

QStringList WindowManagerProbe::states(const QWidget* window)
{
    QStringList names;
    for (unsigned long atom : property(xWindow(window), "_NET_WM_STATE")) {
        char* name = XGetAtomName(QX11Info::display(), atom);
        names << QString::fromLatin1(name).remove(QStringLiteral("_NET_WM_STATE_"));
        XFree(name);
    }
    return names;
}

unsigned long WindowManagerProbe::activeWindow()
{
    return property(QX11Info::appRootWindow(), "_NET_ACTIVE_WINDOW").value(0, 0);
}
