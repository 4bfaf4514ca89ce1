#include "ui/common/PreviewColorArea.h"

#include <QPainter>

PreviewColorArea::PreviewColorArea(QWidget* parent)
    : QWidget(parent)
{
}

void PreviewColorArea::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void PreviewColorArea::svChangedSlot(int h, int s, int v)
{
    m_color = QColor::fromHsv(h % 360, s, v, 255);
    update();
    emit svChangedSignal(h, s, v);
}

void PreviewColorArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

void PreviewColorArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}
