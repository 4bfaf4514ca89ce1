#include "CBookVolumeSortModel.h"

#include "CBookVolumeModel.h"

#include <QDebug>

CBookVolumeSortModel::CBookVolumeSortModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

void CBookVolumeSortModel::setVolumeSort(int type)
{
    m_sortType = type;
    qDebug() << "volume sort" << type;
    invalidate();
}

bool CBookVolumeSortModel::filterAcceptsRow(int, const QModelIndex&) const
{
    return true;
}

bool CBookVolumeSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const int l = left.data(CBookVolumeModel::OuderNumRole).toInt();
    const int r = right.data(CBookVolumeModel::OuderNumRole).toInt();
    // Strictly greater: a sort needs a strict ordering.
    return m_sortType == 0 ? l < r : l > r;
}
