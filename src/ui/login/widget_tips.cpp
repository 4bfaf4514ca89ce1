#include "widget_tips.h"
#include "common/DPIAdapter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

widget_tips::widget_tips(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("widget_tips"));
    const double scale = DPIAdapter::instance()->scale();
    resize(int(160 * scale), int(60 * scale));
    setMinimumSize(int(160 * scale), int(40 * scale));
    setMaximumSize(int(160 * scale), int(60 * scale));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("widget_tips_bg"));
    background->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(background);
    auto* row = new QHBoxLayout(background);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_label = new QLabel(background);
    m_label->setObjectName(QStringLiteral("labelTips"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    row->addWidget(m_label);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
}

void widget_tips::showTips(const QString& text)
{
    m_label->setText(text);
    raise();
    show();
    QTimer::singleShot(duration, this, &QWidget::hide);
}

QString widget_tips::text() const
{
    return m_label->text();
}

void widget_tips::showEvent(QShowEvent* event)
{
    if (QWidget* p = parentWidget())
        move((p->width() - width()) / 2, (p->height() - height()) / 2);
    QWidget::showEvent(event);
}
