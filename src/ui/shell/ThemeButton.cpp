#include "ThemeButton.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"

#include <QPainter>
#include <QSvgRenderer>

ThemeButton::ThemeButton(QWidget* parent) : QPushButton(parent), m_scale(DPIAdapter::instance()->scale())
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
}

void ThemeButton::setPicture(const QString& path)
{
    m_picture.load(path);
    update();
}

void ThemeButton::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_picture.isNull())
        painter.drawPixmap(rect(), m_picture);
    if (!isChecked())
        return;
    painter.fillRect(rect(), QColor(0, 0, 0, 0x33));
    // The green theme's own accent would vanish under the blue mark.
    const bool green = CPublicManager::instance()->userInfo.style == 4;
    QSvgRenderer mark(green ? QStringLiteral(":/res/common/theme_checked_1.svg")
                            : QStringLiteral(":/res/common/theme_checked.svg"));
    const int side = int(40 * m_scale);
    mark.render(&painter, QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}
