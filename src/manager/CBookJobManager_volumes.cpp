// Volume operations: create, rename, delete and restore, reorder, and the
// volume list request.

#include "BookJobSend.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

bool CBookJobManager::volume_add(TC_Volume_Add& request)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header, header.synStep != 0);
    if (book == nullptr)
        return false;
    if (header.volumeId >= 1) {
        if (T_Volume* known = book->findVolumeByVolumeId(header.volumeId)) {
            known->volumeName = request.volumeName;
            return true;
        }
    }
    // Row and job together: a volume stored without its job would never
    // reach the platform, nor would the chapters put in it.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("volume add not begun");
        if (!m_db->insertVolume(request))
            return dbFailed("volume not stored");
        if (header.synStep == 0
            && !recordJob(header, request.volumeName, request.updateTime, request.orderNum, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("volume add not committed");
    }
    auto* volume = new T_Volume;
    volume->localId = header.localVolumeId;
    volume->volumeId = header.volumeId;
    volume->localBookId = book->localId;
    volume->bookId = book->bookId;
    volume->orderNum = request.orderNum;
    volume->status = request.status;
    volume->volumeName = request.volumeName;
    volume->createTime = now();
    book->volumeList.append(volume);
    if (header.synStep != 0)
        return true;
    if (header.bookId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::volume_add_asyn);
    return true;
}

bool CBookJobManager::volume_edit(TC_Volume_Edit& request)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header);
    if (book == nullptr)
        return false;
    T_Volume* volume = book->findVolumeByLocalId(header.localVolumeId);
    if (volume == nullptr)
        return false;
    header.volumeId = volume->volumeId;
    T_Volume stored = *volume;
    stored.volumeName = request.volumeName;
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("volume rename not begun");
        if (!m_db->updateVolumeName(&stored))
            return dbFailed("volume name not stored");
        if (header.synStep == 0 && !recordJob(header, request.volumeName, request.updateTime, 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("volume rename not committed");
    }
    volume->volumeName = request.volumeName;
    if (header.synStep != 0)
        return true;
    if (header.bookId >= 1 && header.volumeId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::volume_edit_asyn);
    return true;
}

bool CBookJobManager::volume_del_restore(TC_Volume_Delete& request, bool recycledToo)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header, recycledToo || header.synStep != 0);
    if (book == nullptr)
        return false;
    T_Volume* volume = book->findVolumeByLocalId(header.localVolumeId);
    if (volume == nullptr)
        return false;
    header.volumeId = volume->volumeId;
    QList<int> leaving;
    if (request.type == 0) {
        for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
            if (chapter->localVolumeId != volume->localId)
                continue;
            if (!m_model->announceLeaving(book->localId, chapter->localId))
                return leaveRefused();
            leaving.append(chapter->localId);
        }
    }
    // The volume's status, its chapters' and the job are one change: a
    // chapter left live in a deleted volume, or a delete or restore the
    // platform never hears of, would part the two sides for good.
    const bool recording = header.synStep == 0;
    QList<QPair<T_Chapter*, T_Chapter>> recycled;
    if (request.type == 0) {
        for (T_Chapter* chapter : qAsConst(book->chapterList)) {
            if (chapter->localVolumeId != volume->localId)
                continue;
            T_Chapter stored = *chapter;
            stored.status = 0;
            recycled.append(qMakePair(chapter, stored));
        }
    }
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("volume status not begun");
        if (!m_db->updateVolumeStatus(request))
            return dbFailed("volume status not stored");
        for (auto& entry : recycled) {
            if (!m_db->updateChapterStatus(&entry.second))
                return dbFailed("chapter of a deleted volume not recycled");
        }
        // A restore brings back only the volume; its chapters come back one
        // by one, each with its own job.
        if (recording && !recordJob(header, QString::number(request.type), request.updateTime, 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("volume status not committed");
    }
    volume->status = request.type;
    if (request.type == 0) {
        for (const auto& entry : qAsConst(recycled)) {
            qDebug() << "chapter" << entry.first->localId << "recycled with its volume";
            book->setChapterStatus(entry.first, 0);
        }
        book->calcWordCount();
        for (int localChapterId : qAsConst(leaving))
            m_model->announceLeft(book->localId, localChapterId);
        m_model->announceBinChanged(book->localId);
    }
    if (!recording)
        return true;
    if (header.bookId >= 1 && header.volumeId >= 1) {
        qDebug() << "volume status" << request.type << header.bookId << header.volumeId;
        sendRecorded(request, revision, &CTessaneHttp::volume_del_restore_asyn);
    }
    return true;
}

