// A book's information from the platform, and its cover.
//
// The information is stored as the reply arrives, from what the reply says,
// except the members an edit made here changed while it still waits in the
// job table: that edit gives the platform the book as it stands here, so its
// values are the ones both sides end with, and it takes the reply's values
// of the other members. The recycle state is never the reply's to set.
//
// A new cover's picture is fetched afterwards without waiting. When it
// arrives, only the cover is written, on the book looked up again by its id,
// and only while the same author is signed in, no later information asked
// for another picture and the author chose no cover here meanwhile.

#include "CBookJobManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CAnsweredEdits.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kBookName = QStringLiteral("bookName");
const QString kIntro = QStringLiteral("intro");
const QString kChannel = QStringLiteral("channelType");
const QString kCate = QStringLiteral("cateId");
const QString kCateParent = QStringLiteral("cateFid");
const QString kLocalCover = QStringLiteral("localCover");

}

QJsonObject CBookJobManager::waitingBookEdit(int localBookId, int* waitingJobId) const
{
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::BooksEdit, QStringLiteral("localBookId"), localBookId);
    T_JobData job;
    if (jobId < 1 || !m_db->getJobById(jobId, job) || job.jobId != jobId)
        return QJsonObject();
    if (waitingJobId != nullptr)
        *waitingJobId = jobId;
    return QJsonDocument::fromJson(job.content.toUtf8()).object();
}

bool CBookJobManager::coverWaitsHere(const QJsonObject& edit)
{
    // An edit says by its earlier values which members it changed; one of an
    // older build (or a new book's first) carries the cover whenever it has one.
    const QJsonValue was = edit.value(QStringLiteral("was"));
    if (was.isObject())
        return was.toObject().contains(QStringLiteral("cover"));
    return !edit.value(kLocalCover).toString().isEmpty();
}

void CBookJobManager::asynBackBookInfo(const QByteArray& body)
{
    TS_Books_Info reply;
    CTessaneUrl::setHttpBookInfo(body, &reply);
    const T_Http_Custom& header = reply.header.userdata;
    const bool gone = refusedAsGone(JobType::BooksDeleteHard, reply.header.msg);
    CSynDataManager::instance()->settleWithdrawn(JobType::BooksDeleteHard, 0, header.synStep, [&](int bookId) {
        return bookId != header.bookId ? -1 : reply.header.code == HttpOk ? 1 : gone ? 0 : -1;
    });
    if (gone)
        listedWithout(JobType::BooksDeleteHard, 0, [&header](int bookId) { return bookId != header.bookId; });
    if (reply.header.code == HttpOk && header.localBookId < 1 && header.bookId > 0 && !takeUnknownBook(reply))
        return;
    if (reply.header.code != HttpOk || header.localBookId < 1)
        return;
    // A book in the recycle bin takes a rename made elsewhere too.
    T_Book* book = m_model->findAnyBookByLocalId(header.localBookId);
    if (book == nullptr)
        return;
    if (reply.book_id < 1 || (book->bookId >= 1 && reply.book_id != book->bookId)) {
        qWarning() << "book information for book" << reply.book_id << "does not belong to book"
                   << book->localId << "; ignored";
        return;
    }

    // Like chapter texts, a name or an introduction from the platform loses
    // the control characters another client let through.
    T_Book stored(book->localId, book->bookName);
    const QString name = withoutControlChars(reply.book_name);
    if (!name.isEmpty())
        stored.bookName = name;
    stored.intro = withoutControlChars(reply.intro);
    stored.channelType = reply.channel_type;
    stored.cateId = reply.cate_id;
    stored.cateFid = cateParentOf(reply.channel_type, reply.cate_id);
    stored.bookId = reply.book_id;
    stored.wordNum = reply.word_num;
    stored.updateTime = reply.update_time;

    keepAnsweredMembers(book, &stored);
    int editJobId = 0;
    const QJsonObject edit = waitingBookEdit(book->localId, &editJobId);
    // The edit sends every member: those it did not change go as the
    // platform holds them now, changed elsewhere maybe, and the job takes them.
    QJsonObject theirs;
    if (!edit.isEmpty()) {
        const QJsonValue was = edit.value(QStringLiteral("was"));
        // One of an older build, or a new book's first, changed every member.
        const auto changedHere = [&was](const QString& member) {
            return !was.isObject() || was.toObject().contains(member);
        };
        const QString waitingName = edit.value(kBookName).toString();
        if (!changedHere(kBookName))
            theirs.insert(kBookName, stored.bookName);
        else if (!waitingName.isEmpty())
            stored.bookName = waitingName;
        if (!changedHere(kIntro))
            theirs.insert(kIntro, stored.intro);
        else if (edit.contains(kIntro))
            stored.intro = edit.value(kIntro).toString();
        if (!changedHere(QStringLiteral("category"))) {
            theirs.insert(kChannel, stored.channelType);
            theirs.insert(kCate, stored.cateId);
            theirs.insert(kCateParent, stored.cateFid);
        } else if (edit.value(kChannel).toInt() >= 1 && edit.value(kCate).toInt() >= 1) {
            stored.channelType = edit.value(kChannel).toInt();
            stored.cateId = edit.value(kCate).toInt();
            stored.cateFid = edit.value(kCateParent).toInt(stored.cateFid);
        }
        for (auto it = theirs.begin(); it != theirs.end();)
            it = edit.value(it.key()) == it.value() ? theirs.erase(it) : std::next(it);
        qDebug() << "book" << book->localId << "has an edit waiting here; the members it changed stand over the platform's";
    }
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->updateBookInfo(&stored)
            || (!theirs.isEmpty() && !m_db->takeIntoBookEdit(editJobId, theirs)) || !transaction.commit()) {
            replyDbFailed(reply.header, "book information not stored");
            return;
        }
    }
    book->bookName = stored.bookName;
    book->intro = stored.intro;
    book->channelType = stored.channelType;
    book->cateId = stored.cateId;
    book->cateFid = stored.cateFid;
    book->bookId = stored.bookId;
    book->wordNum = stored.wordNum;
    book->updateTime = stored.updateTime;
    book->authorId = reply.author_id;
    book->createTime = reply.create_time;
    refreshBookItem(book);
    if (book->status != 1)
        m_model->announceBinChanged(0);

    if (!reply.cover.isEmpty() && reply.cover != book->coverUrl && !coverWaitsHere(edit))
        fetchCover(book->localId, reply.cover);
}

