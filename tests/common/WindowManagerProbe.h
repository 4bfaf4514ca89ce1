#pragma once

#include <QProcess>
#include <QStringList>

class QWidget;

// What the X server says of the client's top-level windows, for tests whose
// verdict is the window manager's: their stacking and a window's state atoms.
// Where the server runs no window manager, the test starts one (openbox,
// installed by scripts/install-deps.sh) and ends it again.
class WindowManagerProbe
{
public:
    ~WindowManagerProbe();
    // True once a window manager runs on the server and manages the window.
    bool ensureWindowManager(const QWidget* window);
    // Whether a's frame is above b's in the server's stacking.
    static bool stackedAbove(const QWidget* a, const QWidget* b);
    // The window's _NET_WM_STATE, without the prefix: "FULLSCREEN", "ABOVE".
    static QStringList states(const QWidget* window);

private:
    QProcess m_manager;
};
