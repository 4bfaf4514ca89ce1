#include "CBookVolumeModel.h"
#include "manager/CPublicManager.h"

#include "CBookChapterModel.h"
#include "CBookChapterSortModel.h"
#include "CBookVolumeItem.h"
#include "OrderRotation.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "remote/records/VolumeRecords.h"

#include <utility>

CBookVolumeModel::CBookVolumeModel(QObject* parent)
    : QAbstractListModel(parent), m_jobManager(CJobManager::instance())
{
}

CBookVolumeModel::~CBookVolumeModel()
{
    qDeleteAll(m_items);
}

int CBookVolumeModel::rowCount(const QModelIndex&) const
{
    return m_items.size();
}

QVariant CBookVolumeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isRow(index.row()))
        return QVariant();
    const CBookVolumeItem* item = m_items.at(index.row());
    switch (role) {
    case LocalIdRole:
        return item->volume.localId;
    case VolumeIdRole:
        return item->volume.volumeId;
    case VolumeNameRole: {
        QString name = item->volume.volumeName;
        return name.remove(QLatin1Char('\n'));
    }
    case OuderNumRole:
        return item->volume.orderNum;
    case VolumeSelectedRole:
        return item->selected;
    case IsExpandRole:
        return item->isExpand;
    case VolumeEditingRole:
        return item->editing;
    case VolumeMoveLineRole:
        return item->moveLine;
    case BookIdRole:
        return item->volume.bookId;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CBookVolumeModel::roleNames() const
{
    return {{LocalIdRole, "localId"},
            {VolumeIdRole, "volumeId"},
            {VolumeNameRole, "volumeName"},
            {OuderNumRole, "ouderNum"},
            {VolumeSelectedRole, "volumeSelected"},
            {IsExpandRole, "isExpand"},
            {VolumeEditingRole, "volumeEditing"},
            {VolumeMoveLineRole, "volumeMoveLine"},
            {BookIdRole, "bookId"}};
}

T_Book* CBookVolumeModel::book() const
{
    return m_localBookId > 0 ? CPublicManager::instance()->findBookByLocalId(m_localBookId) : nullptr;
}

void CBookVolumeModel::setBook(T_Book* book)
{
    beginResetModel();
    // An item takes its chapter model with it, and a view of that model may
    // read this one again at once: the list no longer holds what goes.
    qDeleteAll(std::exchange(m_items, {}));
    m_localBookId = book ? book->localId : 0;
    if (book != nullptr) {
        for (const T_Volume* volume : qAsConst(book->volumeList)) {
            if (volume->status == 0)
                continue;
            auto* item = new CBookVolumeItem();
            item->volume = *volume;
            for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
                if (chapter->localVolumeId == volume->localId)
                    item->chapterModel->addItem(CBookChapterItem(*chapter, volume->localId));
            }
            m_items.append(item);
        }
    }
    endResetModel();
}

void CBookVolumeModel::followBook(T_Book* book)
{
    if (book == nullptr || book->localId != m_localBookId) {
        setBook(book);
        return;
    }
    for (int row = m_items.size() - 1; row >= 0; --row) {
        const T_Volume* volume = book->findVolumeByLocalId(m_items.at(row)->volume.localId);
        if (volume == nullptr || volume->status == 0)
            removeVolume(m_items.at(row)->volume);
    }
    for (const T_Volume* volume : qAsConst(book->volumeList)) {
        if (volume->status == 0)
            continue;
        int row = rowOfLocalId(volume->localId);
        if (row < 0) {
            addVolume(*volume);
            row = m_items.size() - 1;
        } else {
            m_items[row]->volume = *volume;
            notify(row);
        }
        QList<const T_Chapter*> chapters;
        for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
            if (chapter->localVolumeId == volume->localId)
                chapters.append(chapter);
        }
        m_items.at(row)->chapterModel->followChapters(chapters, volume->localId);
    }
}

