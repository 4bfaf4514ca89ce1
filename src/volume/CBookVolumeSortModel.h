#pragma once

#include <QSortFilterProxyModel>

// Shows the volumes by orderNum: ascending with sortType 0, else descending.
class CBookVolumeSortModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CBookVolumeSortModel(QObject* parent = nullptr);

    void setVolumeSort(int type);
    int sortType() const { return m_sortType; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int m_sortType = 0;
};
