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
#include "db/records/T_Memo.h"
#include "manager/CAnsweredEdits.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "ui/creation/memo/MemoItemManager.h"

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

CSynDataManager::WaitingEdit CSynDataManager::waitingEdit(int jobType, const QString& column, int localId,
                                                         const QString& member) const
{
    WaitingEdit edit;
    if (localId < 1)
        return edit;
    QSqlQuery query = m_db->newQuery();
    if (!query.exec(sqlFormat(QStringLiteral("select jobId,content from tb_job where uid = %1 and jobType = %2 "
                                             "and %3 = %4 order by jobId desc;"),
                              {m_model->userInfo.uid, jobType, SqlArg::name(column), localId}))) {
        edit.found = true;  // unreadable: keeping both versions is the safe side
        return edit;
    }
    while (query.next()) {
        const QJsonObject content = QJsonDocument::fromJson(query.value(1).toString().toUtf8()).object();
        if (member.isEmpty() || content.contains(member)) {
            edit.found = true;
            edit.jobId = query.value(0).toInt();
            edit.content = content;
            return edit;
        }
    }
    return edit;
}

bool CSynDataManager::hasWaitingEdit(int jobType, const QString& column, int localId, const QString& member) const
{
    return waitingEdit(jobType, column, localId, member).found;
}

bool CSynDataManager::WaitingEdit::replaced(const QString& md5) const
{
    // A text a request of the edit carried is this machine's own too.
    return content.value(QStringLiteral("was")).toArray().contains(md5)
           || content.value(QStringLiteral("sent")).toArray().contains(md5);
}

QString CSynDataManager::copyName(const QString& name)
{
    return name + tr(" (copy)");
}

QByteArray CSynDataManager::guardReply(int jobType, const QByteArray& reply, bool fromFeed)
{
    const QByteArray body = withMembersHere(jobType, reply);
    switch (jobType) {
    case JobType::ChapterContent:
        // Asked for by the feed, or by a look that a refusal owes.
        return guardChapterReply(jobType, body, fromFeed);
    case JobType::ChapterGetChapters:
        return fromFeed ? guardChapterReply(jobType, body, true) : body;
    case JobType::MemoDetail:
        return guardMemoReply(body);
    case JobType::OutlineDetail:
    case JobType::OutlineList:
        return guardOutlineReply(jobType, body);
    default:
        return body;
    }
}

