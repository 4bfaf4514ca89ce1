#include "ActivationWatch.h"

#include "platform/WindowManagerState.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
// Long enough for a busy window manager to map the window.
constexpr int kCheckMsecs = 50;
constexpr int kChecks = 40;
}

ActivationWatch::ActivationWatch(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kCheckMsecs);
    connect(m_timer, &QTimer::timeout, this, &ActivationWatch::check);
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
}

bool ActivationWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        QWidget* widget = static_cast<QWidget*>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog)) {
            m_shown = widget;
            m_checksLeft = kChecks;
            m_timer->start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ActivationWatch::check()
{
    if (m_shown.isNull() || !m_shown->isVisible() || QApplication::activeWindow() != nullptr || --m_checksLeft <= 0) {
        m_timer->stop();
        return;
    }
    if (!WindowManagerState::hasKeyboard(m_shown))
        return;
    m_timer->stop();
    QApplication::setActiveWindow(m_shown);
}
