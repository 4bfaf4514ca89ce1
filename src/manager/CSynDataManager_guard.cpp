// What the feed must not overwrite: a chapter whose text (or name) the author
// changed here and whose change still waits in the job table. The feed keeps
// such a chapter as it is, and the other version becomes a chapter of its
// own right after it, recorded as a new chapter so that it reaches the
// platform too. Nothing of either side is lost; the author picks.

#include "CSynDataManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/SqlFormat.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/ChapterRecords.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace {

bool countJobs(CTessaneDb* db, const QString& statement, bool* found)
{
    QSqlQuery query = db->newQuery();
    if (!query.exec(statement) || !query.next())
        return false;
    *found = query.value(0).toInt() > 0;
    return true;
}

}

bool CSynDataManager::hasPendingText(int localChapterId) const
{
    if (localChapterId < 1)
        return false;
    bool found = false;
    // 1015 rename, 1016 and 1017 saves of the text.
    const QString statement =
        sqlFormat(QStringLiteral("select count(*) from tb_job where uid = %1 and localChapterId = %2 "
                                 "and jobType in (1015,1016,1017);"),
                  {m_model->userInfo.uid, localChapterId});
    // A table that cannot be read is treated as holding a change: keeping
    // both versions is the safe side.
    if (!countJobs(m_db, statement, &found))
        return true;
    return found;
}

bool CSynDataManager::hasPendingBookJobs(int localBookId) const
{
    if (localBookId < 1)
        return false;
    bool found = false;
    const QString statement = sqlFormat(
        QStringLiteral("select count(*) from tb_job where uid = %1 and localBookId = %2 and jobType <> 1028;"),
        {m_model->userInfo.uid, localBookId});
    if (!countJobs(m_db, statement, &found))
        return true;
    return found;
}

bool CSynDataManager::hasPendingMemoEdit(int localMemoId) const
{
    if (localMemoId < 1)
        return false;
    bool found = false;
    const QString statement =
        sqlFormat(QStringLiteral("select count(*) from tb_job where uid = %1 and localMemoId = %2 "
                                 "and jobType in (3002,3004,3005,3006);"),
                  {m_model->userInfo.uid, localMemoId});
    if (!countJobs(m_db, statement, &found))
        return true;
    return found;
}

QString CSynDataManager::localText(const T_Chapter* chapter) const
{
    if (chapter->contentLoaded)
        return chapter->content;
    T_Chapter stored;
    stored.localId = chapter->localId;
    if (!m_db->getChapterContent(&stored))
        return QString();
    return stored.content;
}

int CSynDataManager::makeChapterCopy(T_Book* book, const T_Chapter* chapter, const QString& text)
{
    const int orderNum = chapter->orderNum + 1;
    const QString name = chapter->name + tr(" (copy)");
    const int created = static_cast<int>(currentServerTime());
    // Each step undoes the ones before it when it fails, so a failure
    // leaves the chapters as they were.
    if (!m_db->shiftChapterOrder(book->localId, chapter->localVolumeId, orderNum, 1))
        return 0;
    const int localId = m_db->insertChapterFromServer(book->localId, book->bookId, chapter->localVolumeId,
                                                      chapter->volumeId, 0, orderNum, name, text);
    if (localId < 1) {
        m_db->shiftChapterOrder(book->localId, chapter->localVolumeId, orderNum + 1, -1);
        return 0;
    }
    // The copy goes to the platform as a new chapter with its text.
    T_Http_Custom add;
    add.jobType = JobType::ChapterAdd;
    add.localBookId = book->localId;
    add.bookId = book->bookId;
    add.localVolumeId = chapter->localVolumeId;
    add.volumeId = chapter->volumeId;
    add.localChapterId = localId;
    T_Http_Custom save = add;
    save.jobType = JobType::ChapterEditContent;
    if (!m_db->addJob(add, name, created, orderNum) || !m_db->addJob(save, text, created, 0)) {
        m_db->deleteChapter(localId);  // its row and any job of it
        m_db->shiftChapterOrder(book->localId, chapter->localVolumeId, orderNum + 1, -1);
        return 0;
    }

    book->shiftChapterOrder(chapter->localVolumeId, orderNum, 1);
    T_Http_Custom header;
    header.localBookId = book->localId;
    header.bookId = book->bookId;
    header.localVolumeId = chapter->localVolumeId;
    header.volumeId = chapter->volumeId;
    header.localChapterId = localId;
    const int at = book->chapterList.indexOf(const_cast<T_Chapter*>(chapter));
    if (T_Chapter* copy = m_model->addChapter(book, header, orderNum, name, created)) {
        copy->content = text;
        copy->contentLoaded = true;
        copy->calcWordCount();
        // addChapter appends; the copy belongs right after its original.
        if (at >= 0 && book->chapterList.last() == copy) {
            book->chapterList.removeLast();
            book->chapterList.insert(at + 1, copy);
        }
    }
    qInfo() << "chapter" << chapter->localId << "has changes waiting here; the other version is kept as chapter"
            << localId;
    return localId;
}

