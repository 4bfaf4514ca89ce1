#include "CreationControlItemDelegate.h"

#include "T_ItemData.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"

#include <QIcon>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>

CreationControlItemDelegate::CreationControlItemDelegate(int panelType, QObject* parent)
    : QStyledItemDelegate(parent), m_qss(CQssManager::instance()), m_fontFamily(QStringLiteral("微软雅黑")),
      m_panelType(panelType), m_ui(CUiManager::instance()), m_scale(DPIAdapter::instance()->scale())
{
}

T_ItemData* CreationControlItemDelegate::itemAt(const QModelIndex& index) const
{
    if (m_items == nullptr || !index.isValid() || index.row() < 0 || index.row() >= m_items->size())
        return nullptr;
    return m_items->at(index.row());
}

bool CreationControlItemDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* view = qobject_cast<QListView*>(watched->parent());
        if (view != nullptr) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->pos();
            T_ItemData* item = itemAt(view->indexAt(pos));
            if (item != nullptr) {
                emit m_ui->sig_Creation_Btn_Press(item);
                if (item->closesPanel)
                    view->window()->close();
            }
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void CreationControlItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    T_ItemData* item = itemAt(index);
    if (item != nullptr && !item->enabled)
        option->state &= ~QStyle::State_Enabled;
}

QSize CreationControlItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    const int width = m_panelType == 3 ? 110 : 202;
    return QSize(static_cast<int>(width * m_scale), static_cast<int>(32 * m_scale));
}

void CreationControlItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    T_ItemData* item = itemAt(index);
    if (item == nullptr)
        return;
    const bool dark = (m_qss->currentStyleType() & 2) != 0;
    const bool hover = (option.state & QStyle::State_MouseOver) != 0;
    const int x = option.rect.left();
    const int y = option.rect.top();
    const int h = option.rect.height();
    auto px = [this](double v) { return static_cast<int>(v * m_scale); };
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QFont font(m_fontFamily);
    font.setPixelSize(px(14));
    painter->setFont(font);
    const QColor textColor = dark ? QColor(QStringLiteral("#D2D2D2")) : QColor(QStringLiteral("#333333"));
    if (item->type == 1) {
        // Day/night offers the theme that is not current.
        const bool alternate = item->id == 9 && dark;
        QString icon = alternate ? item->altIcon : item->icon;
        const QStringList icons = icon.split(QStringLiteral("&&&"));
        icon = (hover && icons.size() > 1) ? icons.at(1) : icons.at(0);
        const int side = px(18);
        QIcon(icon).paint(painter, QRect(x + px(12), y + (h - side) / 2, side, side));
        painter->setPen(item->enabled ? textColor : QColor(QStringLiteral("#AAAAAA")));
        painter->drawText(QRect(x + px(42), y, px(110), h), Qt::AlignLeft | Qt::AlignVCenter,
                          alternate ? item->altText : item->text);
        font.setPixelSize(px(12));
        painter->setFont(font);
        painter->setPen(QColor(QStringLiteral("#999999")));
        painter->drawText(QRect(x, y, option.rect.width() - px(12), h), Qt::AlignRight | Qt::AlignVCenter,
                          item->shortcut);
    } else if (item->type == 6) {
        painter->setPen(item->checked ? QColor(QStringLiteral("#51A8FF")) : textColor);
        painter->drawText(QRect(x + px(12), y, px(70), h), Qt::AlignLeft | Qt::AlignVCenter, item->text);
        if (item->checked) {
            const int side = px(14);
            QIcon(dark ? item->altIcon : item->icon)
                .paint(painter, QRect(option.rect.right() - px(12) - side, y + (h - side) / 2, side, side));
        }
    }
    painter->restore();
}
