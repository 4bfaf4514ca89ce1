#include "CBookChapterSortModel.h"

#include "CBookChapterModel.h"

CBookChapterSortModel::CBookChapterSortModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

void CBookChapterSortModel::setSortType(int type)
{
    // A new sort rebuilds every row of the list in the panel, a name box
    // being typed in included: only a real change of order is worth it.
    if (type == m_sortType)
        return;
    m_sortType = type;
    invalidate();
}

bool CBookChapterSortModel::filterAcceptsRow(int, const QModelIndex&) const
{
    return true;
}

bool CBookChapterSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const int l = left.data(CBookChapterModel::OuderNumRole).toInt();
    const int r = right.data(CBookChapterModel::OuderNumRole).toInt();
    // Strictly greater: a sort needs a strict ordering, equal numbers are
    // not reordered.
    return m_sortType == 0 ? l < r : l > r;
}
