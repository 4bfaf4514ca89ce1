#include "COutlineModel.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "remote/records/OutlineRecords.h"

#include <QDebug>

#include <algorithm>

COutlineModel::COutlineModel(QObject* parent)
    : QAbstractListModel(parent), m_bookJobs(CBookJobManager::instance())
{
}

T_Book* COutlineModel::book() const
{
    if (m_localBookId < 1)
        return nullptr;
    return CPublicManager::instance()->findBookByLocalId(m_localBookId);
}

void COutlineModel::setBook(T_Book* book)
{
    beginResetModel();
    m_localBookId = book ? book->localId : 0;
    endResetModel();
}

int COutlineModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    const T_Book* shown = book();
    return shown ? shown->outline.outlineList.size() : 0;
}

QVariant COutlineModel::data(const QModelIndex& index, int role) const
{
    const T_Book* shown = book();
    if (!index.isValid() || shown == nullptr || index.row() < 0
        || index.row() >= shown->outline.outlineList.size())
        return QVariant();
    const T_Outline* outline = shown->outline.outlineList.at(index.row());
    switch (role) {
    case LocalIdRole:
        return outline->localId;
    case OutlineIdRole:
        return outline->outlineId;
    case BookLocalIdRole:
        return outline->localBookId;
    case OrderNumRole:
        return outline->orderNum;
    case TypeRole:
        return outline->type;
    case ContentRole:
        return outline->content;
    case CheckedRole:
        return outline->isCheckedC;
    case ExpandRole:
        return outline->isExpand;
    case EditRole:
        return outline->isEdit;
    case MoveLineRole:
        return outline->moveLine;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> COutlineModel::roleNames() const
{
    return {{LocalIdRole, "localId"},       {OutlineIdRole, "outlineId"},     {BookLocalIdRole, "bookLocalId"},
            {OrderNumRole, "ouderNum"},     {TypeRole, "outlineType"},        {ContentRole, "outlineContent"},
            {CheckedRole, "isCheckedC"},    {ExpandRole, "isExpand"},         {EditRole, "isEdit"},
            {MoveLineRole, "moveLine"}};
}

int COutlineModel::rowOf(int localId) const
{
    const T_Book* shown = book();
    if (shown == nullptr)
        return -1;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    for (int row = 0; row < list.size(); ++row) {
        if (list.at(row)->localId == localId)
            return row;
    }
    return -1;
}

void COutlineModel::announce(int row)
{
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

// ---- creating ------------------------------------------------------------------------

void COutlineModel::create(int type)
{
    T_Book* shown = book();
    // One unsaved row at a time: a second one could never be told apart
    // when the stored record comes back.
    if (shown == nullptr || rowOf(0) >= 0)
        return;
    beginInsertRows(QModelIndex(), 0, 0);
    auto* outline = new T_Outline;
    outline->type = type;
    outline->localBookId = shown->localId;
    outline->bookId = shown->bookId;
    outline->createTime = static_cast<int>(currentServerTime());
    shown->outline.outlineList.prepend(outline);
    endInsertRows();
}

bool COutlineModel::create(int type, const QString& text)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return false;
    int highest = 0;
    for (const T_Outline* outline : qAsConst(shown->outline.outlineList))
        highest = std::max(highest, outline->orderNum);
    TC_BookOutline_Create request(shown->bookId, shown->localId, 0, 0, type, highest + 1,
                                  static_cast<int>(currentServerTime()), QString(), text);
    return m_bookJobs->outline_create(request);
}

void COutlineModel::addItem(T_Book* target, T_Outline* outline, bool append)
{
    if (target == nullptr || outline == nullptr)
        return;
    QList<T_Outline*>& list = target->outline.outlineList;
    const int unsaved = append ? -1 : rowOf(0);
    if (unsaved < 0) {
        // From the change feed, or stored while nothing was being typed: the
        // record joins the list as it is, so no stored outline goes missing.
        beginInsertRows(QModelIndex(), list.size(), list.size());
        list.append(outline);
        endInsertRows();
        return;
    }
    T_Outline* row = list.at(unsaved);
    row->type = outline->type;
    row->bookId = outline->bookId;
    row->localBookId = outline->localBookId;
    row->localId = outline->localId;
    row->content = outline->content;
    row->outlineId = outline->outlineId;
    row->orderNum = outline->orderNum;
    row->title = outline->title;
    row->createTime = static_cast<int>(currentServerTime());
    delete outline;
    announce(unsaved);
}

// ---- updating ------------------------------------------------------------------------

bool COutlineModel::update(int localId, int type, const QString& text)
{
    T_Book* shown = book();
    const int row = rowOf(localId);
    if (shown == nullptr || row < 0)
        return false;
    const T_Outline* outline = shown->outline.outlineList.at(row);
    TC_BookOutline_Update request;
    request.header.localBookId = shown->localId;
    request.header.bookId = shown->bookId;
    request.localOutlineId = outline->localId;
    request.outlineId = outline->outlineId;
    request.localBookId = shown->localId;
    request.bookId = shown->bookId;
    request.updateTime = static_cast<int>(currentServerTime());
    request.type = type;
    // The panel edits only the text; a title given elsewhere stays as it is.
    request.title = outline->title;
    request.content = text;
    const bool stored = m_bookJobs->outline_update(request);
    announce(row);
    return stored;
}

void COutlineModel::updateItem(T_Outline* outline)
{
    if (outline == nullptr)
        return;
    const int row = rowOf(outline->localId);
    if (row >= 0)
        announce(row);
}

// ---- deleting ------------------------------------------------------------------------

bool COutlineModel::sendDelete(T_Book* shown, const T_Outline* outline)
{
    TC_BookOutline_Delete request;
    request.header.localBookId = shown->localId;
    request.header.bookId = shown->bookId;
    request.localOutlineId = outline->localId;
    request.outlineId = outline->outlineId;
    request.type = outline->type;
    request.localBookId = shown->localId;
    request.bookId = shown->bookId;
    request.updateTime = static_cast<int>(currentServerTime());
    // On success the operation has taken the record out (removeItem).
    return m_bookJobs->outline_delete(request);
}

bool COutlineModel::deleteItem(int localId)
{
    T_Book* shown = book();
    const int row = rowOf(localId);
    if (shown == nullptr || row < 0)
        return false;
    if (localId == 0) {
        qDebug() << "deleteOutline 00";
        beginRemoveRows(QModelIndex(), row, row);
        delete shown->outline.outlineList.takeAt(row);
        endRemoveRows();
        return true;
    }
    qDebug() << "deleteOutline" << localId;
    // A failed delete keeps the row: the outline is still stored.
    return sendDelete(shown, shown->outline.outlineList.at(row));
}

void COutlineModel::removeItem(T_Book* target, T_Outline* outline, bool fromSync)
{
    Q_UNUSED(fromSync)
    if (target == nullptr || outline == nullptr)
        return;
    QList<T_Outline*>& list = target->outline.outlineList;
    const int row = list.indexOf(outline);
    if (row < 0)
        return;
    if (m_resetting) {
        delete list.takeAt(row);
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    delete list.takeAt(row);
    endRemoveRows();
}

bool COutlineModel::removeAll()
{
    T_Book* shown = book();
    if (shown == nullptr || shown->outline.outlineList.isEmpty())
        return true;
    bool allDone = true;
    beginResetModel();
    m_resetting = true;
    const QList<T_Outline*> checked = [shown]() {
        QList<T_Outline*> list;
        for (T_Outline* outline : qAsConst(shown->outline.outlineList))
            if (outline->isCheckedC)
                list.append(outline);
        return list;
    }();
    for (T_Outline* outline : checked) {
        if (outline->localId == 0) {
            // The unsaved row was never stored: it only leaves the list.
            shown->outline.outlineList.removeOne(outline);
            delete outline;
            continue;
        }
        if (!sendDelete(shown, outline))
            allDone = false;
    }
    m_resetting = false;
    endResetModel();
    return allDone;
}

// ---- moving --------------------------------------------------------------------------

bool COutlineModel::move(int from, int to)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return false;
    const int last = shown->outline.outlineList.size() - 1;
    if (from < 0 || to < 0 || from > last || to > last || from == to) {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
        clearMoveLine();
        return false;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QList<T_Outline*>& list = shown->outline.outlineList;
    TC_BookOutline_Move request;
    request.header.localBookId = shown->localId;
    request.header.bookId = shown->bookId;
    request.bookId = shown->bookId;
    request.localBookId = shown->localId;
    request.fromLocalId = list.at(from)->localId;
    request.toLocalId = list.at(to)->localId;
    request.fromOutlineId = list.at(from)->outlineId;
    request.toOutlineId = list.at(to)->outlineId;
    request.updateTime = static_cast<int>(currentServerTime());
    const bool stored = m_bookJobs->outline_move(request, from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    clearMoveLine();
    return stored;
}

void COutlineModel::moveLine(int row, bool bottom)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    if (row < 0 || row >= list.size()) {
        clearMoveLine();
        return;
    }
    list.at(row)->moveLine = bottom ? 1 : 0;
    announce(row);
    for (int other = 0; other < list.size(); ++other) {
        if (other != row && list.at(other)->moveLine != -1) {
            list.at(other)->moveLine = -1;
            announce(other);
        }
    }
}

void COutlineModel::clearMoveLine()
{
    T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    for (int row = 0; row < list.size(); ++row) {
        if (list.at(row)->moveLine != -1) {
            list.at(row)->moveLine = -1;
            announce(row);
        }
    }
}

// ---- marks ---------------------------------------------------------------------------

void COutlineModel::check(int localId, bool value)
{
    const int row = rowOf(localId);
    if (row < 0)
        return;
    book()->outline.outlineList.at(row)->isCheckedC = value;
    announce(row);
}

void COutlineModel::checkAll(bool value)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    for (int row = 0; row < list.size(); ++row) {
        list.at(row)->isCheckedC = value;
        announce(row);
    }
}

int COutlineModel::checkState() const
{
    const T_Book* shown = book();
    if (shown == nullptr || shown->outline.outlineList.isEmpty())
        return 0;
    int checked = 0;
    for (const T_Outline* outline : qAsConst(shown->outline.outlineList))
        if (outline->isCheckedC)
            ++checked;
    if (checked == 0)
        return 0;
    return checked == shown->outline.outlineList.size() ? 3 : 1;
}

void COutlineModel::expand(int localId, bool value)
{
    const int row = rowOf(localId);
    if (row < 0)
        return;
    book()->outline.outlineList.at(row)->isExpand = value;
    announce(row);
}

void COutlineModel::expandAll(bool value)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    for (int row = 0; row < list.size(); ++row) {
        list.at(row)->isExpand = value;
        announce(row);
    }
}

void COutlineModel::edit(int localId, bool value)
{
    T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QList<T_Outline*>& list = shown->outline.outlineList;
    for (int row = 0; row < list.size(); ++row) {
        if (list.at(row)->localId == localId) {
            list.at(row)->isEdit = value;
            announce(row);
        }
    }
}
