// Changes whose reply never came (cut off, too late, the process ended): the
// platform may hold the change already, and another machine may have changed
// the object since. Sent again blindly, the change would undo that later one
// (and a volume move, which puts the volume where the other one stood, would
// move it back). Such a change waits for the pass's feed, so that what was
// changed elsewhere since has been seen, and then the object's present state
// is fetched:
// - the platform holds the change: it is settled without a second send;
// - it holds a later one from elsewhere: a name this machine never gave it,
//   or for a recycle state, a delete, a place or an order another than this
//   machine's while the feed since the send brought a change of it: the
//   change is settled and the platform's state taken;
// - otherwise the change never arrived and goes again.
// A book edit counts only the members it changed, by the values it replaced;
// a book's recycle state is whether the platform lists it among live books.
// Moves name no place of their own: the platform puts the moved volume or
// outline entry where the other one stood, so the same move arriving twice
// puts it back; which side of the other one it stands on tells.

#include "BookJobSend.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QJsonObject objectOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

template <class Item, class Less>
QList<Item> sorted(QList<Item> items, Less less)
{
    std::stable_sort(items.begin(), items.end(), less);
    return items;
}

}

const QList<int>& CBookJobManager::lookedUpChanges()
{
    static const QList<int> changes{JobType::BooksEdit,     JobType::BooksDelete,      JobType::BooksRestore,
                                    JobType::ChapterEdit,   JobType::ChapterRecycle,   JobType::ChapterMove,
                                    JobType::VolumeEdit,    JobType::VolumeDelRestore, JobType::VolumeMove,
                                    JobType::OutlineMove};
    return changes;
}

bool CBookJobManager::isLookedUpChange(int jobType)
{
    // A chapter's rename or save sent at once goes under a type of its own;
    // its job is the chapter's edit all the same.
    return lookedUpChanges().contains(jobType) || jobType == JobType::ChapterEditName
           || jobType == JobType::ChapterEditContent;
}

int CBookJobManager::lookUpChange(const T_JobData& job, T_Http_Custom& lookup)
{
    // The book may have gone to the recycle bin since the change was sent:
    // the change is looked up all the same, as the changes of the book after
    // it wait for it.
    const T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    if (book == nullptr || book->bookId < 1)
        return -1;
    CTessaneUrl::setUserData(job, lookup, 0);
    lookup.bookId = book->bookId;
    lookup.localBookId = book->localId;
    if (job.jobType == JobType::BooksEdit) {
        TC_Books_Info request;
        lookup.jobType = request.header.jobType;
        request.header = lookup;
        m_http->books_info_asyn(request);
    } else if (job.jobType == JobType::BooksDelete || job.jobType == JobType::BooksRestore) {
        lookup.jobType = JobType::BooksList;
        m_http->books_list_asyn(lookup);
    } else if (job.jobType == JobType::ChapterEdit || job.jobType == JobType::ChapterRecycle) {
        const T_Chapter* chapter = book->findChapterByLocalId(job.localChapterId);
        if (chapter == nullptr || chapter->chapterId < 1)
            return 0;
        lookup.chapterId = chapter->chapterId;
        if (job.jobType == JobType::ChapterEdit && objectOf(job.content).contains(QStringLiteral("content"))) {
            // A save is told by the platform's text.
            TC_Chapter_Content request;
            lookup.jobType = request.header.jobType;
            request.bookId = book->bookId;
            request.chapterId = chapter->chapterId;
            request.header = lookup;
            m_http->chapter_content_asyn(request);
        } else {
            TC_Chapter_Info request;
            lookup.jobType = request.header.jobType;
            request.header = lookup;
            m_http->chapter_info_asyn(request);
        }
    } else if (job.jobType == JobType::ChapterMove) {
        // Named with no volume, the list is not read as one after a
        // volume's delete.
        lookup.volumeId = 0;
        lookup.localVolumeId = 0;
        requestBookList(JobType::ChapterMenu, lookup);
    } else {
        requestBookList(job.jobType == JobType::OutlineMove ? int(JobType::OutlineList) : int(JobType::VolumeMenu), lookup);
    }
    qInfo() << "change job" << job.jobId << "type" << job.jobType << "may have reached the platform; looked up first";
    return 1;
}

