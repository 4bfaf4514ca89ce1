#include "CMemoListSortModel.h"

#include "db/records/T_Memo.h"

CMemoListSortModel::CMemoListSortModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

QVariant CMemoListSortModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || !sourceModel())
        return QVariant();
    return sourceModel()->data(mapToSource(index), role);
}

void CMemoListSortModel::setNewestFirst(bool newestFirst)
{
    m_newestFirst = newestFirst;
    invalidate();
}

bool CMemoListSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (!left.isValid() || !right.isValid())
        return false;
    const T_Memo a = left.data().value<T_Memo>();
    const T_Memo b = right.data().value<T_Memo>();
    // Oldest first is the mirror order, not the negation: equal times must
    // compare false both ways for the sort to stay well defined.
    return m_newestFirst ? a.colorUpdateTime > b.colorUpdateTime : a.colorUpdateTime < b.colorUpdateTime;
}