bool CBookJobManager::bringBackVolumeOf(T_Book* book, const T_Chapter* chapter)
{
    if (book == nullptr || chapter == nullptr || chapter->status == 0)
        return false;
    const T_Volume* volume = book->findVolumeByLocalId(chapter->localVolumeId);
    if (volume == nullptr || volume->status != 0)
        return false;
    TC_Volume_Delete restore(*volume, 1, now());
    if (!volume_del_restore(restore, true)) {
        qWarning() << "volume" << volume->localId << "stays deleted around live chapter" << chapter->localId;
        return false;
    }
    qInfo() << "live chapter" << chapter->localId << "brought its deleted volume" << volume->localId << "back";
    CBookVolumeController::instance()->reloadBook(book);
    return true;
}

bool CBookJobManager::volume_move(TC_Volume_Move& request, const QMap<int, int>& newOrder)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header);
    if (book == nullptr)
        return false;
    const T_Volume* from = book->findVolumeByLocalId(request.localFromVolumeId);
    const T_Volume* to = book->findVolumeByLocalId(request.localToVolumeId);
    if (from == nullptr || to == nullptr)
        return false;
    request.fromVolumeId = from->volumeId;
    request.toVolumeId = to->volumeId;
    header.localVolumeId = from->localId;
    header.volumeId = from->volumeId;
    QList<QPair<T_Volume*, T_Volume>> changed;
    for (T_Volume* volume : qAsConst(book->volumeList)) {
        if (!newOrder.contains(volume->localId))
            continue;
        T_Volume stored = *volume;
        stored.orderNum = newOrder.value(volume->localId);
        changed.append(qMakePair(volume, stored));
    }
    // The new places and the move's job are one commit: a process killed
    // between the two would keep an order the platform never hears of.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("volume order not begun");
        for (auto& entry : changed) {
            if (!m_db->updateVolumeOrder(&entry.second))
                return dbFailed("volume order not stored");
        }
        if (header.synStep == 0) {
            // The side of the other volume the moved one ends on tells a
            // look-up after a lost reply whether the move reached the platform.
            const bool after = newOrder.value(from->localId, from->orderNum) > newOrder.value(to->localId, to->orderNum);
            const QJsonObject content{{QStringLiteral("localFromVolumeId"), request.localFromVolumeId},
                                      {QStringLiteral("localToVolumeId"), request.localToVolumeId},
                                      {QStringLiteral("after"), after}};
            if (!recordJob(header, QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)),
                           request.updateTime, 0, &revision))
                return false;
        }
        if (!transaction.commit())
            return dbFailed("volume order not committed");
    }
    for (const auto& entry : qAsConst(changed))
        entry.first->orderNum = entry.second.orderNum;
    if (header.synStep != 0)
        return true;
    if (header.bookId >= 1 && request.fromVolumeId >= 1 && request.toVolumeId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::volume_move_asyn);
    return true;
}

bool CBookJobManager::volume_menu(TC_Volume_Menu& request)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    request.header.uid = uid;
    request.header.jobType = JobType::VolumeMenu;
    m_http->volume_menu_asyn(request);
    return true;
}

CBookJobManager::VolumeChangesWaiting CBookJobManager::volumeChangesWaiting(const T_Book* book)
{
    VolumeChangesWaiting waiting;
    bool ok = false;
    const QList<T_WaitingJob> jobs = m_db->waitingJobsOfBook(
        m_model->userInfo.uid, book->localId,
        {JobType::VolumeAdd, JobType::VolumeEdit, JobType::VolumeDelRestore, JobType::VolumeMove}, {JobType::VolumeAdd}, &ok);
    if (!ok) {
        // Nothing of the list is taken over what may still wait here.
        qWarning() << "the volume changes waiting for book" << book->localId << "cannot be read; its places and names stay";
        waiting.unread = true;
        waiting.moves = true;
        return waiting;
    }
    for (const T_WaitingJob& job : jobs) {
        if (job.jobType == JobType::VolumeMove)
            waiting.moves = true;
        else if (job.jobType == JobType::VolumeEdit)
            waiting.renamed.insert(job.localVolumeId);
        else if (job.jobType == JobType::VolumeDelRestore)
            waiting.statusChanged.insert(job.localVolumeId);
        else if (job.sent)
            waiting.sentAdds.insert(job.content);
    }
    return waiting;
}