CBookJobManager::Lookup CBookJobManager::settleLostChange(int jobId, const QByteArray& body)
{
    T_JobData job;
    if (!m_db->getJobById(jobId, job))
        return Lookup::AfterFeed;
    if (job.jobId != jobId)
        return Lookup::Adopted;  // settled meanwhile
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    if (book == nullptr)
        return Lookup::Missing;
    // A state of two values tells nothing by itself: the feed does.
    const Held otherwise = job.sent == 2 ? Held::Later : Held::Before;
    if (job.jobType == JobType::BooksEdit)
        return settleLostBookEdit(book, job, body);
    if (job.jobType == JobType::BooksDelete || job.jobType == JobType::BooksRestore) {
        TS_Books_List reply;
        CTessaneUrl::setHttpBooksList(body, &reply);
        const bool live = std::any_of(reply.items.cbegin(), reply.items.cend(),
                                      [book](const TS_Books_ListItem& item) { return item.book_id == book->bookId; });
        // The feed that told of a later one has put the book where it is
        // there, whatever changes of it wait here.
        const Held held = live == (job.jobType == JobType::BooksRestore) ? Held::Ours : otherwise;
        return held == Held::Before ? Lookup::Missing : settle(job);
    }
    if (job.jobType == JobType::ChapterEdit || job.jobType == JobType::ChapterRecycle)
        return settleLostChapterChange(book, job, body, otherwise);
    // The platform places a moved chapter, volume or outline entry by its
    // own order, which is taken either way.
    if (job.jobType == JobType::ChapterMove) {
        const Held held = chapterMoveHeld(book, job, body, otherwise);
        const Lookup gone = held == Held::Before ? Lookup::Missing : settle(job);
        if (gone == Lookup::Adopted)
            asynBackChapterMenu(body);
        return gone;
    }
    if (job.jobType == JobType::OutlineMove) {
        TS_BookOutline_List reply;
        CTessaneUrl::setHttpOutlineList(body, &reply);
        const QJsonObject stored = objectOf(job.content);
        QList<QPair<int, int>> places;
        for (const TS_BookOutline_Detail& item : qAsConst(reply.items))
            places.append(qMakePair(item.order_num, item.outline_id));
        const T_Outline* from = book->findOutlineByLocalId(stored.value(QStringLiteral("from_localId")).toInt());
        const T_Outline* to = book->findOutlineByLocalId(stored.value(QStringLiteral("to_localId")).toInt());
        const Held held = from == nullptr || to == nullptr
                              ? Held::Before
                              : sideHeld(places, from->outlineId, to->outlineId,
                                         stored.contains(QStringLiteral("after"))
                                             ? stored.value(QStringLiteral("after")).toBool()
                                             : from->orderNum > to->orderNum,
                                         otherwise);
        const Lookup gone = held == Held::Before ? Lookup::Missing : settle(job);
        // Through the feed's check, which keeps an outline text waiting here.
        if (gone == Lookup::Adopted)
            asynBackOutlineList(CSynDataManager::instance()->guardReply(JobType::OutlineList, body, false));
        return gone;
    }
    TS_Volume_Menu reply;
    CTessaneUrl::setHttpVolumeMenu(body, &reply);
    const T_Volume* volume = book->findVolumeByLocalId(job.localVolumeId);
    const auto listed = std::find_if(reply.items.cbegin(), reply.items.cend(), [volume](const T_Volume_MenuItem& item) {
        return volume != nullptr && item.volumeId == volume->volumeId;
    });
    Held held = otherwise;
    if (job.jobType == JobType::VolumeMove)
        held = volumeMoveHeld(book, job, reply, otherwise);
    else if (listed == reply.items.cend())
        held = Held::Before;  // gone there: sent again, it is refused
    else if (job.jobType == JobType::VolumeEdit ? listed->volumeName == job.content
                                                : (listed->status != 0) == (job.content.toInt() != 0))
        held = Held::Ours;
    const Lookup gone = held == Held::Before ? Lookup::Missing : settle(job);
    if (gone == Lookup::Adopted && held == Held::Ours && job.jobType == JobType::VolumeDelRestore) {
        noteVolumeDeleted(book->bookId, volume->volumeId, job.content.toInt() == 0);
        // What its answer would have asked for (asynBackVolumeDelRestore).
        if (job.content.toInt() == 0)
            requestChapterStates(book, volume->volumeId);
        else
            requestVolumeList(book);
    }
    if (gone == Lookup::Adopted && (held == Held::Later || job.jobType == JobType::VolumeMove))
        takeVolumeList(body, job.jobType == JobType::VolumeDelRestore);
    return gone;
}

