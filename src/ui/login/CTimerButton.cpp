#include "CTimerButton.h"

#include <QTimer>

CTimerButton::CTimerButton(QWidget* parent) : QPushButton(parent)
{
    setCheckable(true);
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    setText(tr("Send Code"));
    setChecked(false);
    connect(m_timer, &QTimer::timeout, this, &CTimerButton::tick);
    // Made here so that a click starts the countdown before any page handler.
    connect(this, &QPushButton::clicked, this, &CTimerButton::start);
}

bool CTimerButton::isCounting() const
{
    return m_timer->isActive();
}

void CTimerButton::start()
{
    setChecked(true);
    setText(tr("%1s after").arg(m_seconds));
    m_timer->start();
}

void CTimerButton::tick()
{
    if (m_seconds == 0) {
        reset();
        emit sig_timeout();
        return;
    }
    --m_seconds;
    setText(tr("%1s after").arg(m_seconds));
}

void CTimerButton::reset()
{
    if (m_timer->isActive())
        m_timer->stop();
    m_seconds = 60;
    setText(tr("Send Code"));
    setChecked(false);
}
