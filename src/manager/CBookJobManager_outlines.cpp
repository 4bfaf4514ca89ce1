// Outline operations: create, update, delete, reorder, and the outline list
// request.

#include "BookJobSend.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "outline/COutlineController.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}

bool CBookJobManager::outline_create(TC_BookOutline_Create& request)
{
    if (request.type < 1)
        return false;
    // A book in the recycle bin takes the platform's outlines (and their
    // conflict copies) too.
    T_Book* book = m_model->findAnyBookByLocalId(request.localBookId);
    qDebug() << "outline_create==" << request.updateTime << request.localBookId << request.bookId << request.type
             << request.outlineId << request.header.synStep;
    if (book == nullptr)
        return false;
    request.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    const bool fromServer = request.header.synStep != 0;
    // Row and job together: an outline stored without its job would never
    // reach the platform.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("outline add not begun");
        if (!m_db->insertOutline(request))
            return dbFailed("outline not stored");
        if (!fromServer) {
            const QJsonObject content{{QStringLiteral("title"), request.title},
                                      {QStringLiteral("content"), request.content},
                                      {QStringLiteral("type"), request.type},
                                      {QStringLiteral("orderNum"), request.orderNum}};
            if (!recordJob(request.header, compact(content), now(), request.localOutlineId, &revision))
                return false;
        }
        if (!transaction.commit())
            return dbFailed("outline add not committed");
    }
    qDebug() << "write outline db succeed" << request.localOutlineId;

    auto* outline = new T_Outline;
    outline->type = request.type;
    outline->title = request.title;
    outline->content = request.content;
    outline->createTime = now();
    outline->localId = request.localOutlineId;
    outline->outlineId = request.outlineId;
    outline->localBookId = book->localId;
    outline->bookId = book->bookId;
    outline->orderNum = request.orderNum;
    COutlineController::instance()->addItem(book, outline, fromServer);
    if (fromServer)
        return true;
    if (request.bookId >= 1 && request.localOutlineId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::outlineCreate_asyn);
    return true;
}

bool CBookJobManager::outline_update(TC_BookOutline_Update& request)
{
    if (request.localOutlineId < 1)
        return false;
    // Resolved before the row is written, so a book or outline the model
    // does not hold leaves the table as it was too.
    T_Book* book = m_model->findBookByLocalId(request.localBookId);
    T_Outline* outline = book ? book->findOutlineByLocalId(request.localOutlineId) : nullptr;
    if (outline == nullptr)
        return false;
    request.bookId = book->bookId;
    request.outlineId = outline->outlineId;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("outline update not begun");
        if (!m_db->updateOutline(request))
            return dbFailed("outline not stored");
        const QJsonObject content{{QStringLiteral("title"), request.title},
                                  {QStringLiteral("content"), request.content},
                                  {QStringLiteral("type"), request.type},
                                  {QStringLiteral("outlineId"), request.outlineId}};
        if (!recordJob(request.header, compact(content), now(), request.localOutlineId, nullptr))
            return false;
        // The text it replaces is what the platform holds as far as this
        // copy knows: the feed's guard keeps a copy of the platform's text
        // only when it is none of those (CSynDataManager::guardOutline).
        if (!m_db->noteEditReplaced(request.header.jobId, noteTextMd5(outline->content, outline->title)))
            return dbFailed("outline update's starting text not kept");
        if (!transaction.commit())
            return dbFailed("outline update not committed");
    }
    qDebug() << "update outline db finish" << request.localOutlineId;
    outline->title = request.title;
    outline->content = request.content;
    outline->type = request.type;
    if (request.bookId >= 1 && request.outlineId >= 1)
        CJobManager::instance()->sendEditAfterFeed(request.header.jobId);
    return true;
}