void CBookVolumeModel::addVolume(const T_Volume& volume)
{
    auto* item = new CBookVolumeItem();
    item->volume = volume;
    beginInsertRows(QModelIndex(), m_items.size(), m_items.size());
    m_items.append(item);
    endInsertRows();
}

void CBookVolumeModel::removeVolume(const T_Volume& volume)
{
    const int row = rowOfLocalId(volume.localId);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    CBookVolumeItem* item = m_items.takeAt(row);
    endRemoveRows();
    delete item;
}

bool CBookVolumeModel::moveItem(int from, int to, int)
{
    if (!isRow(from) || !isRow(to) || from == to) {
        emit layoutChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::VerticalSortHint);
        clearMoveLines();
        // Dropped where it was: nothing to record, nothing refused.
        return from == to;
    }
    const T_Book* shown = book();
    // Rows stay where they are and only the numbers change: told as changed
    // rows, which the sort model re-sorts, rather than as a row move the list
    // never makes.
    QList<int> numbers;
    for (const CBookVolumeItem* item : qAsConst(m_items))
        numbers.append(item->volume.orderNum);
    const QMap<int, int> renumbered =
        rotateOrderNums(numbers, m_items.at(from)->volume.orderNum, m_items.at(to)->volume.orderNum);
    QMap<int, int> orderMap;
    for (const CBookVolumeItem* item : qAsConst(m_items)) {
        const auto it = renumbered.constFind(item->volume.orderNum);
        if (it != renumbered.constEnd())
            orderMap.insert(item->volume.localId, *it);
    }
    bool stored = shown == nullptr;
    if (shown != nullptr) {
        TC_Volume_Move request;
        request.header.localBookId = shown->localId;
        request.header.bookId = shown->bookId;
        request.localFromVolumeId = m_items.at(from)->volume.localId;
        request.fromVolumeId = -1;
        request.localToVolumeId = m_items.at(to)->volume.localId;
        request.toVolumeId = -1;
        request.updateTime = static_cast<int>(currentServerTime());
        stored = m_jobManager->volume_move(request, orderMap);
    }
    // The tree shows the order that is stored, not the one the drag made.
    for (int row = 0; stored && row < m_items.size(); ++row) {
        T_Volume& volume = m_items[row]->volume;
        const int order = orderMap.value(volume.localId, volume.orderNum);
        if (volume.orderNum != order) {
            volume.orderNum = order;
            notify(row);
        }
    }
    emit layoutChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::VerticalSortHint);
    clearMoveLines();
    return stored;
}

bool CBookVolumeModel::setVolumeName(int row, const QString& name)
{
    if (!isRow(row))
        return false;
    const T_Volume& volume = m_items.at(row)->volume;
    TC_Volume_Edit request;
    request.header.localBookId = volume.localBookId;
    request.header.bookId = volume.bookId;
    request.header.localVolumeId = volume.localId;
    request.header.volumeId = volume.volumeId;
    request.volumeName = name;
    request.updateTime = static_cast<int>(currentServerTime());
    if (!m_jobManager->volume_edit(request))
        return false;
    m_items[row]->volume.volumeName = name;
    notify(row);
    return true;
}

void CBookVolumeModel::setVolumeEditing(int row, bool editing)
{
    if (!isRow(row) || m_items[row]->editing == editing)
        return;
    m_items[row]->editing = editing;
    notify(row);
}

void CBookVolumeModel::setExpand(int localVolumeId, bool expand)
{
    const int row = rowOfLocalId(localVolumeId);
    if (row < 0)
        return;
    m_items[row]->isExpand = expand;
    notify(row);
}

void CBookVolumeModel::setAllExpand(bool expand)
{
    for (int row = 0; row < m_items.size(); ++row) {
        m_items[row]->isExpand = expand;
        notify(row);
    }
}

void CBookVolumeModel::setVolumeMoveLine(int row, bool bottom)
{
    if (!isRow(row)) {
        clearMoveLines();
        return;
    }
    m_items[row]->moveLine = bottom ? 1 : 0;
    notify(row);
    for (int i = 0; i < m_items.size(); ++i) {
        if (i != row && m_items.at(i)->moveLine != -1) {
            m_items[i]->moveLine = -1;
            notify(i);
        }
    }
}

