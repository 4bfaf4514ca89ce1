// A change the platform refused for good (a definitive refusal that does not
// say the object is gone, which CBookJobManager_gone.cpp handles). Sent again
// it would be refused again; dropped without a word it would leave this
// machine with a value no other machine has, and the synchronisation would
// say it succeeded. So the author is told what was refused, words the change
// carried are kept as a copy beside the object, as a conflict keeps them, and
// the object is asked for as the platform holds it, which this machine then
// takes.

#include "CJobManager.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/T_Http_S.h"
#include "remote/records/OutlineRecords.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Refusals that say the object is gone: their own handlers keep its words.
bool saysGone(const QString& message)
{
    static const QStringList gone{QStringLiteral("章节不存在"), QStringLiteral("作品不存在"),
                                  QStringLiteral("大纲不存在"), QStringLiteral("便签不存在")};
    return gone.contains(message);
}

QJsonObject objectOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

int now()
{
    return static_cast<int>(currentServerTime());
}

} // namespace

CJobManager::Refusal CJobManager::takeRefusal(const InFlight& entry, const T_Http_S& head)
{
    if ((!CAnsweredEdits::isEditType(entry.jobType) && entry.jobType != JobType::VolumeDelRestore)
        || saysGone(head.msg))
        return Refusal::None;
    T_JobData job;
    // Changed here since the request left: the newer change goes as made.
    if (!m_db->getJobById(entry.jobId, job) || job.jobId != entry.jobId || job.revision != entry.revision)
        return Refusal::None;
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    RefusedChange refused;
    if (!describeRefusal(job, book, refused))
        return Refusal::None;
    qWarning() << "job" << job.jobId << "type" << job.jobType << "refused by the platform with code" << head.code
               << head.msg;
    // The words first: the object itself takes the platform's value next.
    if (!keepRefusedWords(job, book, refused)) {
        qWarning() << "the words of refused job" << job.jobId << "could not be kept; it stays queued";
        return Refusal::Kept;
    }
    // At once, not with the batch of confirmations: the look must not find
    // the change still waiting here, which would stand over its answer.
    if (m_db->deleteJob(job.jobId, job.revision) != JobConfirm::Deleted) {
        qWarning() << "refused job" << job.jobId << "stays queued; it goes again";
        return Refusal::Kept;
    }
    lookAtRefused(job, book);
    const QString notice =
        refused.keptAs.isEmpty()
            ? tr("The platform refused the change of %1 (%2); it is as the platform has it again.")
                  .arg(refused.object, refused.members.join(tr(", ")))
            : tr("The platform refused the change of %1 (%2); it is as the platform has it again, and what you "
                 "wrote is kept as a copy marked \"%3\".")
                  .arg(refused.object, refused.members.join(tr(", ")), refused.keptAs);
    m_ui->showTips(notice, false, 8000);
    return Refusal::Taken;
}

