#include "ui/common/CBkHeadLabel.h"
#include "ui/common/FileDialogs.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>

CBkHeadLabel::CBkHeadLabel(QWidget* parent)
    : QLabel(parent), m_btnChange(new QPushButton(this))
{
    setAttribute(Qt::WA_Hover, true);
    m_btnChange->setCursor(Qt::PointingHandCursor);
    m_btnChange->hide();
    connect(m_btnChange, &QPushButton::clicked, this, &CBkHeadLabel::onDealModific);
}

void CBkHeadLabel::setImagePath(const QString& path)
{
    m_btnChange->setStyleSheet(QStringLiteral("border-image: url(%1);").arg(path));
}

bool CBkHeadLabel::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_btnChange->show();
        break;
    case QEvent::HoverLeave:
        m_btnChange->hide();
        break;
    default:
        break;
    }
    return QLabel::event(event);
}

void CBkHeadLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    m_btnChange->setGeometry(0, 0, width(), height());
}

QString CBkHeadLabel::choosePicture()
{
    return FileDialogs::openFile(nullptr, tr("Select one picture"), FileDialogs::Picture,
                                 tr("Files (%1)").arg(fileFilter()));
}

void CBkHeadLabel::onDealModific()
{
    const QString path = choosePicture();
    m_btnChange->hide();
    if (!path.isEmpty())
        emit sigPath(path);
}

void CBkHeadLabel::paintEvent(QPaintEvent*)
{
    const QPixmap picture = pixmap(Qt::ReturnByValue);
    if (picture.isNull())
        return;
    const int b = static_cast<int>(m_ringWidth);
    const QPixmap scaled = picture.scaled(width() - b, height() - b, Qt::IgnoreAspectRatio,
                                           Qt::SmoothTransformation);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_shape == Round) {
        if (b > 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(131, 131, 131, 25));
            painter.drawEllipse(QRect(0, 0, width(), height()));
        }
        QPainterPath clip;
        clip.addEllipse(QRectF(b / 2, b / 2, scaled.width(), scaled.height()));
        painter.setClipPath(clip);
        painter.drawPixmap(b / 2, b / 2, scaled);
    } else {
        painter.drawPixmap(0, 0, scaled);
    }
}
