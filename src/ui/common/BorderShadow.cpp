#include "ui/common/BorderShadow.h"

#include "platform/WindowCompositing.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariant>
#include <QWidget>
#include <QtMath>

BorderShadow::BorderShadow(QObject* parent)
    : QObject(parent), m_color(Qt::lightGray)
{
}

BorderShadow::~BorderShadow() = default;

int BorderShadow::ringAlpha(int i)
{
    return static_cast<int>(150 - 50 * qSqrt(i));
}

void BorderShadow::attachTo(QWidget* w)
{
    if (!w)
        return;
    // Without compositing the ring would be drawn over black.
    if (WindowCompositing::settleOpaque(w))
        return;
    auto* old = qobject_cast<BorderShadow*>(w->property(kProperty).value<QObject*>());
    if (old == this)
        return;
    if (old) {
        w->removeEventFilter(old);
        old->deleteLater();
    }
    w->setProperty(kProperty, QVariant::fromValue<QObject*>(this));
    w->installEventFilter(this);
    w->update();
}

bool BorderShadow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType())
        paintShadow(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

void BorderShadow::paintShadow(QWidget* w)
{
    const int s = m_width;
    const int W = w->width();
    const int H = w->height();

    QPainterPath content;
    content.setFillRule(Qt::WindingFill);
    content.addRoundedRect(QRectF(s, s, W - 2 * s, H - 2 * s), m_radius, m_radius,
                           Qt::RelativeSize);
    QPainter painter(w);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(content, QBrush(Qt::transparent));

    for (int i = 0; i < s; ++i) {
        QPainterPath ring;
        ring.setFillRule(Qt::WindingFill);
        ring.addRoundedRect(QRectF(QRect(s - i, s - i, W - 2 * (s - i), H - 2 * (s - i))),
                            m_radius, m_radius, Qt::RelativeSize);
        QColor c = m_color;
        c.setAlpha(qMax(0, ringAlpha(i)));
        painter.setPen(c);
        painter.drawPath(ring);
    }
}