CBookJobManager::Lookup CBookJobManager::settleLostBookEdit(T_Book* book, const T_JobData& job, const QByteArray& body)
{
    TS_Books_Info reply;
    CTessaneUrl::setHttpBookInfo(body, &reply);
    const QJsonObject stored = objectOf(job.content);
    const QJsonObject was = stored.value(QStringLiteral("was")).toObject();
    // A job of an older build knows no earlier values: it goes again.
    if (reply.book_id != book->bookId || !stored.contains(QStringLiteral("was")))
        return Lookup::Missing;
    const QString name = QStringLiteral("bookName");
    const QString intro = QStringLiteral("intro");
    const QString category = QStringLiteral("category");
    const QJsonArray platformCategory{reply.channel_type, reply.cate_id};
    const QJsonObject there{{name, withoutControlChars(reply.book_name)},
                            {intro, withoutControlChars(reply.intro)},
                            {category, platformCategory},
                            {QStringLiteral("cover"), reply.cover}};
    // A cover the platform knows by the address it gave the picture only:
    // it tells what was there before, not whose picture is there now.
    const QJsonObject sent{{name, stored.value(name)},
                           {intro, stored.value(intro)},
                           {category, QJsonArray{stored.value(QStringLiteral("channelType")),
                                                 stored.value(QStringLiteral("cateId"))}}};
    // Member by member, as a chapter's name: a value this machine replaced
    // is one the edit has still to bring; any other but its own came later.
    // One changed here since the send goes as made.
    const QJsonArray fresh = stored.value(QStringLiteral("fresh")).toArray();
    QJsonObject carried;
    for (auto it = was.begin(); it != was.end(); ++it) {
        const QJsonValue held = there.value(it.key());
        if (fresh.contains(it.key()) || (sent.value(it.key()) != held && it.value().toArray().contains(held)))
            carried.insert(it.key(), it.value());
    }
    if (carried.isEmpty()) {
        const Lookup gone = settle(job);
        if (gone == Lookup::Adopted)
            asynBackBookInfo(body);
        return gone;
    }
    // It goes again with the members the platform does not hold yet, and
    // with the platform's values of the others, which this machine takes
    // too: sent whole as it stood, it would undo what was changed elsewhere
    // meanwhile.
    QJsonObject root = CTessaneUrl::rootObject(body);
    QJsonObject info = root.value(QStringLiteral("content")).toObject();
    QJsonObject resent{{name, there.value(name)},
                       {intro, there.value(intro)},
                       {QStringLiteral("channelType"), reply.channel_type},
                       {QStringLiteral("cateId"), reply.cate_id},
                       {QStringLiteral("cateFid"), cateParentOf(reply.channel_type, reply.cate_id)},
                       {QStringLiteral("localCover"), QString()},
                       {QStringLiteral("was"), carried}};
    for (auto it = carried.begin(); it != carried.end(); ++it) {
        QStringList keys{it.key()};
        if (it.key() == category)
            keys = QStringList{QStringLiteral("channelType"), QStringLiteral("cateId"), QStringLiteral("cateFid")};
        else if (it.key() == QLatin1String("cover"))
            keys = QStringList{QStringLiteral("localCover")};
        for (const QString& key : qAsConst(keys))
            resent.insert(key, stored.value(key));
    }
    if (!m_db->resendJobAs(job.jobId, QString::fromUtf8(QJsonDocument(resent).toJson(QJsonDocument::Compact))))
        return Lookup::AfterFeed;
    info.insert(QStringLiteral("book_name"), resent.value(name));
    info.insert(intro, resent.value(intro));
    info.insert(QStringLiteral("channel_type"), resent.value(QStringLiteral("channelType")));
    info.insert(QStringLiteral("cate_id"), resent.value(QStringLiteral("cateId")));
    if (carried.contains(QStringLiteral("cover")))
        info.insert(QStringLiteral("cover"), book->coverUrl);
    root.insert(QStringLiteral("content"), info);
    asynBackBookInfo(QJsonDocument(root).toJson(QJsonDocument::Compact));
    CAnsweredEdits::Edit settled = CAnsweredEdits::editOf(job);
    for (const QString& member : carried.keys())
        settled.members.removeAll(member);
    noteSettled(settled);
    qInfo() << "book edit job" << job.jobId << "goes again with" << carried.keys() << "only";
    return Lookup::Missing;
}

