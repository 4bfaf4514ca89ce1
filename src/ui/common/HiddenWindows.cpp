#include "ui/common/HiddenWindows.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

bool HiddenWindows::isProgramWindow(const QWidget* window)
{
    return window->isWindow() && window->windowType() != Qt::Desktop
        && !window->windowFlags().testFlag(Qt::BypassWindowManagerHint) && !window->inherits("QSystemTrayIconSys");
}

void HiddenWindows::hide(const QList<QWidget*>& except)
{
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && !except.contains(active))
        m_keys = active;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || except.contains(top) || !isProgramWindow(top))
            continue;
        if (QWindow* window = top->windowHandle())
            window->hide();
        else
            top->hide();
        const Qt::WindowType kind = top->windowType();
        if (kind != Qt::Window && kind != Qt::Dialog && kind != Qt::Tool)
            continue;
        // From here on only the program's own hide, end or close marks it
        // as closed.
        top->setAttribute(Qt::WA_WState_ExplicitShowHide, false);
        if (!contains(top)) {
            m_windows.append(top);
            top->installEventFilter(this);
        }
    }
}

void HiddenWindows::show()
{
    QList<QWidget*> windows;
    for (const QPointer<QWidget>& window : qAsConst(m_windows)) {
        if (!window)
            continue;
        window->removeEventFilter(this);
        if (!window->isVisible() && !window->testAttribute(Qt::WA_WState_ExplicitShowHide))
            windows.append(window);
    }
    m_windows.clear();
    const auto rank = [](const QWidget* window) {
        int rank = window->isModal() ? 1000 : 0;
        for (const QWidget* owner = window->parentWidget(); owner != nullptr; owner = owner->parentWidget())
            ++rank;
        return rank;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&rank](const QWidget* a, const QWidget* b) { return rank(a) < rank(b); });
    for (QWidget* window : qAsConst(windows))
        window->show();
    QWidget* keys = m_keys ? m_keys.data() : QApplication::activeModalWidget();
    m_keys.clear();
    if (keys != nullptr && keys->isVisible()) {
        keys->raise();
        keys->activateWindow();
    }
}

bool HiddenWindows::contains(const QWidget* window) const
{
    return std::any_of(m_windows.cbegin(), m_windows.cend(),
                       [window](const QPointer<QWidget>& hidden) { return hidden.data() == window; });
}

void HiddenWindows::clear()
{
    for (const QPointer<QWidget>& window : qAsConst(m_windows)) {
        if (window)
            window->removeEventFilter(this);
    }
    m_windows.clear();
    m_keys.clear();
}

bool HiddenWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Close || m_closing.contains(watched))
        return false;
    // Whether the close was taken is known only once the window had its say
    // (a memo whose text no row takes stays open): it is handed on first.
    const QPointer<QObject> window = watched;
    m_closing.insert(watched);
    QCoreApplication::sendEvent(watched, event);
    m_closing.remove(watched);
    if (!window)
        forget(nullptr);
    else if (event->isAccepted())
        forget(watched);
    return true;
}

void HiddenWindows::forget(QObject* window)
{
    if (window != nullptr)
        window->removeEventFilter(this);
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [window](const QPointer<QWidget>& hidden) { return hidden.data() == window; }),
                    m_windows.end());
}