void CSynDataManager::noteRemoteBase(int localChapterId, const QString& remote)
{
    // The remote text is kept here now (as the chapter or its copy): the
    // waiting save starts from it, so the platform does not keep it a second time.
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterEdit, QStringLiteral("localChapterId"), localChapterId);
    if (jobId > 0 && !m_db->setChapterJobBase(jobId, bytesMd5(remote.toUtf8()), true))
        qWarning() << "the waiting save of chapter" << localChapterId << "keeps its older starting point";
}

QByteArray CSynDataManager::guardChapterReply(int jobType, const QByteArray& body)
{
    if (jobType != JobType::ChapterContent && jobType != JobType::ChapterGetChapters)
        return body;
    // Whatever the editor holds becomes a waiting change first.
    m_ui->saveChapter();

    const QJsonObject root = CTessaneUrl::rootObject(body);
    QJsonArray chapters;
    const QJsonValue content = root.value(QStringLiteral("content"));
    if (jobType == JobType::ChapterContent) {
        if (!content.isObject())
            return body;
        chapters.append(content);
    } else {
        if (!content.isArray())
            return body;
        chapters = content.toArray();
    }

    QJsonArray admitted;
    int copies = 0;
    bool kept = false;
    for (const QJsonValue& value : qAsConst(chapters)) {
        const QJsonObject object = value.toObject();
        T_Book* book = m_model->findBookByBookId(object.value(QStringLiteral("book_id")).toInt());
        T_Chapter* chapter = book ? book->findChapterByChapterId(object.value(QStringLiteral("chapter_id")).toInt())
                                  : nullptr;
        // Words the editor could not store count as a waiting change too.
        if (chapter == nullptr || (!hasPendingText(chapter->localId) && !m_ui->holdsUnsavedText(chapter->localId))) {
            admitted.append(value);
            continue;
        }
        kept = true;
        // The base is the platform's text as it stands there; the comparison
        // leaves out what never reaches the rows here.
        const QString platformText = object.value(QStringLiteral("content")).toString();
        const QString remote = withoutControlChars(platformText);
        if (remote == withoutControlChars(localText(chapter))) {
            noteRemoteBase(chapter->localId, platformText);
            continue;  // the same words on both sides
        }
        if (makeChapterCopy(book, chapter, remote) > 0) {
            noteRemoteBase(chapter->localId, platformText);
            ++copies;
            continue;
        }
        // Neither overwritten nor kept: the pass must not acknowledge it.
        qWarning() << "remote version of chapter" << chapter->localId << "could not be kept; the feed stops";
        abortSyn();
        return QByteArray();
    }
    if (copies > 0)
        m_ui->showTips(tr("chapter copy"), true, 2000);
    if (!kept)
        return body;
    QJsonObject filtered = root;
    if (jobType == JobType::ChapterContent) {
        if (admitted.isEmpty())
            return QByteArray();  // nothing of it is applied
        filtered.insert(QStringLiteral("content"), admitted.first());
    } else {
        filtered.insert(QStringLiteral("content"), admitted);
    }
    return QJsonDocument(filtered).toJson(QJsonDocument::Compact);
}
