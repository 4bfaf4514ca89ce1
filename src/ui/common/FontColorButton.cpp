#include "ui/common/FontColorButton.h"

#include "common/DPIAdapter.h"

#include <QLabel>

FontColorButton::FontColorButton(QWidget* parent)
    : QPushButton(parent), m_s(DPIAdapter::instance()->scale()), m_bar(new QLabel(this))
{
}

void FontColorButton::setColor(const QString& color)
{
    m_bar->setStyleSheet(QStringLiteral("background:%1;border-radius:%2px;").arg(color, QString::number(1.5 * m_s)));
}

void FontColorButton::showEvent(QShowEvent* event)
{
    QPushButton::showEvent(event);
    m_bar->setFixedSize(static_cast<int>(width() - 8 * m_s), static_cast<int>(3 * m_s));
    m_bar->move(static_cast<int>(4 * m_s), static_cast<int>(height() - 4 * m_s));
    m_bar->show();
}
