#include "WindowCompositing.h"

#include <QLayout>
#include <QWidget>
#include <QX11Info>

namespace {
int g_override = -1;
}

bool WindowCompositing::isAvailable()
{
    if (g_override >= 0)
        return g_override == 1;
    // Other window systems always compose.
    if (!QX11Info::isPlatformX11())
        return true;
    return QX11Info::isCompositingManagerRunning();
}

void WindowCompositing::setOverrideForTest(int state)
{
    g_override = state;
}

bool WindowCompositing::settleOpaque(QWidget* content)
{
    if (content == nullptr || isAvailable())
        return false;
    QWidget* window = content->window();
    window->setAttribute(Qt::WA_TranslucentBackground, false);
    // Set together with translucency; left on, nothing would paint the
    // background and the old contents of the screen would show through.
    window->setAttribute(Qt::WA_NoSystemBackground, false);
    if (window != content && content->parentWidget() == window && window->layout() != nullptr
        && window->layout()->indexOf(content) >= 0)
        window->layout()->setContentsMargins(0, 0, 0, 0);
    return true;
}
