#include "ui/common/SVColorArea.h"

#include "common/DPIAdapter.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

SVColorArea::SVColorArea(QWidget* parent)
    : QWidget(parent)
{
    m_s = DPIAdapter::instance()->scale();
    m_side = static_cast<int>(256 * m_s);
    m_hueLayer = QPixmap(m_side, m_side);
    m_overlay = QPixmap(m_side, m_side);
    drawOverlay();
    drawHueLayer();
}

void SVColorArea::drawOverlay()
{
    m_overlay.fill(Qt::transparent);
    QPainter painter(&m_overlay);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QLinearGradient gradient(0, 0, 0, m_side);
    gradient.setColorAt(0, QColor(0, 0, 0, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, 255));
    painter.fillRect(0, 0, m_side, m_side, gradient);
}

void SVColorArea::drawHueLayer()
{
    QPainter painter(&m_hueLayer);
    QLinearGradient gradient(0, 0, m_side, 0);
    gradient.setColorAt(0, QColor(QStringLiteral("#ffffff")));
    // Hue 360 is red again; QColor only takes 0 to 359.
    gradient.setColorAt(1, QColor::fromHsv(m_hue % 360, 255, 255, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRect(0, 0, m_side, m_side);
}

void SVColorArea::report()
{
    emit svChangedSignal(m_hue, static_cast<int>(m_saturation / m_s),
                         static_cast<int>(m_value / m_s));
}

void SVColorArea::hueChangedSlot(int h)
{
    m_hue = qBound(0, h, 360);
    drawHueLayer();
    report();
    update();
}

void SVColorArea::setColor(const QColor& color)
{
    m_hue = qMax(0, color.hsvHue());
    m_saturation = static_cast<int>(color.hsvSaturation() * m_s);
    m_value = static_cast<int>(color.value() * m_s);
    drawHueLayer();
    report();
    update();
}

void SVColorArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_hueLayer);
    painter.drawPixmap(0, 0, m_overlay);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor ring = m_value > 128 * m_s ? Qt::black : Qt::white;
    painter.setPen(QPen(ring, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(m_saturation, 255 * m_s - m_value), 6 * m_s, 6 * m_s);
}

void SVColorArea::pickAt(const QPointF& pos)
{
    const double limit = 255 * m_s;
    m_saturation = static_cast<int>(qBound(0.0, pos.x(), limit));
    m_value = static_cast<int>(qBound(0.0, limit - pos.y(), limit));
    report();
    m_lastX = pos.x();
    m_lastY = pos.y();
    update();
}

void SVColorArea::mousePressEvent(QMouseEvent* event)
{
    pickAt(event->localPos());
}

void SVColorArea::mouseMoveEvent(QMouseEvent* event)
{
    pickAt(event->localPos());
}
