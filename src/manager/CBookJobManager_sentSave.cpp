// A chapter save whose request went out unanswered (cut off, too late, the
// process ended) may have reached the platform, and another machine may have
// pulled it and written on since. Sent again with the text it started from,
// it would be kept beside that text as a copy of words the platform already
// holds. So the save, marked sent, waits for the pass's feed and is then
// looked at against the platform's text (the feed's, or the chapter's detail
// fetched for it):
// - the text the save started from: it never arrived and goes again;
// - the save's own text, or one holding every paragraph of it in its order
//   (written on elsewhere): the save has nothing left to bring; its text
//   leaves the job and the platform's text is taken;
// - any other text: the save goes again, and both texts are kept.
// Words typed here after the request left stay in the same job and are
// looked at the same way, so a text taken from the platform holds all of them.

#include "CBookJobManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneUrl.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QJsonObject storedEdit(const QString& content)
{
    return QJsonDocument::fromJson(content.toUtf8()).object();
}

QString textOf(const QJsonObject& stored)
{
    return withoutControlChars(stored.value(QStringLiteral("content")).toString());
}

bool isItsStart(const QJsonObject& stored, const QString& platformText)
{
    const QString base = stored.value(QStringLiteral("base")).toString();
    return !base.isEmpty() && bytesMd5(platformText.toUtf8()) == base;
}

}

bool CBookJobManager::holdsWordsOf(const QString& text, const QString& words)
{
    int from = 0;
    for (const QStringRef& line : words.splitRef(QLatin1Char('\n'))) {
        const QStringRef paragraph = line.trimmed();
        if (paragraph.isEmpty())
            continue;
        const int at = text.indexOf(paragraph, from);
        if (at < 0)
            return false;
        from = at + paragraph.size();
    }
    return true;
}

CBookJobManager::SaveMeets CBookJobManager::waitingSaveMeets(const T_Chapter* chapter, const QString& platformText,
                                                              bool* nameWaits)
{
    *nameWaits = false;
    const int jobId = m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterEdit, QStringLiteral("localChapterId"),
                                       chapter->localId);
    T_JobData job;
    if (jobId < 1 || !m_db->getJobById(jobId, job) || job.jobId != jobId)
        return SaveMeets::Neither;
    const QJsonObject stored = storedEdit(job.content);
    if (!stored.contains(QStringLiteral("content")))
        return SaveMeets::Neither;
    *nameWaits = stored.contains(QStringLiteral("name"));
    if (isItsStart(stored, platformText))
        return SaveMeets::ItsStart;
    // A request still out tells by its own answer.
    if (job.sent == 0 || CJobManager::instance()->isJobInFlight(jobId) || m_ui->holdsUnsavedText(chapter->localId)
        || !holdsWordsOf(withoutControlChars(platformText), textOf(stored)))
        return SaveMeets::Neither;
    const bool taken = *nameWaits ? m_db->dropChapterEditText(job.jobId, job.revision) : settle(job) == Lookup::Adopted;
    if (!taken)
        return SaveMeets::Neither;
    if (*nameWaits)
        noteSettled({CAnsweredEdits::Kind::Chapter, chapter->localId, {CAnsweredEdits::kText}});
    qInfo() << "chapter" << chapter->localId << "holds the words of save job" << jobId
            << "on the platform, written on elsewhere; the platform's text is taken";
    return SaveMeets::Holds;
}

CBookJobManager::Held CBookJobManager::savedNameHeld(const QJsonObject& stored, const QString& platformName)
{
    if (stored.value(QStringLiteral("fresh")).toArray().contains(QStringLiteral("name")))
        return Held::Before;
    if (platformName == stored.value(QStringLiteral("name")).toString())
        return Held::Ours;
    // A job of an older build knows no earlier names: it goes again.
    if (!stored.contains(QStringLiteral("was")) || stored.value(QStringLiteral("was")).toArray().contains(platformName))
        return Held::Before;
    return Held::Later;
}

void CBookJobManager::takePlatformName(T_Book* book, T_Chapter* chapter, const QString& name, T_Http_S& head)
{
    T_Chapter renamed = *chapter;
    renamed.name = name;
    if (!m_db->updateChapterName(&renamed)) {
        replyDbFailed(head, "chapter name of the platform not stored");
        return;
    }
    chapter->name = name;
    CBookVolumeController::instance()->reloadBook(book);
    qInfo() << "chapter" << chapter->localId << "was renamed elsewhere after this machine's rename; its name is taken";
}

CBookJobManager::Lookup CBookJobManager::settleLostSave(T_Book* book, const T_JobData& job, const QByteArray& body)
{
    TS_Chapter_Chapter reply;
    CTessaneUrl::setHttpChapterDetail(body, &reply);
    T_Chapter* chapter = book->findChapterByLocalId(job.localChapterId);
    if (chapter == nullptr || reply.header.code != HttpOk || reply.chapter_id != chapter->chapterId)
        return Lookup::Missing;
    const QJsonObject stored = storedEdit(job.content);
    const QString there = withoutControlChars(reply.content);
    const QString saved = textOf(stored);
    const bool textHeld = there == saved || (!isItsStart(stored, reply.content) && holdsWordsOf(there, saved));
    const QString name = withoutControlChars(reply.chapter_name);
    const Held nameHeld = stored.contains(QStringLiteral("name")) ? savedNameHeld(stored, name) : Held::Ours;
    if (!textHeld) {
        if (nameHeld != Held::Later)
            return Lookup::Missing;
        // The text goes again, without the name.
        if (!m_db->dropChapterEditName(job.jobId))
            return Lookup::AfterFeed;
        noteSettled({CAnsweredEdits::Kind::Chapter, chapter->localId, {CAnsweredEdits::kName}});
        takePlatformName(book, chapter, name, reply.header);
        return Lookup::Missing;
    }
    Lookup gone = Lookup::Missing;
    if (nameHeld == Held::Before) {
        // The name goes again as made, without the text.
        if (!m_db->dropChapterEditText(job.jobId, job.revision))
            return Lookup::AfterFeed;
        noteSettled({CAnsweredEdits::Kind::Chapter, chapter->localId, {CAnsweredEdits::kText}});
    } else {
        gone = settle(job);
        if (gone != Lookup::Adopted)
            return gone;
        if (nameHeld == Held::Later)
            takePlatformName(book, chapter, name, reply.header);
    }
    // Written on elsewhere: the platform's text is taken, unless words
    // written here since wait for it.
    if (there != saved && !m_ui->holdsUnsavedText(chapter->localId) && !m_db->chapterTextWaits(chapter->localId)) {
        asynBackChapterContent(book->bookId, QJsonObject{{QStringLiteral("chapter_id"), reply.chapter_id},
                                                         {QStringLiteral("content"), reply.content},
                                                         {QStringLiteral("word_count"), reply.word_count}});
        qInfo() << "save job" << job.jobId << "reached the platform, written on elsewhere since; its text is taken";
    }
    return gone;
}
