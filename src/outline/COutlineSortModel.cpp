#include "COutlineSortModel.h"

#include "COutlineModel.h"

COutlineSortModel::COutlineSortModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

void COutlineSortModel::setFilter(int type)
{
    m_filter = type;
    invalidateFilter();
}

bool COutlineSortModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_filter == 0)
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    // The outline being typed stays in view whatever type it is given.
    if (index.data(COutlineModel::EditRole).toBool())
        return true;
    return index.data(COutlineModel::TypeRole).toInt() == m_filter;
}

bool COutlineSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const bool leftNew = left.data(COutlineModel::LocalIdRole).toInt() == 0;
    const bool rightNew = right.data(COutlineModel::LocalIdRole).toInt() == 0;
    if (leftNew || rightNew)
        return leftNew && !rightNew;
    return left.data(COutlineModel::OrderNumRole).toInt() > right.data(COutlineModel::OrderNumRole).toInt();
}
