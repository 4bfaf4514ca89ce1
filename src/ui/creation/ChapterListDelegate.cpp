#include "ChapterListDelegate.h"

#include "ChapterListModel.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>

ChapterListDelegate::ChapterListDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_scale(DPIAdapter::instance()->scale())
{
}

void ChapterListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The base paints background, hover and selection from the style sheet;
    // the name is drawn here so that it is elided and placed the same in
    // every theme.
    QStyleOptionViewItem base(option);
    initStyleOption(&base, index);
    base.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &base, painter, widget);
    if (!index.isValid() || !index.data().canConvert<T_ChapterListItem>())
        return;
    const T_ChapterListItem item = index.data().value<T_ChapterListItem>();
    if (item.localChapterId == 0)
        return;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(static_cast<int>(14 * m_scale));
    font.setWeight(50);
    painter->setFont(font);
    if (qobject_cast<QListView*>(parent())) {
        const int style = CQssManager::instance()->currentStyleType();
        const bool selected = option.state & QStyle::State_Selected;
        if (selected) {
            if (style == StyleLight || style == StyleGreen || (style & StyleDark))
                painter->setPen(QColor(QStringLiteral("#FFFFFF")));
        } else {
            painter->setPen(QColor((style & StyleDark) ? QStringLiteral("#999999") : QStringLiteral("#666666")));
        }
    }
    QRect rect = option.rect;
    rect.setLeft(rect.left() + static_cast<int>(22 * m_scale));
    const QString name = painter->fontMetrics().elidedText(item.chapterName, Qt::ElideRight,
                                                           option.rect.width() - static_cast<int>(44 * m_scale));
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, name);
    painter->restore();
}

QSize ChapterListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return QSize(static_cast<int>(180 * m_scale), static_cast<int>(40 * m_scale));
}

QWidget* ChapterListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    if (m_mode == 7)
        return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

bool ChapterListDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* view = qobject_cast<QListView*>(watched->parent());
    if (view && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = view->indexAt(mouse->pos());
        if (index.isValid() && index.data().canConvert<T_ChapterListItem>()) {
            const T_ChapterListItem item = index.data().value<T_ChapterListItem>();
            if (item.localChapterId > 0) {
                if (mouse->button() == Qt::LeftButton)
                    emit sig_onMousePressedByLeftBtn(item.localChapterId);
                else if (mouse->button() == Qt::RightButton)
                    emit sig_onMousePressedByRightBtn(item.localChapterId, index.row());
            }
        }
    } else if (view && event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = view->indexAt(mouse->pos());
        if (index.isValid()) {
            if (view->property("index").toInt() != index.row() || !view->property("index").isValid()) {
                if (index.data().canConvert<T_ChapterListItem>())
                    view->setToolTip(index.data().value<T_ChapterListItem>().chapterName);
            }
            view->setProperty("index", index.row());
        } else {
            view->setToolTip(QString());
            view->setProperty("index", -1);
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
