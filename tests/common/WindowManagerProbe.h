#pragma once

#include <QProcess>
#include <QStringList>

#include <functional>

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
    // The same for a native window, of this program or another.
    bool ensureWindowManager(unsigned long window);
    // Whether a's frame is above b's in the server's stacking.
    static bool stackedAbove(const QWidget* a, const QWidget* b);
    // The window's _NET_WM_STATE, without the prefix: "FULLSCREEN", "ABOVE".
    static QStringList states(const QWidget* window);
    // The window the window manager gave the keys to, of any program.
    static unsigned long activeWindow();

private:
    bool ensureManaging(const std::function<unsigned long()>& window);
    QProcess m_manager;
};