void CBookJobManager::keepAnsweredMembers(const T_Book* book, T_Book* stored)
{
    // A member an edit of this machine changed, which the platform took after
    // this reply's request left, is there as it is here.
    const CAnsweredEdits* answered = CAnsweredEdits::instance();
    const auto standsHere = [answered, book](const QString& member) {
        return answered->standsOver(CAnsweredEdits::Kind::Book, book->localId, member);
    };
    bool olderSaysOther = false;
    if (standsHere(kBookName)) {
        olderSaysOther = olderSaysOther || stored->bookName != book->bookName;
        stored->bookName = book->bookName;
    }
    if (standsHere(kIntro)) {
        olderSaysOther = olderSaysOther || stored->intro != book->intro;
        stored->intro = book->intro;
    }
    if (standsHere(QStringLiteral("category"))) {
        olderSaysOther = olderSaysOther || stored->channelType != book->channelType || stored->cateId != book->cateId;
        stored->channelType = book->channelType;
        stored->cateId = book->cateId;
        stored->cateFid = book->cateFid;
    }
    if (olderSaysOther)
        CSynDataManager::instance()->lookAgainAtBook(book->localId, book->bookId);
}

void CBookJobManager::fetchCover(int localBookId, const QString& url)
{
    const T_Book* book = m_model->findAnyBookByLocalId(localBookId);
    if (book == nullptr || m_coverFetches.value(localBookId) == url)
        return;  // gone, or this picture is on its way already
    m_coverFetches.insert(localBookId, url);
    const int uid = m_model->userInfo.uid;
    const QString shown = book->localCover;
    m_http->fetchImg(url, appDirPath() + QStringLiteral("/data/bookImg/"), this,
                     [this, uid, localBookId, url, shown](const QString& file) {
                         takeCover(uid, localBookId, url, shown, file);
                     });
}

void CBookJobManager::takeCover(int uid, int localBookId, const QString& url, const QString& shownBefore,
                                const QString& file)
{
    // A later information of the book asked for another picture: that one counts.
    if (m_coverFetches.value(localBookId) != url)
        return;
    m_coverFetches.remove(localBookId);
    if (file.isEmpty()) {
        qInfo() << "cover of book" << localBookId << "not fetched; the next information asks again";
        return;
    }
    // Its author signed out meanwhile (the record keeps the author until the
    // next sign-in; the database's current author is cleared at once).
    if (uid < 1 || uid != m_model->userInfo.uid || uid != m_db->currentUid())
        return;
    T_Book* book = m_model->findAnyBookByLocalId(localBookId);
    if (book == nullptr)
        return;
    // A cover the author chose here meanwhile goes to the platform and stands.
    if (book->localCover != shownBefore || coverWaitsHere(waitingBookEdit(localBookId))) {
        qInfo() << "cover of book" << localBookId << "chosen here meanwhile; the fetched one is not taken";
        return;
    }
    if (!m_db->updateBookCover(localBookId, url, file)) {
        qWarning() << "cover of book" << localBookId << "not stored:" << m_db->lastErrorText();
        return;
    }
    book->coverUrl = url;
    book->localCover = file;
    refreshBookItem(book);
    if (book->status != 1)
        m_model->announceBinChanged(0);
}
