#include "CMemoListDelegate.h"

#include "MemoItemManager.h"
#include "common/DPIAdapter.h"
#include "db/records/T_Memo.h"
#include "manager/CPublicManager.h"
#include "ui/common/BkMessageBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QWidgetAction>

namespace {
constexpr int kGap = 10;
constexpr int kCollapsedMax = 112;
constexpr int kExpanded = 228;
constexpr int kRadius = 4;
const int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;

QAbstractItemView* viewOf(const QStyleOptionViewItem& option)
{
    return qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(option.widget));
}
}

CMemoListDelegate::CMemoListDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      m_scale(DPIAdapter::instance()->scale()),
      m_model(CPublicManager::instance())
{
    m_btnExpand = new QPushButton();
    m_btnExpand->setObjectName(QStringLiteral("memoBtnExpand"));

    m_menu = new QMenu();
    m_menu->setObjectName(QStringLiteral("memoMenu"));
    m_menu->setFixedWidth(120);
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::Popup | Qt::FramelessWindowHint
                           | Qt::NoDropShadowWindowHint);
    m_menu->setAttribute(Qt::WA_TranslucentBackground);
    auto* action = new QWidgetAction(m_menu);
    auto* item = new QPushButton(tr("Delete"));
    item->setObjectName(QStringLiteral("menuItem"));
    item->setMouseTracking(true);
    item->setFlat(true);
    action->setDefaultWidget(item);
    m_menu->addAction(action);
    connect(item, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::triggered, this, [this]() {
        m_menu->hide();
        deleteFromMenu();
    });
}

CMemoListDelegate::~CMemoListDelegate()
{
    delete m_menu;
    delete m_btnExpand;
}

QFont CMemoListDelegate::textFont() const
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(qMax(1, px(15)));
    return font;
}

QRect CMemoListDelegate::textRect(const QRect& card) const
{
    // 16 above the text and the 32 of the date band below it: the card's
    // height (48 plus the text) leaves exactly the text's lines.
    return QRect(card.left() + px(12), card.top() + px(16), card.width() - px(34), card.height() - px(48));
}

bool CMemoListDelegate::isLong(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const T_Memo memo = index.data().value<T_Memo>();
    const QFontMetrics metrics(textFont());
    const QRect box = textRect(option.rect);
    const int height = metrics.boundingRect(QRect(box.topLeft(), QSize(qMax(1, box.width()), 100000)),
                                            kTextFlags, memo.content).height();
    return double(height) / metrics.lineSpacing() > 3;
}

QSize CMemoListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!viewOf(option))
        return QStyledItemDelegate::sizeHint(option, index);
    const int width = option.rect.width();
    if (isExpanded(index))
        return QSize(width, px(kExpanded));
    const T_Memo memo = index.data().value<T_Memo>();
    const QFontMetrics metrics(textFont());
    const QRect box = textRect(option.rect);
    const int textHeight = metrics.boundingRect(QRect(box.topLeft(), QSize(qMax(1, box.width()), 100000)),
                                                kTextFlags, memo.content).height();
    const int height = int((8 + 14 + 20 + 16 + textHeight) * m_scale);
    return QSize(width, qMin(height, px(kCollapsedMax)));
}

QRect CMemoListDelegate::expandButtonRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid() || !isLong(option, index))
        return QRect();
    const QRect& r = option.rect;
    const int size = px(16);
    const int bottom = r.bottom() - px(14) - px(8) - px(20);
    return QRect(r.right() - px(4) - size, bottom - size, size, size);
}

void CMemoListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const T_Memo memo = index.data().value<T_Memo>();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(textFont());

    QRect card = option.rect;
    card.setBottom(card.bottom() - px(kGap));
    QPainterPath path;
    path.addRoundedRect(card, kRadius, kRadius);
    painter->fillPath(path, QColor(memo.color));

    painter->setPen(Qt::black);
    // Whole lines only: a collapsed card never shows half a line.
    QRect text = textRect(card);
    const int line = painter->fontMetrics().lineSpacing();
    if (line > 0)
        text.setHeight(qMax(line, text.height() / line * line));
    painter->drawText(text, kTextFlags, memo.content);

    QFont dateFont(QStringLiteral("微软雅黑"));
    dateFont.setPixelSize(qMax(1, px(10)));
    painter->setFont(dateFont);
    painter->setPen(QColor(QStringLiteral("#999999")));
    const QRect date(option.rect.right() - px(12) - px(96), option.rect.bottom() - px(20) - px(14), px(96),
                     px(14));
    painter->drawText(date, Qt::AlignRight | Qt::AlignVCenter,
                      QDateTime::fromSecsSinceEpoch(memo.updateTime).toString(QStringLiteral("yyyy/MM/dd hh:mm")));

    const QRect button = expandButtonRect(option, index);
    if (!button.isEmpty()) {
        m_btnExpand->setStyleSheet(isExpanded(index)
                                       ? QStringLiteral("#memoBtnExpand{border-image:url(:/res/skin/light/memo/btn_up.png) 0 64 0 0;}")
                                       : QStringLiteral("#memoBtnExpand{border-image:url(:/res/skin/light/memo/btn_down.png) 0 64 0 0;}"));
        m_btnExpand->ensurePolished();
        QStyleOptionButton buttonOption;
        buttonOption.initFrom(m_btnExpand);
        buttonOption.rect = button;
        m_btnExpand->style()->drawControl(QStyle::CE_PushButton, &buttonOption, painter, m_btnExpand);
    }
    painter->restore();
    // The card is the whole look: no selection or focus frame on top of it.
    QStyleOptionViewItem plain(option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    plain.text.clear();
    QStyledItemDelegate::paint(painter, plain, QModelIndex());
}

bool CMemoListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    QAbstractItemView* view = viewOf(option);
    const auto type = event->type();
    if (!view || !index.isValid()
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    auto* mouse = static_cast<QMouseEvent*>(event);
    view->unsetCursor();
    QRect card = option.rect;
    card.setBottom(card.bottom() - px(kGap));
    const QRect button = expandButtonRect(option, index);

    if (type == QEvent::MouseButtonPress) {
        view->setProperty("Invalid", !card.contains(mouse->pos()));
        if (mouse->button() == Qt::LeftButton && button.contains(mouse->pos())) {
            view->setCursor(Qt::PointingHandCursor);
            if (m_expandedIndex != index)
                m_expanded = false;
            m_expandedIndex = index;
            m_expanded = !m_expanded;
            emit sizeHintChanged(index);
            return true;
        }
    } else if (type == QEvent::MouseMove) {
        if (button.contains(mouse->pos()))
            view->setCursor(Qt::PointingHandCursor);
    } else if (mouse->button() == Qt::RightButton) {
        const T_Memo memo = index.data().value<T_Memo>();
        m_menu->setProperty("localMemoId", memo.localId);
        m_menu->setProperty("memoId", memo.memoId);
        m_menu->setProperty("index", index.row());
        m_menu->popup(QCursor::pos());
        return true;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

void CMemoListDelegate::deleteFromMenu()
{
    const int row = m_menu->property("index").toInt();
    const int localMemoId = m_menu->property("localMemoId").toInt();
    QWidget* parent = qobject_cast<QWidget*>(this->parent());
    const int answer = BkMessageBox::question(parent, tr("Delete"), tr("Do you want to delete the current note?"),
                                              tr("OK"), tr("Cancel"), 0);
    if (answer != 0)
        return;
    MemoItemManager::instance()->removeMemo(row, localMemoId, false);
}
