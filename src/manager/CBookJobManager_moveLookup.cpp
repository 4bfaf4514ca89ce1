// Volume moves whose reply never came (cut off, too late, the process
// ended): the platform places the moved volume where the other one stood,
// so the same move arriving twice puts it back. Before such a move goes
// again the book's volume list is fetched. When the moved volume already
// stands on the side of the other one the author dropped it on, the move
// reached the platform (or another machine made the same order since): it is
// settled without a second send and the platform's order is taken.

#include "BookJobSend.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

int CBookJobManager::lookUpMove(const T_JobData& job, T_Http_Custom& lookup)
{
    const T_Book* book = m_model->findBookByLocalId(job.localBookId);
    if (book == nullptr || book->bookId < 1)
        return -1;
    CTessaneUrl::setUserData(job, lookup, 0);
    lookup.bookId = book->bookId;
    lookup.localBookId = book->localId;
    TC_Volume_Menu request;
    lookup.jobType = request.header.jobType;
    request.header = lookup;
    request.bookId = book->bookId;
    m_http->volume_menu_asyn(request);
    qInfo() << "volume move job" << job.jobId << "may have reached the platform; its order is looked up first";
    return 1;
}

CBookJobManager::Lookup CBookJobManager::settleLostMove(int jobId, const QByteArray& body)
{
    T_JobData job;
    if (!m_db->getJobById(jobId, job))
        return Lookup::AfterFeed;
    if (job.jobId != jobId)
        return Lookup::Adopted;  // settled meanwhile
    const T_Book* book = m_model->findBookByLocalId(job.localBookId);
    if (book == nullptr)
        return Lookup::Missing;
    const QJsonObject stored = QJsonDocument::fromJson(job.content.toUtf8()).object();
    const T_Volume* from = book->findVolumeByLocalId(stored.value(QStringLiteral("localFromVolumeId")).toInt());
    const T_Volume* to = book->findVolumeByLocalId(stored.value(QStringLiteral("localToVolumeId")).toInt());
    if (from == nullptr || to == nullptr || from == to)
        return Lookup::Missing;
    // A move stored before the side was kept goes by this machine's order.
    const bool after = stored.contains(QStringLiteral("after")) ? stored.value(QStringLiteral("after")).toBool()
                                                                 : from->orderNum > to->orderNum;

    TS_Volume_Menu reply;
    CTessaneUrl::setHttpVolumeMenu(body, &reply);
    QList<T_Volume_MenuItem> items = reply.items;
    std::stable_sort(items.begin(), items.end(),
                     [](const T_Volume_MenuItem& a, const T_Volume_MenuItem& b) { return a.orderNum < b.orderNum; });
    int fromAt = -1;
    int toAt = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).volumeId == from->volumeId)
            fromAt = i;
        else if (items.at(i).volumeId == to->volumeId)
            toAt = i;
    }
    // Sent again, the move turns the platform's order into the author's.
    if (fromAt < 0 || toAt < 0 || (fromAt > toAt) != after)
        return Lookup::Missing;
    // The job goes before the list is taken: while it waits, the list keeps
    // this machine's places.
    if (m_db->deleteJob(job.jobId, job.revision) == JobConfirm::Failed) {
        qWarning() << "volume move job" << jobId << "is on the platform but stays queued; looked up again later";
        return Lookup::AfterFeed;
    }
    qInfo() << "volume move job" << jobId << "is on the platform already; not sent again";
    asynBackVolumeMenu(body);
    return Lookup::Adopted;
}
