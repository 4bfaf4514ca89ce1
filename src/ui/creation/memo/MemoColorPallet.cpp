#include "MemoColorPallet.h"

#include "MemoItemManager.h"
#include "common/DPIAdapter.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

MemoColorPallet::MemoColorPallet(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MemoColorPallet"));
    setFixedSize(234, 80);
    setWindowFlags(windowFlags() | Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("MemoColorPallet_Bg"));
    outer->addWidget(background);
    auto* layout = new QHBoxLayout(background);
    layout->setObjectName(QStringLiteral("layoutContent"));
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(10);

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    MemoItemManager* memos = MemoItemManager::instance();
    for (int id = 0; id < 6; ++id) {
        auto* button = new QPushButton(background);
        button->setObjectName(QStringLiteral("btnColor_%1").arg(id + 1));
        button->setFixedSize(24, 24);
        button->setCheckable(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("background: ") + memos->colorAt(id) + QLatin1Char(';'));
        m_group->addButton(button, id);
        layout->addWidget(button);
    }
    DPIAdapter::instance()->adaptWidget(this);
    connect(m_group, &QButtonGroup::idClicked, this,
            [this](int id) { emit sig_color(MemoItemManager::instance()->colorAt(id)); });
}

void MemoColorPallet::setCurrentColor(const QString& color)
{
    const int index = MemoItemManager::instance()->indexOfColor(color);
    QAbstractButton* button = m_group->button(index);
    if (!button) {
        // An exclusive group keeps one button checked; let go of it.
        m_group->setExclusive(false);
        if (QAbstractButton* checked = m_group->checkedButton())
            checked->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    button->setChecked(true);
    button->setStyleSheet(QStringLiteral("background: ") + color + QLatin1Char(';'));
}

void MemoColorPallet::closeEvent(QCloseEvent* event)
{
    emit sig_closed();
    QWidget::closeEvent(event);
}
