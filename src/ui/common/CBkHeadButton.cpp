#include "ui/common/CBkHeadButton.h"

#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

CBkHeadButton::CBkHeadButton(QWidget* parent)
    : QPushButton(parent)
{
    setStyleSheet(QStringLiteral("border: none;"));
    setAttribute(Qt::WA_Hover, true);
}

void CBkHeadButton::setHeadSize(int size)
{
    m_headSize = size;
}

void CBkHeadButton::setHeadImage(const QString& path)
{
    m_head = QIcon(path).pixmap(m_headSize * 2, m_headSize * 2);
    update();
}

bool CBkHeadButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_hovered = true;
        break;
    case QEvent::HoverLeave:
        m_hovered = false;
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}

void CBkHeadButton::paintEvent(QPaintEvent* event)
{
    if (!m_head.isNull()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 51));
        painter.drawEllipse(QRect(0, 0, width(), height()));

        QPainterPath clip;
        clip.addEllipse(QRectF(0, 0, m_headSize, m_headSize));
        painter.setClipPath(clip);
        // Scaled once to the head size; later paints reuse it as it is.
        if (m_head.size() != QSize(m_headSize, m_headSize))
            m_head = m_head.scaled(m_headSize, m_headSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawPixmap(0, 0, m_head);

        if (m_hovered) {
            painter.drawPixmap(rect(), QIcon(QString::fromLatin1(kShadePath)).pixmap(size()));
            painter.save();
            QFont font(QStringLiteral("微软雅黑"));
            font.setPixelSize(static_cast<int>(11 * s));
            painter.setFont(font);
            painter.setPen(QColor(QStringLiteral("#FFFFFF")));
            QRect hint = rect();
            hint.setBottom(hint.bottom() - static_cast<int>(8 * s));
            hint.setTop(hint.bottom() - static_cast<int>(16 * s));
            painter.drawText(hint, Qt::AlignHCenter | Qt::AlignVCenter, tr("Edit"));
            painter.restore();
        }
        painter.setClipping(false);
    }
    QPushButton::paintEvent(event);
}
