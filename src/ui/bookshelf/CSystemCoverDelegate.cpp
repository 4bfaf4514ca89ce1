#include "CSystemCoverDelegate.h"

#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QPainter>

namespace {
QPixmap scaled(const QPixmap& source, const QSize& size)
{
    return source.isNull() ? source
                           : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
}

CSystemCoverDelegate::CSystemCoverDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_qss(CQssManager::instance())
{
    setItemSize(m_itemSize.width(), m_itemSize.height());
    setIconSize(m_iconSize.width(), m_iconSize.height());
}

CSystemCoverDelegate::~CSystemCoverDelegate() = default;

void CSystemCoverDelegate::setItemSize(int width, int height)
{
    m_itemSize = QSize(width, height);
    m_shade = scaled(QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/cover_shade.png")), m_itemSize);
    m_frame = scaled(QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/cover_selected.png")), m_itemSize);
    m_cache.clear();
}

void CSystemCoverDelegate::setIconSize(int width, int height)
{
    m_iconSize = QSize(width, height);
    m_tickDark = scaled(QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/cover_selected_icon.png")), m_iconSize);
    m_tickLight = scaled(QPixmap(QStringLiteral(":/res/skin/light/bookshelf/cover_selected_icon.png")), m_iconSize);
}

QPixmap CSystemCoverDelegate::cover(const QString& path) const
{
    auto it = m_cache.constFind(path);
    if (it != m_cache.constEnd())
        return *it;
    const QPixmap picture = scaled(QPixmap(path), m_itemSize);
    m_cache.insert(path, picture);
    return picture;
}

void CSystemCoverDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    if (!index.isValid())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect rect(option.rect.topLeft(), m_itemSize);
    const bool dark = (m_qss->currentStyleType() & StyleDark) != 0;
    const QPixmap picture = cover(index.data(Qt::DisplayRole).toString());
    if (!picture.isNull()) {
        painter->drawPixmap(rect, picture);
        if (dark)
            painter->drawPixmap(rect, m_shade);
    }
    if (option.state & QStyle::State_Selected) {
        painter->drawPixmap(rect, m_frame);
        const QPixmap& tick = dark ? m_tickDark : m_tickLight;
        const QPoint at(rect.center().x() - m_iconSize.width() / 2, rect.center().y() - m_iconSize.height() / 2);
        painter->drawPixmap(at, tick);
    }
    painter->restore();
}

QSize CSystemCoverDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return m_itemSize;
}
