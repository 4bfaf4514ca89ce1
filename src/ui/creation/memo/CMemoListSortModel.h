#pragma once

#include <QSortFilterProxyModel>

// Orders the memo cards by their last text or colour change.
class CMemoListSortModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CMemoListSortModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void setNewestFirst(bool newestFirst);
    bool newestFirst() const { return m_newestFirst; }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool m_newestFirst = true;
};
