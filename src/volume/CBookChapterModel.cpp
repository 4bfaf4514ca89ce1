#include "CBookChapterModel.h"

#include "OrderRotation.h"

#include <QDebug>
#include <QHash>

#include <algorithm>

CBookChapterModel::CBookChapterModel(QObject* parent) : QAbstractListModel(parent) {}

CBookChapterModel::~CBookChapterModel() = default;

int CBookChapterModel::rowCount(const QModelIndex&) const
{
    return m_items.size();
}

QVariant CBookChapterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isRow(index.row()))
        return QVariant();
    const CBookChapterItem& item = m_items.at(index.row());
    switch (role) {
    case LocalIdRole:
        return item.chapter.localId;
    case ChapterIdRole:
        return item.chapter.chapterId;
    case LocalVolumeIdRole:
        return item.ownerVolumeId;
    case ChapterNameRole: {
        QString name = item.chapter.name;
        return name.remove(QLatin1Char('\n'));
    }
    case OuderNumRole:
        return item.chapter.orderNum;
    case ChapterSelectedRole:
        return item.selected;
    case ChapterEditingRole:
        return item.editing;
    case MoveLineRole:
        return item.moveLine;
    case BookIdRole:
        return item.chapter.bookId;
    default:
        // ChapterExpandRole is known to the panel but carries nothing.
        return QVariant();
    }
}

QHash<int, QByteArray> CBookChapterModel::roleNames() const
{
    return {{LocalIdRole, "localId"},
            {ChapterIdRole, "chapterId"},
            {LocalVolumeIdRole, "localVolumeId"},
            {ChapterNameRole, "chapterName"},
            {OuderNumRole, "ouderNum"},
            {ChapterSelectedRole, "chapterSelected"},
            {ChapterExpandRole, "chapterExpand"},
            {ChapterEditingRole, "chapterEditing"},
            {MoveLineRole, "moveLine"},
            {BookIdRole, "BookId"}};
}

void CBookChapterModel::addItem(const CBookChapterItem& item)
{
    beginInsertRows(QModelIndex(), m_items.size(), m_items.size());
    m_items.append(item);
    endInsertRows();
    qDebug() << "chapter item added, order" << item.chapter.orderNum;
}

void CBookChapterModel::followChapters(const QList<const T_Chapter*>& chapters, int localVolumeId)
{
    QHash<int, const T_Chapter*> byId;
    for (const T_Chapter* chapter : chapters)
        byId.insert(chapter->localId, chapter);
    for (int row = m_items.size() - 1; row >= 0; --row) {
        if (byId.contains(m_items.at(row).chapter.localId))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_items.removeAt(row);
        endRemoveRows();
    }
    for (const T_Chapter* chapter : chapters) {
        const auto it = std::find_if(m_items.begin(), m_items.end(), [chapter](const CBookChapterItem& item) {
            return item.chapter.localId == chapter->localId;
        });
        if (it == m_items.end()) {
            addItem(CBookChapterItem(*chapter, localVolumeId));
            continue;
        }
        it->chapter = *chapter;
        it->ownerVolumeId = localVolumeId;
        notify(int(it - m_items.begin()));
    }
    announceSort();
}

void CBookChapterModel::insertItem(const CBookChapterItem& item, int row, bool after)
{
    if (m_items.isEmpty() ? row != 0 : !isRow(row)) {
        clearMoveLines();
        return;
    }
    CBookChapterItem copy = item;
    if (!m_items.isEmpty()) {
        QList<int> numbers;
        for (const CBookChapterItem& existing : qAsConst(m_items))
            numbers.append(existing.chapter.orderNum);
        std::sort(numbers.begin(), numbers.end());
        const int base = m_items.at(row).chapter.orderNum;
        int number = base;
        if (after) {
            const int k = numbers.indexOf(base);
            number = k + 1 < numbers.size() ? numbers.at(k + 1) : base + 1;
        }
        for (int i = 0; i < m_items.size(); ++i) {
            if (m_items[i].chapter.orderNum >= number) {
                ++m_items[i].chapter.orderNum;
                notify(i);
            }
        }
        copy.chapter.orderNum = number;
    }
    // Announced where it really goes, so that proxies keep their mapping.
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(row, copy);
    endInsertRows();
    clearMoveLines();
    announceSort();
}