void CBookJobManager::noteSettled(const CAnsweredEdits::Edit& edit)
{
    // As an answer would be: the platform held the edit (or a later change)
    // before the look-up left, so a list asked for before the look-up tells
    // the members as they were; the look-up's own reply, being applied now,
    // and any later one tell them as they are.
    CAnsweredEdits* answered = CAnsweredEdits::instance();
    answered->noteAnswered(edit, answered->replyOrder() - 1);
}

CBookJobManager::Lookup CBookJobManager::settle(const T_JobData& job)
{
    // The job goes before the platform's state is taken: while it waits,
    // the state stays this machine's.
    switch (m_db->deleteJob(job.jobId, job.revision)) {
    case JobConfirm::Failed:
        qWarning() << "change job" << job.jobId << "is settled but stays queued; looked up again later";
        return Lookup::AfterFeed;
    case JobConfirm::KeptNewer:
        return Lookup::Missing;  // changed here meanwhile: the newer change goes
    default:
        qInfo() << "change job" << job.jobId << "type" << job.jobType << "is settled by the platform's state";
        noteSettled(CAnsweredEdits::editOf(job));
        return Lookup::Adopted;
    }
}

CBookJobManager::Lookup CBookJobManager::settleLostChapterChange(T_Book* book, const T_JobData& job,
                                                                 const QByteArray& body, Held otherwise)
{
    if (job.jobType == JobType::ChapterEdit && objectOf(job.content).contains(QStringLiteral("content")))
        return settleLostSave(book, job, body);
    TS_NewChapter_ChapterInfo reply;
    CTessaneUrl::setHttpChapterInfo(body, &reply);
    T_Chapter* chapter = book->findChapterByLocalId(job.localChapterId);
    if (chapter == nullptr || reply.chapter_id != chapter->chapterId)
        return Lookup::Missing;
    if (job.jobType == JobType::ChapterRecycle) {
        const int status = reply.status != 0 ? 1 : 0;
        const Held held = status == (job.content.toInt() != 0 ? 1 : 0) ? Held::Ours : otherwise;
        const Lookup gone = held == Held::Before ? Lookup::Missing : settle(job);
        if (gone == Lookup::Adopted && held == Held::Later
            && takePlatformState(book, chapter, status, reply.header.userdata))
            CBookVolumeController::instance()->reloadBook(book);
        return gone;
    }
    const QJsonObject stored = objectOf(job.content);
    const QString name = withoutControlChars(reply.chapter_name);
    const Held held = savedNameHeld(stored, name);
    if (held == Held::Before)
        return Lookup::Missing;
    if (held == Held::Later) {
        const Lookup gone = settle(job);
        if (gone == Lookup::Adopted)
            takePlatformName(book, chapter, name, reply.header);
        return gone;
    }
    return settle(job);
}

