#include "WindowWait.h"

#include "manager/CJobManager.h"

#include <QLineEdit>
#include <QVariant>

namespace {
// The dynamic property that marks a window waiting for a reply: it lives and
// dies with the window.
const char* const kWaiting = "windowWaitsForReply";
}

WindowWait::WindowWait(QWidget* window, const QList<QWidget*>& controls)
    : m_window(window), m_session(CJobManager::instance()->session())
{
    if (window == nullptr || isWaiting(window))
        return;
    m_started = true;
    window->setProperty(kWaiting, true);
    m_hadCursor = window->testAttribute(Qt::WA_SetCursor);
    m_cursor = window->cursor();
    window->setCursor(Qt::BusyCursor);
    for (QWidget* control : controls) {
        // A field keeps the keys and its place but takes no other text: what
        // it shows is what was sent.
        if (auto* field = qobject_cast<QLineEdit*>(control)) {
            m_controls.append({control, field->isReadOnly()});
            field->setReadOnly(true);
        } else {
            m_controls.append({control, control->isEnabled()});
            control->setEnabled(false);
        }
    }
}

WindowWait::~WindowWait()
{
    if (!m_started || !m_window)
        return;
    m_window->setProperty(kWaiting, QVariant());
    if (m_hadCursor)
        m_window->setCursor(m_cursor);
    else
        m_window->unsetCursor();
    for (const auto& control : qAsConst(m_controls)) {
        if (auto* field = qobject_cast<QLineEdit*>(control.first.data()))
            field->setReadOnly(control.second);
        else if (control.first)
            control.first->setEnabled(control.second);
    }
}

bool WindowWait::resumed() const
{
    return m_window && CJobManager::instance()->session() == m_session;
}

bool WindowWait::isWaiting(const QWidget* window)
{
    return window != nullptr && window->property(kWaiting).toBool();
}
