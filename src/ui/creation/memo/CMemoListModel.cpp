#include "CMemoListModel.h"

#include "common/ServerClock.h"
#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"

CMemoListModel::CMemoListModel(QObject* parent)
    : QStringListModel(parent),
      m_model(CPublicManager::instance()),
      m_jobs(CJobManager::instance())
{
}

int CMemoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_model->memoList.size();
}

QVariant CMemoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() < 0
        || index.row() >= m_model->memoList.size())
        return QVariant();
    return QVariant::fromValue(*m_model->memoList.at(index.row()));
}

bool CMemoListModel::insertMemoRow(int row)
{
    if (row < 0 || row >= m_model->memoList.size())
        return false;
    // The memo is already in the list: announce the row that appeared.
    beginInsertRows(QModelIndex(), row, row);
    endInsertRows();
    return true;
}

bool CMemoListModel::removeMemoRow(int row, bool fromServer)
{
    if (row < 0 || row >= m_model->memoList.size())
        return false;
    const T_Memo* memo = m_model->memoList.at(row);
    TC_Memo_Del request;
    request.header.localMemoId = memo->localId;
    request.header.memoId = memo->memoId;
    request.header.synStep = fromServer ? 1 : 0;
    request.updateTime = static_cast<int>(currentServerTime());
    const int before = m_model->memoList.size();
    beginRemoveRows(QModelIndex(), row, row);
    const bool ok = m_jobs->memoDel(request);
    // The views must see exactly the list as it is: a delete that failed
    // leaves the row, so it is announced again.
    if (m_model->memoList.size() == before) {
        endRemoveRows();
        beginInsertRows(QModelIndex(), row, row);
        endInsertRows();
        return false;
    }
    endRemoveRows();
    return ok;
}

bool CMemoListModel::updateMemoRow(int row)
{
    if (row < 0 || row >= m_model->memoList.size())
        return false;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
    return true;
}

void CMemoListModel::reload()
{
    beginResetModel();
    endResetModel();
}
