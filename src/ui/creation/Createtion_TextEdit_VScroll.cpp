#include "Createtion_TextEdit_VScroll.h"

#include "common/ServerClock.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

Createtion_TextEdit_VScroll::Createtion_TextEdit_VScroll(QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
    , m_qss(CQssManager::instance())
    , m_uiManager(CUiManager::instance())
{
    m_effect = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(m_effect);
    m_fade = new QPropertyAnimation(m_effect, "opacity", this);
    m_fade->setDuration(300);
    m_fade->setEasingCurve(QEasingCurve::Linear);
    m_scroll = new QPropertyAnimation(this, "value", this);
    m_scroll->setDuration(800);
    m_scroll->setEasingCurve(QEasingCurve::OutQuint);
    setAttribute(Qt::WA_MouseTracking);
    clean();
    connect(m_uiManager, SIGNAL(sig_CleanCreationScroll()), this, SLOT(clean()));
    connect(m_uiManager, SIGNAL(sig_CreationScrollTimer()), this, SLOT(onTimer()));
}

QString Createtion_TextEdit_VScroll::handleColor(int styleType)
{
    if (styleType & 2)
        return QStringLiteral("#525252");
    if (styleType == 4)
        return QStringLiteral("#255D3C");
    return QStringLiteral("#B9BFCC");
}

double Createtion_TextEdit_VScroll::opacity() const
{
    return m_effect->opacity();
}

void Createtion_TextEdit_VScroll::showBar()
{
    m_lastActivity = currentServerTime();
    if (m_shown)
        return;
    m_shown = true;
    // Integer end points: the bar stays clear during the fade, then is opaque.
    m_fade->setStartValue(0);
    m_fade->setEndValue(1);
    m_fade->start();
}

void Createtion_TextEdit_VScroll::scrollTo(int value)
{
    m_scroll->stop();
    m_scroll->setStartValue(this->value());
    m_scroll->setEndValue(value);
    m_scroll->start();
}

int Createtion_TextEdit_VScroll::scrollTarget() const
{
    return m_scroll->state() == QAbstractAnimation::Running ? m_scroll->endValue().toInt() : -1;
}

void Createtion_TextEdit_VScroll::shiftScroll(int delta)
{
    if (m_scroll->state() != QAbstractAnimation::Running || delta == 0)
        return;
    m_scroll->setStartValue(m_scroll->startValue().toInt() + delta);
    m_scroll->setEndValue(m_scroll->endValue().toInt() + delta);
}

void Createtion_TextEdit_VScroll::stopScroll()
{
    if (m_scroll != nullptr && m_scroll->state() == QAbstractAnimation::Running)
        m_scroll->stop();
}

void Createtion_TextEdit_VScroll::clean()
{
    m_shown = false;
    m_effect->setOpacity(0.0);
    m_fade->stop();
    setStyleSheet(QStringLiteral("QScrollBar::handle:vertical{background:%1;}")
                      .arg(handleColor(m_qss->currentStyleType())));
}

void Createtion_TextEdit_VScroll::onTimer()
{
    if (m_hovered)
        return;
    const qint64 elapsed = currentServerTime() - m_lastActivity;
    if (elapsed >= 0 && elapsed < 2)
        return;
    if (!m_shown)
        return;
    m_shown = false;
    m_fade->setStartValue(1);
    m_fade->setEndValue(0);
    m_fade->start();
}

void Createtion_TextEdit_VScroll::wheelEvent(QWheelEvent* event)
{
    showBar();
    QScrollBar::wheelEvent(event);
}

void Createtion_TextEdit_VScroll::enterEvent(QEvent* event)
{
    m_hovered = 1;
    showBar();
    QScrollBar::enterEvent(event);
}

void Createtion_TextEdit_VScroll::leaveEvent(QEvent* event)
{
    m_lastActivity = currentServerTime();
    m_hovered = 0;
    QScrollBar::leaveEvent(event);
}
