#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/T_Http_Custom.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTest>

bool seedDemoBook(SeededBook& out, const QString& text1, const QString& text2)
{
    CTessaneDb* db = CTessaneDb::instance();
    TC_Books_AddBook book(QStringLiteral("示例作品"), 1700000000, 1700000000, QString());
    book.header.uid = StandinServer::demoUid();
    book.header.bookId = 5001;
    if (!db->insertBook(book))
        return false;
    out.localBookId = book.header.localBookId;
    TC_Volume_Add volume(out.localBookId, 5001, 0, 1, 1700000000, QStringLiteral("第一卷"));
    volume.header.volumeId = 7001;
    if (!db->insertVolume(volume))
        return false;
    out.localVolumeId = volume.header.localVolumeId;
    out.localChapter1 = db->insertChapterFromServer(out.localBookId, 5001, out.localVolumeId, 7001, 9001, 1,
                                                    QStringLiteral("第一章"), text1);
    out.localChapter2 = db->insertChapterFromServer(out.localBookId, 5001, out.localVolumeId, 7001, 9002, 2,
                                                    QStringLiteral("第二章"), text2);
    return out.localChapter1 > 0 && out.localChapter2 > 0;
}

QJsonObject feedItem(int type, int bookId, int chapterId, const QString& extra)
{
    return QJsonObject{{QStringLiteral("change_type"), type},
                       {QStringLiteral("book_id"), bookId},
                       {QStringLiteral("chapter_id"), chapterId},
                       {QStringLiteral("extra"), extra}};
}

QJsonObject pulledItem(int id, int type, int bookId, int chapterId, const QString& extra)
{
    QJsonObject item = feedItem(type, bookId, chapterId, extra);
    item.insert(QStringLiteral("id"), id);
    return item;
}

QByteArray platformReply(int jobType, int uid, const QJsonValue& content)
{
    T_Http_Custom identity;
    identity.uid = uid;
    identity.jobType = jobType;
    return platformReply(identity, content);
}

QByteArray platformReply(const T_Http_Custom& identity, const QJsonValue& content)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("code"), 200},
                                     {QStringLiteral("msg"), QStringLiteral("success")},
                                     {QStringLiteral("userdata"), QString::fromLatin1(identity.toUserData())},
                                     {QStringLiteral("content"), content}})
        .toJson(QJsonDocument::Compact);
}

QJsonValue platformAnswerNow(const T_Http_Custom& identity)
{
    const int type = identity.jobType;
    const QJsonObject store = standin().store();
    QJsonArray ofBook;
    const QString kind = type == JobType::OutlineList ? QStringLiteral("outlines")
                         : type == JobType::VolumeMenu ? QStringLiteral("volumes")
                         : type == JobType::MemoDetail ? QStringLiteral("memos")
                                                       : QStringLiteral("chapters");
    for (const QJsonValue& value : store.value(kind).toArray()) {
        if (type == JobType::MemoDetail && value[QStringLiteral("id")].toInt() == identity.memoId)
            return value;
        if (type != JobType::MemoDetail && value[QStringLiteral("book_id")].toInt() == identity.bookId)
            ofBook << value;
    }
    return type == JobType::OutlineList ? QJsonValue(QJsonObject{{QStringLiteral("all_outline"), ofBook}})
           : type == JobType::VolumeMenu ? QJsonValue(ofBook)
                                         : QJsonValue(QJsonObject{{QStringLiteral("menu"), ofBook}});
}

bool askAs(const T_Http_Custom& identity)
{
    TC_Chapter_Menu chapters;
    TC_BookOutline_List outlines;
    TC_Volume_Menu volumes;
    TC_Memo_Detail detail;
    TC_Books_Info info;
    TC_Chapter_Content chapter;
    chapters.header = outlines.header = volumes.header = detail.header = info.header = chapter.header = identity;
    chapters.bookId = volumes.bookId = chapter.bookId = identity.bookId;
    chapter.chapterId = identity.chapterId;
    switch (identity.jobType) {
    case JobType::ChapterContent: return CTessaneHttp::instance()->chapter_content_asyn(chapter), true;
    case JobType::BooksInfo: return CBookJobManager::instance()->books_info(info);
    case JobType::OutlineList: return CBookJobManager::instance()->outline_list(outlines);
    case JobType::VolumeMenu: return CBookJobManager::instance()->volume_menu(volumes);
    case JobType::MemoDetail: return CMemoManager::instance()->memoDetail(detail);
    default: return CBookJobManager::instance()->chapter_menu(chapters);
    }
}

QString storedChapterText(int localChapterId)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select content from tb_chapter_text where localId = %1;").arg(localChapterId))
        || !query.next())
        return QStringLiteral("<none>");
    return query.value(0).toString();
}

int chapterRows(int localBookId)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select count(*) from tb_chapter where localBookId = %1;").arg(localBookId))
        || !query.next())
        return -1;
    return query.value(0).toInt();
}

QList<int> jobTypesOfChapter(int localChapterId)
{
    QList<int> types;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select jobType from tb_job where localChapterId = %1 order by jobId;")
                       .arg(localChapterId)))
        while (query.next())
            types.append(query.value(0).toInt());
    return types;
}

int storeFeedSize()
{
    return standin().store().value(QStringLiteral("feed")).toArray().size();
}

QList<int> acknowledgedIds()
{
    QList<int> ids;
    for (const QJsonValue& value : JobsFixture::requestsTo(QStringLiteral("/synchronization/synAuthor"))) {
        const QJsonObject body =
            QJsonDocument::fromJson(value.toObject().value(QStringLiteral("body")).toString().toUtf8()).object();
        if (body.value(QStringLiteral("syn_type")).toInt() == 2)
            ids.append(body.value(QStringLiteral("task_id")).toInt());
    }
    return ids;
}

bool waitForPassEnd(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    bool ended = false;
    while (timer.elapsed() < timeoutMs) {
        ended = ended || JobsFixture::requestsTo(QStringLiteral("/synchronization/appVersion")).size() >= count;
        // The acknowledgement leaves before the update check but may reach the
        // platform after it; with no reply outstanding both were taken in.
        if (ended && CTessaneHttp::instance()->outstandingReplies() == 0)
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool settleClient(int timeoutMs)
{
    const auto idle = []() {
        return CTessaneHttp::instance()->outstandingReplies() == 0 && CUiManager::instance()->syncRunning() == 0
               && !CSynDataManager::instance()->isRunning();
    };
    QElapsedTimer clock;
    clock.start();
    int idlePolls = 0;
    // Idle on two polls in a row: a reply handled between them may have
    // queued the next request through the event loop.
    while (clock.elapsed() < timeoutMs) {
        idlePolls = idle() ? idlePolls + 1 : 0;
        if (idlePolls >= 2)
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool seedMachine(JobsFixture& fixture, int index)
{
    if (!fixture.seed())
        return false;
    QSqlQuery code = CTessaneDb::instance()->newQuery();
    const bool ok = code.exec(
        QStringLiteral("update tb_user set uniqueCode = 'machine%1000000000000000000000000';").arg(index));
    CTessaneDb::instance()->close();
    return ok;
}
