#include "ui/common/CPixmapContainer.h"

#include <QDebug>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

CPixmapContainer::CPixmapContainer(QWidget* parent)
    : QWidget(parent)
{
}

bool CPixmapContainer::loadPixmap(const QString& path)
{
    QPixmap picture;
    if (!picture.load(path)) {
        qWarning() << "background picture cannot be read:" << path;
        return false;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize screenSize = screen->size();
        if (picture.width() < screenSize.width())
            picture = picture.scaledToWidth(screenSize.width(), Qt::SmoothTransformation);
        if (picture.height() < screenSize.height())
            picture = picture.scaledToHeight(screenSize.height(), Qt::SmoothTransformation);
    }
    m_pixmap = picture;
    update();
    return true;
}

QRect CPixmapContainer::sourceRect(const QSize& picture, const QSize& widget, QSize* scaledSize)
{
    const int W = widget.width();
    const int H = widget.height();
    const float a = float(picture.width()) / float(picture.height());
    if (float(W) / float(H) > a) {
        const int h = static_cast<int>(W / a);
        *scaledSize = QSize(W, h);
        return QRect(0, (h - H) / 2, W, H);
    }
    const int w = static_cast<int>(H * a);
    *scaledSize = QSize(w, H);
    return QRect((w - W) / 2, 0, W, H);
}

void CPixmapContainer::paintEvent(QPaintEvent* event)
{
    if (!m_pixmap.isNull() && width() > 0 && height() > 0) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QSize scaledSize;
        const QRect source = sourceRect(m_pixmap.size(), size(), &scaledSize);
        const QPixmap scaled = m_pixmap.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawPixmap(rect(), scaled, source);
    }
    QWidget::paintEvent(event);
}

void CPixmapContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}