bool CJobManager::describeRefusal(const T_JobData& job, const T_Book* book, RefusedChange& out) const
{
    const QJsonObject stored = objectOf(job.content);
    const T_Chapter* chapter = book ? book->findChapterByLocalId(job.localChapterId) : nullptr;
    const T_Volume* volume = book ? book->findVolumeByLocalId(job.localVolumeId) : nullptr;
    switch (job.jobType) {
    case JobType::MemoEdit:
        if (m_model->findMemoByLocalId(job.localMemoId) == nullptr)
            return false;
        out.object = tr("a memo");
        if (stored.contains(QStringLiteral("content")))
            out.members << tr("text");
        if (stored.contains(QStringLiteral("color")))
            out.members << tr("colour");
        if (stored.contains(QStringLiteral("localBookId")) || stored.contains(QStringLiteral("x")))
            out.members << tr("place");
        return true;
    case JobType::OutlineUpdate:
        if (book == nullptr || book->findOutlineByLocalId(job.ext1) == nullptr)
            return false;
        out.object = tr("outline \"%1\"").arg(stored.value(QStringLiteral("title")).toString());
        out.members << tr("text");
        return true;
    case JobType::ChapterEdit:
        if (chapter == nullptr)
            return false;
        out.object = tr("chapter \"%1\"").arg(chapter->name);
        if (stored.contains(QStringLiteral("name")))
            out.members << tr("name");
        if (stored.contains(QStringLiteral("content")))
            out.members << tr("text");
        return true;
    case JobType::ChapterRecycle:
        if (chapter == nullptr)
            return false;
        out.object = tr("chapter \"%1\"").arg(chapter->name);
        out.members << (job.content.toInt() == 0 ? tr("recycle") : tr("restore"));
        return true;
    case JobType::ChapterMove:
    case JobType::ChapterAppMove:
        if (book == nullptr)
            return false;
        out.object = chapter ? tr("chapter \"%1\"").arg(chapter->name) : tr("the chapters of \"%1\"").arg(book->bookName);
        out.members << tr("place");
        return true;
    case JobType::VolumeEdit:
        if (volume == nullptr)
            return false;
        out.object = tr("volume \"%1\"").arg(volume->volumeName);
        out.members << tr("name");
        return true;
    case JobType::VolumeDelRestore:
        if (volume == nullptr)
            return false;
        out.object = tr("volume \"%1\"").arg(volume->volumeName);
        out.members << (job.content.toInt() == 0 ? tr("delete") : tr("restore"));
        return true;
    case JobType::VolumeMove:
    case JobType::OutlineMove:
        if (book == nullptr)
            return false;
        out.object = job.jobType == JobType::VolumeMove ? tr("the volumes of \"%1\"").arg(book->bookName)
                                                        : tr("the outline of \"%1\"").arg(book->bookName);
        out.members << tr("order");
        return true;
    case JobType::BooksEdit: {
        if (book == nullptr)
            return false;
        out.object = tr("book \"%1\"").arg(book->bookName);
        const QStringList changed = CAnsweredEdits::editOf(job).members;
        if (changed.contains(QStringLiteral("bookName")))
            out.members << tr("name");
        if (changed.contains(QStringLiteral("intro")))
            out.members << tr("introduction");
        if (changed.contains(QStringLiteral("category")))
            out.members << tr("category");
        if (out.members.isEmpty())
            out.members << tr("cover");
        return true;
    }
    default:
        return false;
    }
}

bool CJobManager::keepRefusedWords(const T_JobData& job, T_Book* book, RefusedChange& refused)
{
    const QJsonObject stored = objectOf(job.content);
    const QString mark = CSynDataManager::copyName(QString()).trimmed();
    switch (job.jobType) {
    case JobType::MemoEdit: {
        const T_Memo* memo = m_model->findMemoByLocalId(job.localMemoId);
        if (!stored.contains(QStringLiteral("content")))
            return true;
        refused.keptAs = mark;
        return keepAsMemo(stored.value(QStringLiteral("content")).toString(), memo->color);
    }
    case JobType::OutlineUpdate: {
        const T_Outline* outline = book->findOutlineByLocalId(job.ext1);
        refused.keptAs = mark;
        return keepAsOutline(book, stored.value(QStringLiteral("type")).toInt(outline->type),
                             stored.value(QStringLiteral("title")).toString(),
                             stored.value(QStringLiteral("content")).toString());
    }
    case JobType::ChapterEdit: {
        const T_Chapter* chapter = book->findChapterByLocalId(job.localChapterId);
        const QString name = stored.value(QStringLiteral("name")).toString(chapter->name);
        if (stored.contains(QStringLiteral("content"))) {
            refused.keptAs = mark;
            return keepAsChapter(book, chapter, name, stored.value(QStringLiteral("content")).toString());
        }
        refused.keptAs = mark;
        return keepAsMemo(name, MemoItemManager::instance()->colorAt(0));
    }
    case JobType::VolumeEdit:
        refused.keptAs = mark;
        return keepAsMemo(job.content, MemoItemManager::instance()->colorAt(0));
    case JobType::BooksEdit: {
        // The name and introduction typed, as far as the edit changed them.
        const QStringList changed = CAnsweredEdits::editOf(job).members;
        QStringList words;
        for (const char* member : {"bookName", "intro"}) {
            const QString key = QLatin1String(member);
            if (changed.contains(key) && !stored.value(key).toString().isEmpty())
                words << stored.value(key).toString();
        }
        if (words.isEmpty())
            return true;
        refused.keptAs = mark;
        return keepAsMemo(words.join(QLatin1Char('\n')), MemoItemManager::instance()->colorAt(0));
    }
    default:
        return true;
    }
}

