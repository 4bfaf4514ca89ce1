#include "COutlineBookModel.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"

COutlineBookModel::COutlineBookModel(QObject* parent) : QAbstractListModel(parent) {}

int COutlineBookModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return CPublicManager::instance()->bookList.size();
}

QVariant COutlineBookModel::data(const QModelIndex& index, int role) const
{
    const QList<T_Book*>& books = CPublicManager::instance()->bookList;
    if (!index.isValid() || index.row() < 0 || index.row() >= books.size())
        return QVariant();
    const T_Book* book = books.at(index.row());
    switch (role) {
    case BookLocalIdRole:
        return book->localId;
    case BookNameRole:
        return book->bookName;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> COutlineBookModel::roleNames() const
{
    return {{BookLocalIdRole, "bookLocalId"}, {BookNameRole, "bookName"}};
}

void COutlineBookModel::refresh()
{
    beginResetModel();
    endResetModel();
}
