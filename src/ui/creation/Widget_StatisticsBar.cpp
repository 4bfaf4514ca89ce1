#include "Widget_StatisticsBar.h"

#include "common/DPIAdapter.h"

#include <QLabel>
#include <QVBoxLayout>

Widget_StatisticsBar::Widget_StatisticsBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_StatisticsBar"));
    setAttribute(Qt::WA_TranslucentBackground);
    resize(144, 108);
    auto* outer = new QVBoxLayout(this);
    outer->setObjectName(QStringLiteral("verticalLayout"));
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Widget_StatisticsBarBg"));
    outer->addWidget(bg);
    auto* lines = new QVBoxLayout(bg);
    lines->setObjectName(QStringLiteral("verticalLayout_2"));
    lines->setSpacing(12);
    lines->setContentsMargins(0, 0, 0, 0);
    static const char* const names[4] = {"labelTime", "labelSpeed", "labelWords", "labelLock"};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(bg);
        label->setObjectName(QLatin1String(names[i]));
        label->setFixedHeight(int(18 * DPIAdapter::instance()->scale()));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lines->addWidget(label);
        m_labels[i] = label;
    }
    // The theme style sheets address all four lines by one name.
    for (QLabel* label : m_labels)
        label->setObjectName(QStringLiteral("labelStatus"));
}

void Widget_StatisticsBar::setTexts(const QString& time, const QString& speed, const QString& words,
                                    const QString& lock)
{
    m_labels[0]->setText(time);
    m_labels[1]->setText(speed);
    m_labels[2]->setText(words);
    m_labels[3]->setText(lock);
    // The bar grows to its longest line, so the speed's label is never cut
    // at the left; it stays right-aligned where the pane places it.
    const QRect before = geometry();
    adjustSize();
    if (parentWidget() != nullptr && before.isValid())
        move(before.right() - width() + 1, before.top());
}

void Widget_StatisticsBar::setLockVisible(bool visible)
{
    m_labels[3]->setVisible(visible);
}

QLabel* Widget_StatisticsBar::label(int line) const
{
    return line >= 0 && line < 4 ? m_labels[line] : nullptr;
}