void CBookVolumeModel::clearMoveLines()
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->moveLine != -1) {
            m_items[row]->moveLine = -1;
            notify(row);
        }
    }
}

void CBookVolumeModel::clearChapterLines()
{
    for (const CBookVolumeItem* item : qAsConst(m_items)) {
        if (item->chapterModel)
            item->chapterModel->clearMoveLines();
    }
}

void CBookVolumeModel::selectVolume(int row)
{
    selectRowOnly(row);
}

void CBookVolumeModel::selectVolumeByLocalId(int localVolumeId)
{
    selectRowOnly(rowOfLocalId(localVolumeId));
}

void CBookVolumeModel::selectChapter(int localVolumeId, int row)
{
    for (const CBookVolumeItem* item : qAsConst(m_items)) {
        if (item->volume.localId != localVolumeId && item->chapterModel)
            item->chapterModel->clearSelection();
    }
    if (CBookChapterModel* model = getChapterModelByLocalId(localVolumeId)) {
        model->selectItem(row);
        selectVolumeByLocalId(localVolumeId);
    }
}

void CBookVolumeModel::selectChapterByLocalId(int localVolumeId, int localChapterId)
{
    for (const CBookVolumeItem* item : qAsConst(m_items)) {
        if (item->volume.localId != localVolumeId && item->chapterModel)
            item->chapterModel->clearSelection();
    }
    if (CBookChapterModel* model = getChapterModelByLocalId(localVolumeId)) {
        model->selectItemByLocalId(localChapterId);
        selectVolumeByLocalId(localVolumeId);
    }
}

T_Volume CBookVolumeModel::getSelectedVolume() const
{
    for (const CBookVolumeItem* item : m_items) {
        if (item->selected)
            return item->volume;
    }
    return T_Volume();
}

bool CBookVolumeModel::hasSelectedChapter() const
{
    for (const CBookVolumeItem* item : m_items) {
        if (item->chapterModel && item->chapterModel->hasSelected())
            return true;
    }
    return false;
}

CBookChapterModel* CBookVolumeModel::getChapterModel(int row) const
{
    return isRow(row) ? m_items.at(row)->chapterModel.data() : nullptr;
}

CBookChapterModel* CBookVolumeModel::getChapterModelByLocalId(int localVolumeId) const
{
    return getChapterModel(rowOfLocalId(localVolumeId));
}

CBookChapterSortModel* CBookVolumeModel::getChapterSortModel(int row) const
{
    return isRow(row) ? m_items.at(row)->chapterSortModel.data() : nullptr;
}

CBookChapterSortModel* CBookVolumeModel::getChapterSortModelByLocalId(int localVolumeId) const
{
    return getChapterSortModel(rowOfLocalId(localVolumeId));
}

void CBookVolumeModel::setChapterSort(int type)
{
    for (const CBookVolumeItem* item : qAsConst(m_items)) {
        if (item->chapterSortModel)
            item->chapterSortModel->setSortType(type);
    }
}

T_Volume CBookVolumeModel::volumeAt(int row) const
{
    return isRow(row) ? m_items.at(row)->volume : T_Volume();
}

bool CBookVolumeModel::isExpanded(int row) const
{
    return isRow(row) && m_items.at(row)->isExpand;
}

int CBookVolumeModel::rowOfLocalId(int localVolumeId) const
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->volume.localId == localVolumeId)
            return row;
    }
    return -1;
}

void CBookVolumeModel::notify(int row)
{
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

void CBookVolumeModel::selectRowOnly(int row)
{
    for (int i = 0; i < m_items.size(); ++i) {
        const bool selected = i == row;
        if (m_items.at(i)->selected != selected || selected) {
            m_items[i]->selected = selected;
            notify(i);
        }
    }
}
