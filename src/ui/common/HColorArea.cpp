#include "ui/common/HColorArea.h"

#include "common/DPIAdapter.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

HColorArea::HColorArea(QWidget* parent)
    : QWidget(parent)
{
    m_s = DPIAdapter::instance()->scale();
    m_stripHeight = static_cast<int>(256 * m_s);
    m_stripWidth = static_cast<int>(20 * m_s);
    buildStrip();
}

void HColorArea::buildStrip()
{
    m_strip = QPixmap(static_cast<int>(29 * m_s), static_cast<int>(270 * m_s));
    m_strip.fill(Qt::transparent);
    QPainter painter(&m_strip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient gradient(0, m_stripHeight, 0, 0);
    for (int i = 0; i < 16; ++i) {
        const double t = i / 16.0;
        gradient.setColorAt(t, QColor::fromHsvF(t, 1, 1, 1));
    }
    gradient.setColorAt(1, QColor::fromHsvF(0, 1, 1, 1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRect(QRect(0, kTopOffset, m_stripWidth, m_stripHeight));
}

void HColorArea::setHue(int hue)
{
    // Greys have no hue (-1); they start the strip at red.
    m_hue = qBound(0, hue, 360);
    m_fraction = m_hue / 360.0;
    update();
}

void HColorArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawPixmap(0, 0, m_strip);
    const int m = static_cast<int>(m_stripHeight - m_stripHeight * m_fraction);
    const QPointF tip[3] = {QPointF(m_stripWidth, kTopOffset + m), QPointF(width(), m),
                            QPointF(width(), 13 + m)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(tip, 3);
}

void HColorArea::pickAt(int y)
{
    m_fraction = qBound(0.0, 1.0 - double(y - kTopOffset) / m_stripHeight, 1.0);
    update();
    m_hue = static_cast<int>(m_fraction * 360);
    emit hueChangedSignal(m_hue);
}

void HColorArea::mousePressEvent(QMouseEvent* event)
{
    pickAt(event->pos().y());
}

void HColorArea::mouseMoveEvent(QMouseEvent* event)
{
    pickAt(qMin(event->pos().y(), height()));
}