void CBookChapterModel::removeItem(const CBookChapterItem& item)
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row).chapter.localId != item.chapter.localId)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_items.removeAt(row);
        endRemoveRows();
        return;
    }
}

void CBookChapterModel::moveItem(int from, int to, int)
{
    if (!isRow(from) || !isRow(to) || from == to) {
        announceSort();
        clearMoveLines();
        return;
    }
    // The items keep their rows and only their numbers change, so the change
    // is told as changed rows and a new sort, not as a row move: a move would
    // leave the sort model mapping rows the list no longer has there.
    QList<int> numbers;
    for (const CBookChapterItem& item : qAsConst(m_items))
        numbers.append(item.chapter.orderNum);
    const QMap<int, int> renumbered =
        rotateOrderNums(numbers, m_items.at(from).chapter.orderNum, m_items.at(to).chapter.orderNum);
    for (int i = 0; i < m_items.size(); ++i) {
        const int number = m_items.at(i).chapter.orderNum;
        const int next = renumbered.value(number, number);
        if (next != number) {
            m_items[i].chapter.orderNum = next;
            notify(i);
        }
    }
    clearMoveLines();
    announceSort();
}

void CBookChapterModel::setItemName(int row, const QString& name)
{
    if (!isRow(row))
        return;
    m_items[row].chapter.name = name;
    notify(row);
}

void CBookChapterModel::setItemEditing(int row, bool editing)
{
    if (!isRow(row) || m_items[row].editing == editing)
        return;
    m_items[row].editing = editing;
    notify(row);
}

void CBookChapterModel::setMoveLine(int row, bool bottom)
{
    if (!isRow(row)) {
        clearMoveLines();
        return;
    }
    m_items[row].moveLine = bottom ? 1 : 0;
    notify(row);
    for (int i = 0; i < m_items.size(); ++i) {
        if (i != row && m_items.at(i).moveLine != -1) {
            m_items[i].moveLine = -1;
            notify(i);
        }
    }
}

void CBookChapterModel::clearMoveLines()
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).moveLine != -1) {
            m_items[i].moveLine = -1;
            notify(i);
        }
    }
}

void CBookChapterModel::setOrderNums(const QMap<int, int>& orderNums)
{
    for (int i = 0; i < m_items.size(); ++i) {
        const auto it = orderNums.constFind(m_items.at(i).chapter.localId);
        if (it == orderNums.constEnd() || m_items.at(i).chapter.orderNum == *it)
            continue;
        m_items[i].chapter.orderNum = *it;
        notify(i);
    }
    announceSort();
}

void CBookChapterModel::selectItem(int row)
{
    for (int i = 0; i < m_items.size(); ++i) {
        const bool selected = i == row;
        if (m_items.at(i).selected != selected || selected) {
            m_items[i].selected = selected;
            notify(i);
        }
    }
}

void CBookChapterModel::selectItemByLocalId(int localChapterId)
{
    for (int i = 0; i < m_items.size(); ++i) {
        const bool selected = m_items.at(i).chapter.localId == localChapterId;
        if (m_items.at(i).selected != selected || selected) {
            m_items[i].selected = selected;
            notify(i);
        }
    }
}

void CBookChapterModel::clearSelection()
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).selected) {
            m_items[i].selected = false;
            notify(i);
        }
    }
}

bool CBookChapterModel::hasSelected() const
{
    return std::any_of(m_items.cbegin(), m_items.cend(), [](const CBookChapterItem& item) { return item.selected; });
}

CBookChapterItem CBookChapterModel::getItem(int row) const
{
    return isRow(row) ? m_items.at(row) : CBookChapterItem();
}

CBookChapterItem CBookChapterModel::getItemByLocalId(int localChapterId) const
{
    for (int i = m_items.size() - 1; i >= 0; --i) {
        if (m_items.at(i).chapter.localId == localChapterId)
            return m_items.at(i);
    }
    return CBookChapterItem();
}

int CBookChapterModel::rowOfLocalId(int localChapterId) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).chapter.localId == localChapterId)
            return i;
    }
    return -1;
}

QMap<int, int> CBookChapterModel::getOrderMap() const
{
    QMap<int, int> map;
    for (const CBookChapterItem& item : m_items)
        map.insert(item.chapter.localId, item.chapter.orderNum);
    return map;
}

void CBookChapterModel::notify(int row)
{
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

void CBookChapterModel::announceSort()
{
    emit layoutChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::VerticalSortHint);
}
