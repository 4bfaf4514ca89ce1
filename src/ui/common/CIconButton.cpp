#include "ui/common/CIconButton.h"

#include "common/DPIAdapter.h"

#include <QLabel>

CIconButton::CIconButton(QWidget* parent)
    : QPushButton(parent), m_icon(new QPushButton(this)), m_badge(new QLabel(this)), m_vip(new QLabel(this))
{
    m_s = DPIAdapter::instance()->scale();
    m_icon->setCheckable(true);
    m_icon->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    connect(this, &QPushButton::toggled, m_icon, &QPushButton::setChecked);

    m_badge->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_badge->setFixedSize(static_cast<int>(16 * m_s), static_cast<int>(16 * m_s));
    m_badge->setStyleSheet(
        QStringLiteral("background: #FF4446;border-radius: %1px;color:#FFFFFF;font-size:%2px;")
            .arg(static_cast<int>(8 * m_s))
            .arg(static_cast<int>(11 * m_s)));
    m_badge->hide();

    m_vip->setStyleSheet(QStringLiteral("border-image: url(:/res/skin/light/public/btn_vip.svg);"));
    m_vip->setFixedSize(static_cast<int>(20 * m_s), static_cast<int>(20 * m_s));
    m_vip->hide();
}

void CIconButton::setIconObjectName(const QString& name)
{
    m_icon->setObjectName(name);
}

void CIconButton::setBadgeNumber(bool show, int number)
{
    m_badge->setVisible(show);
    const int n = qBound(0, number, 99);
    m_badge->setFixedWidth(static_cast<int>((n < 10 ? 16 : 20) * m_s));
    m_badge->setText(QString::number(n));
}

void CIconButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    m_icon->move(static_cast<int>(m_iconX * m_s), (height() - m_icon->height()) / 2);
    m_icon->raise();
    m_icon->show();
    m_vip->move(static_cast<int>(m_vipX * m_s), (height() - m_vip->height()) / 2);
    m_vip->raise();
    m_badge->move(static_cast<int>(m_vipX * m_s + m_vip->width() + 2 * m_s), static_cast<int>(2 * m_s));
    m_badge->raise();
}
