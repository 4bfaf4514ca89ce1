#include "ToastTurns.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
bool sameToast(const ToastTurns::Toast& a, const ToastTurns::Toast& b)
{
    return a.text == b.text && a.kind == b.kind;
}
}

ToastTurns::ToastTurns(std::function<bool(const Toast&)> show, QObject* parent)
    : QObject(parent), m_show(std::move(show))
{
}

bool ToastTurns::mayShow(const Toast& toast)
{
    if (isUp()) {
        // The same toast again only starts its time over.
        if (toast.msecs > m_current.msecs || !holdsItsPlace(m_current) || sameToast(toast, m_current))
            return true;
    } else if (m_waiting.isEmpty()) {
        return true;
    }
    // Those given longer go first, as they would have taken the place of
    // the others had they come while those were up.
    if (std::none_of(m_waiting.cbegin(), m_waiting.cend(), [&toast](const Toast& t) { return sameToast(t, toast); })) {
        const auto later = std::find_if(m_waiting.begin(), m_waiting.end(),
                                        [&toast](const Toast& t) { return t.msecs < toast.msecs; });
        m_waiting.insert(later, toast);
    }
    // Between one toast going and the next turn, the waiting ones go first.
    if (!isUp())
        nextTurn();
    return false;
}

void ToastTurns::shown(const Toast& toast, const QList<QWidget*>& where)
{
    m_current = toast;
    m_showing.clear();
    for (QWidget* widget : where) {
        if (widget == nullptr || !widget->isVisible())
            continue;
        m_showing << widget;
        // Installed again, a filter is not doubled.
        widget->installEventFilter(this);
    }
}

bool ToastTurns::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && !m_waiting.isEmpty()
        && std::any_of(m_showing.cbegin(), m_showing.cend(), [watched](const QPointer<QWidget>& w) { return w == watched; }))
        nextTurn();
    return QObject::eventFilter(watched, event);
}

bool ToastTurns::holdsItsPlace(const Toast& toast)
{
    // A success only says that all went well; a toast of a moment holds
    // nothing that needs reading.
    return toast.kind != kSuccess && toast.msecs > kMomentMsecs;
}

bool ToastTurns::isUp() const
{
    return std::any_of(m_showing.cbegin(), m_showing.cend(),
                       [](const QPointer<QWidget>& w) { return w != nullptr && w->isVisible(); });
}

void ToastTurns::nextTurn()
{
    // Hidden while a toast takes its place, or hidden by the window it sits
    // in: which toast is up is known only once the hiding is over.
    if (m_turnPosted)
        return;
    m_turnPosted = true;
    QTimer::singleShot(0, this, [this]() {
        m_turnPosted = false;
        // A toast that found no window showing stands in no one's way.
        while (!isUp() && !m_waiting.isEmpty()) {
            if (!m_show(m_waiting.takeFirst()))
                m_waiting.clear();
        }
    });
}
