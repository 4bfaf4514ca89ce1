#pragma once

#include <QProcess>
#include <QStringList>
#include <QWidget>

// What the X server says of the client's top-level windows, for tests whose
// verdict is the window manager's (stacking, full screen, above): the order
// the server stacks them in, the order the window manager lists them in, and
// a window's state atoms. Where the server runs no window manager, the test
// starts one (openbox, installed by scripts/install-deps.sh) and ends it again.
class WindowManagerProbe
{
public:
    ~WindowManagerProbe();
    // True once a window manager runs on the server and manages the window.
    bool ensureWindowManager(const QWidget* window);
    // Whether a is above b in the server's stacking (their frames among the
    // root window's children).
    static bool stackedAbove(const QWidget* a, const QWidget* b);
    // Whether the window manager lists a above b (_NET_CLIENT_LIST_STACKING).
    static bool listedAbove(const QWidget* a, const QWidget* b);
    // The window's _NET_WM_STATE, without the prefix: "FULLSCREEN", "ABOVE".
    static QStringList states(const QWidget* window);
    // The X window of a top-level widget. Its native window may have been made
    // anew (a quick widget added to it), which QWidget::winId() misses.
    static WId xWindow(const QWidget* window);

private:
    QProcess m_manager;
};
