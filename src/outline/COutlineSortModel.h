#pragma once

#include <QSortFilterProxyModel>

// The panel's order and filter over COutlineModel: the unsaved row first,
// then the higher orderNum higher up; filter 0 shows every type, 1 to 4 one
// type plus the outline being typed.
class COutlineSortModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit COutlineSortModel(QObject* parent = nullptr);

    int filter() const { return m_filter; }
    void setFilter(int type);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int m_filter = 0;
};
