#include "CRandomNameDelegate.h"

#include "Widget_ClientTips.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QListView>
#include <QPainter>

CRandomNameDelegate::CRandomNameDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_qss(CQssManager::instance()), m_scale(DPIAdapter::instance()->scale())
{
    // A top-level tip: it has to float above the panel, wherever the item is.
    m_tip = new Float_Tips(nullptr);
    m_tip->hide();
}

CRandomNameDelegate::~CRandomNameDelegate()
{
    delete m_tip;
}

QSize CRandomNameDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(static_cast<int>(156 * m_scale), static_cast<int>(40 * m_scale));
}

void CRandomNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid())
        return;
    const int style = m_qss->currentStyleType();
    const bool dark = (style & StyleDark) != 0;
    QColor text(QStringLiteral("#666666"));
    QColor selection(QStringLiteral("#CED4E4"));
    if (dark) {
        text = QColor(QStringLiteral("#999999"));
        selection = QColor(QStringLiteral("#616161"));
    } else if (style == StyleGreen) {
        selection = QColor(QStringLiteral("#B8E6CF"));
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    if (option.state & QStyle::State_Selected) {
        painter->fillRect(option.rect, selection);
        if (dark)
            text = QColor(QStringLiteral("#FFFFFF"));
    }
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(static_cast<int>(14 * m_scale));
    painter->setFont(font);
    painter->setPen(text);
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

bool CRandomNameDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                      const QModelIndex& index)
{
    auto* view = qobject_cast<QListView*>(parent());
    if (!index.isValid() || !view || event->type() != QEvent::MouseButtonPress)
        return false;
    QApplication::clipboard()->setText(index.data(Qt::DisplayRole).toString());
    m_tip->setText(tr("Copyed"));
    m_tip->adjustSize();
    const QRect item = option.rect;
    const QPoint local(item.left() + (item.width() - m_tip->width()) / 2, item.top() - m_tip->height());
    m_tip->move(view->viewport()->mapToGlobal(local));
    m_tip->show();
    return false;
}
