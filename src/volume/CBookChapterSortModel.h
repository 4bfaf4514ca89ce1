#pragma once

#include <QSortFilterProxyModel>

// Shows a volume's chapters by orderNum: ascending with sortType 0, else
// descending.
class CBookChapterSortModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CBookChapterSortModel(QObject* parent = nullptr);

    void setSortType(int type);
    int sortType() const { return m_sortType; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int m_sortType = 0;
};