bool CJobManager::keepAsMemo(const QString& words, const QString& color)
{
    // A memo has no name: the mark heads the copy's text on a line of its own.
    const QString text = CSynDataManager::copyName(QString()).trimmed() + QLatin1Char('\n') + words;
    for (const T_Memo* other : qAsConst(m_model->memoList)) {
        if (other->content == text)
            return true;  // kept at an earlier refusal
    }
    TC_Memo_Add copy;
    copy.content = text;
    copy.color = color;
    copy.updateTime = now();
    if (!m_memos->memoAdd(copy))
        return false;
    MemoItemManager::instance()->insertMemo(m_model->indexOfMemo(copy.header.localMemoId));
    return true;
}

bool CJobManager::keepAsOutline(T_Book* book, int type, const QString& title, const QString& text)
{
    const QString copyTitle = CSynDataManager::copyName(title);
    int order = 0;
    for (const T_Outline* other : qAsConst(book->outline.outlineList)) {
        if (other->title == copyTitle && other->content == text)
            return true;
        order = qMax(order, other->orderNum);
    }
    TC_BookOutline_Create copy(book->bookId, book->localId, 0, 0, type, order + 1, now(), copyTitle, text);
    return m_bookJobs->outline_create(copy);
}

bool CJobManager::keepAsChapter(T_Book* book, const T_Chapter* chapter, const QString& name, const QString& text)
{
    const QString copyName = CSynDataManager::copyName(name);
    for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (const T_Chapter* other : *list) {
            T_Chapter stored = *other;
            if (other->name == copyName && m_db->getChapterContent(&stored) && stored.content == text)
                return true;
        }
    }
    if (m_synData->makeChapterCopy(book, chapter, text, name) < 1)
        return false;
    CBookVolumeController::instance()->reloadBook(book);
    return true;
}

void CJobManager::lookAtRefused(const T_JobData& job, T_Book* book)
{
    const T_Chapter* chapter = book ? book->findChapterByLocalId(job.localChapterId) : nullptr;
    switch (job.jobType) {
    case JobType::MemoEdit:
        if (const T_Memo* memo = m_model->findMemoByLocalId(job.localMemoId))
            m_synData->lookAgainAtMemo(memo->localId, memo->memoId);
        break;
    case JobType::BooksEdit:
        if (book != nullptr)
            m_synData->lookAgainAtBook(book->localId, book->bookId);
        break;
    case JobType::OutlineUpdate:
    case JobType::OutlineMove:
        m_synData->oweLook(JobType::OutlineList, book);
        break;
    case JobType::VolumeEdit:
    case JobType::VolumeMove:
        m_synData->oweLook(JobType::VolumeMenu, book);
        break;
    case JobType::VolumeDelRestore:
        // The volume, and the states its chapters have there.
        m_synData->oweLook(JobType::VolumeMenu, book);
        if (const T_Volume* volume = book ? book->findVolumeByLocalId(job.localVolumeId) : nullptr)
            m_synData->oweLook(JobType::ChapterMenu, book, volume->volumeId);
        break;
    case JobType::ChapterEdit:
        // Its name and text.
        if (chapter != nullptr)
            m_synData->oweLook(JobType::ChapterContent, book, chapter->chapterId);
        break;
    case JobType::ChapterRecycle:
        // Read for states.
        if (chapter != nullptr)
            m_synData->oweLook(JobType::ChapterMenu, book, chapter->volumeId);
        break;
    default:
        m_synData->oweLook(JobType::ChapterMenu, book);
        break;
    }
}