QByteArray CSynDataManager::guardMemoReply(const QByteArray& body)
{
    QJsonObject root = CTessaneUrl::rootObject(body);
    QJsonObject remote = root.value(QStringLiteral("content")).toObject();
    T_Memo* memo = m_model->findMemoByMemoId(remote.value(QStringLiteral("id")).toInt());
    if (memo == nullptr)
        return body;
    // Words typed in the memo's window wait for the author's pause: stored
    // now, they are an edit waiting here like any other.
    const int localMemoId = memo->localId;
    MemoItemManager::instance()->storeTyped(localMemoId);
    memo = m_model->findMemoByLocalId(localMemoId);
    if (memo == nullptr)
        return body;
    // Every member a waiting edit holds goes to the platform as it is here;
    // one the platform took after this reply's request left is already there.
    const QString column = QStringLiteral("localMemoId");
    const WaitingEdit edit = waitingEdit(JobType::MemoEdit, column, localMemoId, QStringLiteral("content"));
    const CAnsweredEdits* answered = CAnsweredEdits::instance();
    // Which members stand, and whether a reply older than an answered edit
    // said otherwise of one (a waiting edit goes and settles it anyway).
    bool held = false;
    bool olderSaysOther = false;
    const auto stands = [&](const QString& member, bool waits, bool replySaysOther) {
        const bool answeredLater =
            !waits && answered->standsOver(CAnsweredEdits::Kind::Memo, localMemoId, member);
        olderSaysOther = olderSaysOther || (answeredLater && replySaysOther);
        held = held || waits || answeredLater;
        return waits || answeredLater;
    };
    const bool placeWaits = hasWaitingEdit(JobType::MemoEdit, column, localMemoId, QStringLiteral("localBookId"))
                            || hasWaitingEdit(JobType::MemoEdit, column, localMemoId, QStringLiteral("x"));
    if (stands(CAnsweredEdits::kColour, hasWaitingEdit(JobType::MemoEdit, column, localMemoId, QStringLiteral("color")),
               remote.value(QStringLiteral("color")).toString() != memo->color)) {
        remote.insert(QStringLiteral("color"), memo->color);
        remote.insert(QStringLiteral("color_update_time"), memo->colorUpdateTime);
    }
    if (stands(CAnsweredEdits::kPin, placeWaits,
               remote.value(QStringLiteral("book_id")).toInt() != memo->bookId
                   || remote.value(QStringLiteral("chapter_id")).toInt() != memo->chapterId)) {
        remote.insert(QStringLiteral("book_id"), memo->bookId);
        remote.insert(QStringLiteral("chapter_id"), memo->chapterId);
    }
    const QString text = withoutControlChars(remote.value(QStringLiteral("content")).toString());
    const bool textWaits =
        edit.found && (text == withoutControlChars(memo->content) || !sentTextHeldThere(edit, text, false));
    if (stands(CAnsweredEdits::kText, textWaits, text != withoutControlChars(memo->content))) {
        // The platform's text is one this machine had before its waiting
        // edit (its colour or place changed elsewhere, or nothing): the edit
        // simply goes. Any other text was written elsewhere and is kept as a copy.
        if (textWaits && text != withoutControlChars(memo->content) && !edit.replaced(noteTextMd5(text)))
            keepMemoCopy(localMemoId, edit.jobId, text);
        memo = m_model->findMemoByLocalId(localMemoId);
        if (memo == nullptr)
            return body;
        remote.insert(QStringLiteral("content"), memo->content);
    }
    if (!held)
        return body;
    if (olderSaysOther)
        lookAgainAtMemo(localMemoId, memo->memoId);
    root.insert(QStringLiteral("content"), remote);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

void CSynDataManager::keepMemoCopy(int localMemoId, int editJobId, const QString& text)
{
    const T_Memo* memo = m_model->findMemoByLocalId(localMemoId);
    if (memo == nullptr)
        return;
    // A memo has no name: the mark heads the copy's text on a line of its own.
    const QString copyText = copyName(QString()).trimmed() + QLatin1Char('\n') + text;
    bool kept = false;
    for (const T_Memo* other : qAsConst(m_model->memoList))
        kept = kept || other->content == copyText;
    TC_Memo_Add copy;
    copy.content = copyText;
    copy.color = memo->color;
    copy.updateTime = static_cast<int>(currentServerTime());
    if (!kept && CJobManager::instance()->memoAdd(copy)) {
        qInfo() << "memo" << localMemoId << "has words waiting here; the other version is kept as memo"
                << copy.header.localMemoId;
        MemoItemManager::instance()->insertMemo(m_model->indexOfMemo(copy.header.localMemoId));
        m_ui->showTips(tr("memo copy"), true, 2000);
        kept = true;
    }
    // Kept here now: a second look at the same text makes no second copy.
    if (kept && !m_db->noteEditReplaced(editJobId, noteTextMd5(text)))
        qWarning() << "memo" << localMemoId << "may be copied again at the next look";
}

// An outline with an edit waiting here keeps its text; a text of the platform
// that this machine never had (written elsewhere) becomes an outline of its
// own at the end of the book's list. Returns the object the reply may apply.
QJsonObject CSynDataManager::guardOutline(QJsonObject remote)
{
    T_Book* book = m_model->findAnyBookByBookId(remote.value(QStringLiteral("book_id")).toInt());
    const T_Outline* outline =
        book ? book->findOutlineByOutlineId(remote.value(QStringLiteral("outline_id")).toInt()) : nullptr;
    if (outline == nullptr)
        return remote;
    const WaitingEdit edit = waitingEdit(JobType::OutlineUpdate, QStringLiteral("ext1"), outline->localId, QString());
    // The platform took an edit of the card after this reply's request left:
    // the card's words are there already, whatever the reply says.
    const bool answeredLater =
        outline && !edit.found
        && CAnsweredEdits::instance()->standsOver(CAnsweredEdits::Kind::Outline, outline->localId, CAnsweredEdits::kText);
    if (!edit.found && !answeredLater)
        return remote;
    const QString title = withoutControlChars(remote.value(QStringLiteral("title")).toString());
    const QString text = withoutControlChars(remote.value(QStringLiteral("content")).toString());
    const int type = remote.value(QStringLiteral("type")).toInt(outline->type);
    remote.insert(QStringLiteral("title"), outline->title);
    remote.insert(QStringLiteral("content"), outline->content);
    remote.insert(QStringLiteral("type"), outline->type);
    const bool same = text == withoutControlChars(outline->content) && title == withoutControlChars(outline->title);
    if (answeredLater) {
        if (!same || type != outline->type)
            oweLook(JobType::OutlineList, book);
        return remote;
    }
    if (same || edit.replaced(noteTextMd5(text, title)))
        return remote;
    if (title == withoutControlChars(outline->title) && type == outline->type && sentTextHeldThere(edit, text, true)) {
        remote.insert(QStringLiteral("content"), text);
        return remote;
    }
    const QString copyTitle = copyName(title);
    const int localOutlineId = outline->localId;
    const int outlineType = outline->type;
    int order = 0;
    bool kept = false;
    for (const T_Outline* other : qAsConst(book->outline.outlineList)) {
        kept = kept || (other->title == copyTitle && other->content == text);
        order = qMax(order, other->orderNum);
    }
    TC_BookOutline_Create copy(book->bookId, book->localId, 0, 0, type >= 1 ? type : outlineType, order + 1,
                               static_cast<int>(currentServerTime()), copyTitle, text);
    if (!kept && m_bookJobs->outline_create(copy)) {
        qInfo() << "outline" << localOutlineId << "has words waiting here; the other version is kept as outline"
                << copy.localOutlineId;
        m_ui->showTips(tr("outline copy"), true, 2000);
        kept = true;
    }
    // Kept here now: a second look at the same text makes no second copy.
    if (kept && !m_db->noteEditReplaced(edit.jobId, noteTextMd5(text, title)))
        qWarning() << "outline" << localOutlineId << "may be copied again at the next look";
    return remote;
}

QByteArray CSynDataManager::guardOutlineReply(int jobType, const QByteArray& body)
{
    // Words typed in an outline card wait for the author's pause: stored
    // now, they are an edit waiting here like any other.
    COutlineController::instance()->storeTyped();
    QJsonObject root = CTessaneUrl::rootObject(body);
    if (jobType == JobType::OutlineDetail) {
        if (!root.value(QStringLiteral("content")).isObject())
            return body;
        root.insert(QStringLiteral("content"), guardOutline(root.value(QStringLiteral("content")).toObject()));
    } else {
        QJsonObject content = root.value(QStringLiteral("content")).toObject();
        QJsonArray list;
        for (const QJsonValue& value : content.value(QStringLiteral("all_outline")).toArray())
            list.append(value.isObject() ? QJsonValue(guardOutline(value.toObject())) : value);
        if (list.isEmpty())
            return body;
        content.insert(QStringLiteral("all_outline"), list);
        root.insert(QStringLiteral("content"), content);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
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

int CSynDataManager::makeChapterCopy(T_Book* book, const T_Chapter* chapter, const QString& text,
                                     const QString& named)
{
    const int orderNum = chapter->orderNum + 1;
    const QString name = copyName(named.isEmpty() ? chapter->name : named);
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

QByteArray CSynDataManager::guardChapterReply(int jobType, const QByteArray& body, bool fromFeed)
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
    const CAnsweredEdits* answered = CAnsweredEdits::instance();
    for (const QJsonValue& value : qAsConst(chapters)) {
        QJsonObject object = value.toObject();
        T_Book* book = m_model->findAnyBookByBookId(object.value(QStringLiteral("book_id")).toInt());
        T_Chapter* chapter = book ? book->findChapterByChapterId(object.value(QStringLiteral("chapter_id")).toInt())
                                  : nullptr;
        // A recycle or restore of this machine, waiting or answered after
        // the text was asked for, keeps the chapter where the author put it.
        if (chapter != nullptr && object.contains(QStringLiteral("status"))
            && (answered->standsOver(CAnsweredEdits::Kind::Chapter, chapter->localId, CAnsweredEdits::kState)
                || hasWaitingEdit(JobType::ChapterRecycle, QStringLiteral("localChapterId"), chapter->localId,
                                  QString()))) {
            object.insert(QStringLiteral("status"), chapter->status);
            kept = true;
        }
        // Words the editor could not store count as a waiting change too.
        if (chapter == nullptr || (!hasPendingText(chapter->localId) && !m_ui->holdsUnsavedText(chapter->localId))) {
            const int localId = chapter ? chapter->localId : 0;
            // Asked for before the platform took a save of it: its text is
            // the platform's already, and a later change comes with the feed.
            if (answered->standsOver(CAnsweredEdits::Kind::Chapter, localId, CAnsweredEdits::kText)) {
                kept = true;
                continue;
            }
            QJsonObject named = object;
            if (answered->standsOver(CAnsweredEdits::Kind::Chapter, localId, CAnsweredEdits::kName)) {
                named.insert(QStringLiteral("chapter_name"), chapter->name);
                kept = true;
            }
            admitted.append(named);
            continue;
        }
        kept = true;
        // Only a name waits here: the platform's text is taken, the name
        // stays this machine's until its rename is settled.
        if (!m_db->chapterTextWaits(chapter->localId) && !m_ui->holdsUnsavedText(chapter->localId)) {
            QJsonObject named = object;
            named.insert(QStringLiteral("chapter_name"), chapter->name);
            admitted.append(named);
            continue;
        }
        // The base is the platform's text as it stands there; the comparison
        // leaves out what never reaches the rows here.
        const QString platformText = object.value(QStringLiteral("content")).toString();
        const QString remote = withoutControlChars(platformText);
        if (remote == withoutControlChars(localText(chapter))) {
            noteRemoteBase(chapter->localId, platformText);
            continue;  // the same words on both sides
        }
        // The save waiting here started from the platform's text, which it
        // goes on from, or reached the platform and was written on elsewhere:
        // nothing to keep beside it. The rest of the chapter is taken.
        bool nameWaits = false;
        const CBookJobManager::SaveMeets meets = m_bookJobs->waitingSaveMeets(chapter, platformText, &nameWaits);
        if (meets != CBookJobManager::SaveMeets::Neither) {
            QJsonObject taken = object;
            if (meets == CBookJobManager::SaveMeets::ItsStart) {
                taken.remove(QStringLiteral("content"));
                taken.remove(QStringLiteral("word_count"));
            }
            if (nameWaits)
                taken.insert(QStringLiteral("chapter_name"), chapter->name);
            admitted.append(taken);
            continue;
        }
        if (makeChapterCopy(book, chapter, remote) > 0) {
            noteRemoteBase(chapter->localId, platformText);
            ++copies;
            continue;
        }
        // Neither overwritten nor kept: the pass must not acknowledge it.
        qWarning() << "remote version of chapter" << chapter->localId << "could not be kept; not applied";
        if (fromFeed)
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
