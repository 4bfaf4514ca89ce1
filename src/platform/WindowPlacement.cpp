#include "WindowPlacement.h"

#include <QWidget>
#include <QWindow>

bool WindowPlacement::setAlwaysOnTop(QWidget* window, bool on)
{
    if (!window)
        return false;
    // Changing the flag on a QWidget hides it and creates a new native
    // window; on the QWindow the flag goes to the existing one in place. The
    // widget's own record of its flags changes with it: whatever the toolkit
    // later builds from that record (a native window made again, flags set
    // anew) keeps the window where the lock put it, not where it was before.
    if (QWindow* handle = window->windowHandle()) {
        window->overrideWindowFlags(on ? window->windowFlags() | Qt::WindowStaysOnTopHint
                                       : window->windowFlags() & ~Qt::WindowStaysOnTopHint);
        const Qt::WindowFlags flags = handle->flags();
        handle->setFlags(on ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint);
        if (window->isVisible())
            handle->raise();
        return true;
    }
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window->show();
    return false;
}