CBookJobManager::Held CBookJobManager::chapterMoveHeld(const T_Book* book, const T_JobData& job, const QByteArray& body,
                                                      Held otherwise)
{
    TS_Chapter_Menu reply;
    CTessaneUrl::setHttpChapterMenu(body, &reply);
    const QJsonObject stored = objectOf(job.content);
    const T_Chapter* moved = book->findChapterByLocalId(stored.value(QStringLiteral("localFromChapterId")).toInt());
    const T_Chapter* target = book->findChapterByLocalId(stored.value(QStringLiteral("localToChapterId")).toInt());
    const int toVolumeId = book->getVolumeId(stored.value(QStringLiteral("localToVolumeId")).toInt());
    const QList<T_Chapter_MenuItem> items =
        sorted(reply.items.toList(), [](const T_Chapter_MenuItem& a, const T_Chapter_MenuItem& b) {
            return a.order_num < b.order_num;
        });
    int movedAt = -1;
    int targetAt = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (moved != nullptr && items.at(i).chapter_id == moved->chapterId)
            movedAt = i;
        else if (target != nullptr && items.at(i).chapter_id == target->chapterId)
            targetAt = i;
    }
    if (movedAt < 0)
        return Held::Before;  // gone there: sent again, it is refused
    const bool inVolume = items.at(movedAt).volume_id == toVolumeId;
    const bool onItsSide =
        target == nullptr
        || (targetAt >= 0 && (movedAt > targetAt) == (stored.value(QStringLiteral("direction")).toInt() == 1));
    return inVolume && onItsSide ? Held::Ours : otherwise;
}

CBookJobManager::Held CBookJobManager::volumeMoveHeld(const T_Book* book, const T_JobData& job,
                                                     const TS_Volume_Menu& reply, Held otherwise)
{
    const QJsonObject stored = objectOf(job.content);
    const T_Volume* from = book->findVolumeByLocalId(stored.value(QStringLiteral("localFromVolumeId")).toInt());
    const T_Volume* to = book->findVolumeByLocalId(stored.value(QStringLiteral("localToVolumeId")).toInt());
    if (from == nullptr || to == nullptr)
        return Held::Before;
    QList<QPair<int, int>> places;
    for (const T_Volume_MenuItem& item : reply.items)
        places.append(qMakePair(item.orderNum, item.volumeId));
    // A move stored before the side was kept goes by this machine's order.
    const bool after = stored.contains(QStringLiteral("after")) ? stored.value(QStringLiteral("after")).toBool()
                                                                 : from->orderNum > to->orderNum;
    return sideHeld(places, from->volumeId, to->volumeId, after, otherwise);
}

CBookJobManager::Held CBookJobManager::sideHeld(QList<QPair<int, int>> places, int fromId, int toId, bool after,
                                               Held otherwise)
{
    // The platform puts the moved one where the other stood: after it when it
    // came from above, before it when from below.
    std::stable_sort(places.begin(), places.end(),
                     [](const QPair<int, int>& a, const QPair<int, int>& b) { return a.first < b.first; });
    int fromAt = -1;
    int toAt = -1;
    for (int i = 0; i < places.size(); ++i) {
        if (places.at(i).second == fromId)
            fromAt = i;
        else if (places.at(i).second == toId)
            toAt = i;
    }
    if (fromId == toId || fromAt < 0 || toAt < 0)
        return Held::Before;  // gone there: sent again, it is refused
    return (fromAt > toAt) == after ? Held::Ours : otherwise;
}