bool CBookJobManager::outline_delete(TC_BookOutline_Delete& request)
{
    if (request.localOutlineId < 1 || request.localBookId < 1)
        return false;
    T_Book* book = request.header.synStep != 0 ? m_model->findAnyBookByLocalId(request.localBookId)
                                               : m_model->findBookByLocalId(request.localBookId);
    T_Outline* outline = book ? book->findOutlineByLocalId(request.localOutlineId) : nullptr;
    if (outline == nullptr)
        return false;
    request.bookId = book->bookId;
    request.outlineId = outline->outlineId;
    if (request.type < 1)
        request.type = outline->type;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    const bool fromServer = request.header.synStep != 0;
    // The platform never had an outline without a server id: its waiting
    // jobs go, and no delete is queued that could never be sent.
    const bool neverSent = !fromServer && request.outlineId < 1
                           && !m_db->hasSentCreate(JobType::OutlineCreate, QStringLiteral("ext1"),
                                                   request.localOutlineId);
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("outline delete not begun");
        if (!m_db->deleteOutline(request))
            return dbFailed("outline not deleted");
        if (neverSent && !m_db->deleteOutlineJobs(request.localOutlineId))
            return dbFailed("jobs of a deleted outline not removed");
        if (!fromServer && !neverSent) {
            const QJsonObject content{{QStringLiteral("outlineId"), request.outlineId},
                                      {QStringLiteral("type"), request.type}};
            if (!recordJob(request.header, compact(content), now(), request.localOutlineId, &revision))
                return false;
        }
        if (!transaction.commit())
            return dbFailed("outline delete not committed");
    }
    // The record goes with its row, also when the panel is not open.
    COutlineController::instance()->removeItem(book, outline, fromServer);
    if (fromServer || neverSent)
        return true;
    // Another machine may have written in the outline since this one last
    // pulled the feed: the delete goes once a feed pulled after it has shown
    // that (CSynDataManager withdraws it then).
    if (request.bookId >= 1 && request.outlineId >= 1)
        CJobManager::instance()->sendAfterFeed(request.header.jobId);
    return true;
}

bool CBookJobManager::outline_move(TC_BookOutline_Move& request, int from, int to)
{
    if (request.localBookId < 0)
        return false;
    T_Book* book = m_model->findBookByLocalId(request.localBookId);
    if (book == nullptr)
        return false;
    QList<T_Outline*>& list = book->outline.outlineList;
    if (from < 0 || to < 0 || from >= list.size() || to >= list.size())
        return false;
    request.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    if (const T_Outline* moved = book->findOutlineByLocalId(request.fromLocalId))
        request.fromOutlineId = moved->outlineId;
    if (const T_Outline* target = book->findOutlineByLocalId(request.toLocalId))
        request.toOutlineId = target->outlineId;

    const int fromOrder = list.at(from)->orderNum;
    const int toOrder = list.at(to)->orderNum;
    const int low = std::min(fromOrder, toOrder);
    const int high = std::max(fromOrder, toOrder);
    QList<int> orders;
    for (const T_Outline* outline : qAsConst(list)) {
        if (outline->orderNum >= low && outline->orderNum <= high)
            orders.append(outline->orderNum);
    }
    std::sort(orders.begin(), orders.end());
    const bool down = fromOrder < toOrder;
    // New numbers first, from the old ones, then written one by one.
    QList<QPair<T_Outline*, int>> changes;
    for (T_Outline* outline : qAsConst(list)) {
        const int k = orders.indexOf(outline->orderNum);
        if (k < 0)
            continue;
        int next;
        if (down)
            next = k == 0 ? orders.last() : orders.at(k - 1);
        else
            next = k == orders.size() - 1 ? orders.first() : orders.at(k + 1);
        changes.append({outline, next});
    }
    // The new places and the move's job are one commit.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("outline order not begun");
        for (const auto& change : qAsConst(changes)) {
            if (!m_db->updateOutlineOrder(change.first->localId, change.second))
                return dbFailed("outline order not stored");
        }
        // The side of the other entry the moved one ends on tells a look-up
        // after a lost reply whether the move reached the platform.
        const QJsonObject content{{QStringLiteral("outlineId_from"), request.fromOutlineId},
                                  {QStringLiteral("outlineId_to"), request.toOutlineId},
                                  {QStringLiteral("from_localId"), request.fromLocalId},
                                  {QStringLiteral("to_localId"), request.toLocalId},
                                  {QStringLiteral("after"), down}};
        if (!recordJob(request.header, compact(content), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("outline order not committed");
    }
    for (const auto& change : qAsConst(changes)) {
        change.first->orderNum = change.second;
        change.first->bookId = book->bookId;
    }
    qDebug() << "outlineMove_asyn" << request.bookId << request.fromOutlineId << request.toOutlineId;
    if (request.bookId >= 1 && request.fromOutlineId >= 1 && request.toOutlineId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::outlineMove_asyn);
    return true;
}

bool CBookJobManager::outline_list(TC_BookOutline_List& request)
{
    if (request.header.bookId < 0)
        return false;
    request.header.uid = m_model->userInfo.uid;
    request.header.jobType = JobType::OutlineList;
    m_http->outlineList_asyn(request);
    return true;
}
