#include "Widget_Banner.h"
#include "common/DPIAdapter.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char kOpacity[] = "ImageOpacity";
}

Widget_Banner::Widget_Banner(QWidget* parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Widget_Banner"));
    resize(547, 416);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setProperty(kOpacity, 1.0);

    m_fade = new QPropertyAnimation(this, kOpacity, this);
    m_fade->setDuration(m_fadeMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::valueChanged, this, [this]() { update(); });

    m_changeTimer = new QTimer(this);
    m_changeTimer->setInterval(m_intervalMs);
    connect(m_changeTimer, &QTimer::timeout, this, &Widget_Banner::onImageChangeTimeout);
}

void Widget_Banner::addImage(const QString& path)
{
    m_images.append(path);
}

bool Widget_Banner::isPlaying() const
{
    return m_changeTimer->isActive();
}

void Widget_Banner::startPlay()
{
    if (m_images.isEmpty())
        return;
    if (!m_indicators.isEmpty())
        return;

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const double scale = DPIAdapter::instance()->scale();
    auto* row = new QHBoxLayout();
    row->setSpacing(int(14 * scale));
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    for (int i = 0; i < m_images.size(); ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("bannerBtn"));
        button->setCheckable(true);
        button->setCursor(Qt::PointingHandCursor);
        group->addButton(button, i);
        m_indicators.append(button);
        row->addWidget(button);
    }
    row->addStretch();
    connect(group, &QButtonGroup::idClicked, this, &Widget_Banner::onButtonClicked);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, int(20 * scale));
    column->setSpacing(0);
    column->addStretch();
    column->addLayout(row);

    m_indicators.at(m_currentIndex)->setChecked(true);
    if (m_images.size() > 1) {
        m_from.load(m_images.at(m_currentIndex));
        m_changeTimer->start();
        update();
    }
}

void Widget_Banner::fadeToNext()
{
    m_from.load(m_images.at(m_currentIndex));
    m_currentIndex = (m_currentIndex + 1) % m_images.size();
    m_to.load(m_images.at(m_currentIndex));
    if (m_currentIndex < m_indicators.size())
        m_indicators.at(m_currentIndex)->setChecked(true);
    m_fade->stop();
    m_fade->start();
}

void Widget_Banner::onImageChangeTimeout()
{
    if (m_images.isEmpty())
        return;
    fadeToNext();
}

void Widget_Banner::onButtonClicked(int id)
{
    if (m_images.isEmpty() || id < 0 || id >= m_images.size())
        return;
    m_currentIndex = id - 1 >= 0 ? id - 1 : m_images.size() - 1;
    fadeToNext();
    m_changeTimer->start();
    update();
}

void Widget_Banner::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_images.isEmpty()) {
        painter.fillRect(rect(), QColor(QStringLiteral("#D8D8D8")));
        return;
    }
    if (m_images.size() == 1) {
        painter.drawPixmap(rect(), QPixmap(m_images.first()));
        return;
    }
    painter.setOpacity(1.0);
    if (!m_to.isNull())
        painter.drawPixmap(rect(), m_to);
    painter.setOpacity(property(kOpacity).toDouble());
    if (!m_from.isNull())
        painter.drawPixmap(rect(), m_from);
}

void Widget_Banner::mousePressEvent(QMouseEvent* event)
{
    if (m_currentIndex >= 0 && m_currentIndex < m_links.size() && !m_links.at(m_currentIndex).isEmpty())
        QDesktopServices::openUrl(QUrl(m_links.at(m_currentIndex)));
    QWidget::mousePressEvent(event);
}
