#pragma once

#include <QList>

class QWidget;

// What the window manager says of the program's windows: the order it stacks
// them in. Only an X11 desktop with a window manager says anything; elsewhere
// the lists are empty and the windows keep whatever order they have.
class WindowManagerState
{
public:
    // Those of the windows the window manager stacks, bottom first.
    static QList<QWidget*> stacking(const QList<QWidget*>& windows);
    // Raises only the windows found out of the given order (bottom first),
    // so that the window manager stacks them in it again.
    static void restoreOrder(const QList<QWidget*>& bottomFirst);
    // Whether the X server sends the keyboard's keys to this window; false
    // where nothing says so.
    static bool hasKeyboard(const QWidget* window);
    // Whether the window manager keeps the window iconified (minimised);
    // false where nothing says so.
    static bool isIconic(const QWidget* window);
};
