// The operations the screens call: each checks what its owner cannot do
// without and forwards. Nothing here logs a request's fields: they carry
// phone numbers, passwords and codes.

#include "CJobManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTurns.h"
#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "manager/DbFaultText.h"
#include "manager/SettingsPreview.h"

#include <QDate>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {

// Sets the missing-parameter verdict when any text is empty; true when all are there.
bool required(T_Http_S& header, std::initializer_list<const QString*> fields)
{
    for (const QString* field : fields) {
        if (field->isEmpty()) {
            header.code = HttpMissingParameter;
            header.msg = QStringLiteral("参数不足");
            return false;
        }
    }
    return true;
}

}

// ---- account ------------------------------------------------------------------

void CJobManager::checkHeader(const T_Http_S& header)
{
    printSData(&header);
    if (header.code == HttpSignInAgain) {
        m_ui->setSyncRunning(0);
        m_ui->logout();
    }
}

void CJobManager::author_login(TC_Author_Login& request, TS_Author_Login& reply, bool remember)
{
    if (!required(reply.header, {&request.phone, &request.password}))
        return;
    m_model->userInfo.isAutoLogin = remember;
    m_userJobs->author_login(request, reply);
}

void CJobManager::author_wxCodeLogin(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply,
                                     bool remember)
{
    if (!required(reply.header, {&request.nonce_str}))
        return;
    m_model->userInfo.isAutoLogin = remember;
    m_userJobs->beginWeChatSignIn();
    m_userJobs->author_wxCodeLogin(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_wxCodeUrl(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply)
{
    if (!required(reply.header, {&request.nonce_str}))
        return;
    m_userJobs->author_wxCodeLogin(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_register(TC_Author_Register& request, TS_Author_Register& reply)
{
    if (!required(reply.header, {&request.phone, &request.code, &request.password}))
        return;
    m_userJobs->author_register(request, reply);
}

void CJobManager::author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply)
{
    if (!required(reply.header, {&request.phone, &request.code, &request.uuid}))
        return;
    m_userJobs->author_sendCode(request, reply);
}

void CJobManager::author_authNumber(TC_Account_AuthNumber& request, TS_Account_AuthNumber& reply)
{
    m_userJobs->author_authNumber(request, reply);
}

void CJobManager::author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply)
{
    if (!required(reply.header, {&request.phone, &request.code, &request.password}))
        return;
    m_userJobs->author_editPwd(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply)
{
    if (!required(reply.header, {&request.password, &request.newPassword}))
        return;
    m_userJobs->author_setNewPwd(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_update(TC_Author_Update& request, TS_Author_Update& reply)
{
    m_userJobs->author_update(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply)
{
    // The picture travels as a data URL and is kept on disk as the local head
    // picture: both must be there.
    if (!required(reply.header, {&request.img, &request.localPath}))
        return;
    m_userJobs->author_uploadImg(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply)
{
    if (!required(reply.header, {&request.phone, &request.code}))
        return;
    m_userJobs->author_wxBindPhone(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_info(TC_Author_Info& request, TS_Author_Info& reply)
{
    m_userJobs->author_info(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_bannerList(TC_Author_BannerList& request, TS_Author_BannerList& reply)
{
    m_userJobs->author_bannerList(request, reply);
    checkHeader(reply.header);
}

void CJobManager::author_notice(TC_Author_Notice& request)
{
    m_userJobs->author_notice(request);
}

void CJobManager::author_pollingWx(TC_Author_PollingWx& request)
{
    if (request.nonce_str.isEmpty())
        return;
    m_userJobs->author_pollingWx(request);
}

// ---- books, chapters and volumes -----------------------------------------------

bool CJobManager::books_add(TC_Books_AddBook& request)
{
    m_refusedByStore = false;
    if (request.bookName.isEmpty())
        return false;
    return storing([&]() { return m_bookJobs->books_add(request, false) != nullptr; });
}

bool CJobManager::books_delete(TC_Books_Delete& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1)
        return false;
    return storing([&]() { return m_bookJobs->books_delete(request, false); });
}

bool CJobManager::books_delete_hard(TC_Books_Delete_Hard& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1)
        return false;
    const bool ok = storing([&]() { return m_bookJobs->books_delete_hard(request, false); });
    m_lastError = ok ? QString() : m_bookJobs->lastError();
    return ok;
}

bool CJobManager::books_restore(TC_Books_Restore& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1)
        return false;
    return storing([&]() { return m_bookJobs->books_restore(request, false); });
}

bool CJobManager::books_edit(TC_Books_Edit& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1)
        return false;
    return storing([&]() { return m_bookJobs->books_edit(request); });
}

bool CJobManager::books_export(T_Book* book, const QString& path)
{
    if (book == nullptr)
        return false;
    return m_bookJobs->books_export(book, path);
}

bool CJobManager::startImportBook(const QString& path)
{
    if (path.isEmpty())
        return false;
    return m_bookJobs->startImportBook(path);
}

void CJobManager::stopImport()
{
    m_bookJobs->stopImport();
}

bool CJobManager::chapter_add(TC_Chapter_Add& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1 || request.header.localVolumeId < 1)
        return false;
    return storing([&]() { return m_bookJobs->chapter_add(request); });
}

bool CJobManager::chapter_delete(TC_Chapter_Delete& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1 || request.header.localChapterId < 1)
        return false;
    const bool ok = storing([&]() { return m_bookJobs->chapter_delete(request); });
    m_lastError = ok ? QString() : m_bookJobs->lastError();
    return ok;
}

bool CJobManager::chapter_edit_content(TC_Chapter_Edit_Content& request)
{
    if (request.header.localBookId < 1 || request.header.localChapterId < 1)
        return false;
    return m_bookJobs->chapter_edit_content(request);
}

bool CJobManager::chapter_edit_content_soon(const TC_Chapter_Edit_Content& request,
                                            const std::function<void(bool)>& done)
{
    if (request.header.localBookId < 1 || request.header.localChapterId < 1)
        return false;
    return m_bookJobs->chapter_edit_content_soon(request, done);
}

bool CJobManager::chapterSaveRunning() const
{
    return m_db->backgroundStoreRunning();
}

void CJobManager::settleChapterSave()
{
    m_db->settleBackgroundStore();
}

bool CJobManager::chapter_edit_name(TC_Chapter_Edit_Name& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1 || request.header.localChapterId < 1)
        return false;
    return storing([&]() { return m_bookJobs->chapter_edit_name(request); });
}

bool CJobManager::chapter_recycle(TC_Chapter_Recycle& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 1 || request.header.localVolumeId < 1
        || request.header.localChapterId < 1)
        return false;
    return storing([&]() { return m_bookJobs->chapter_recycle(request, false); });
}

bool CJobManager::chapter_move(TC_Chapter_Move& request)
{
    m_refusedByStore = false;
    // A chapter dropped into an empty volume has no chapter to go beside:
    // the target chapter may be 0.
    if (request.header.localBookId < 1 || request.localFromVolumeId < 1 || request.localToVolumeId < 1
        || request.localFromChapterId < 1)
        return false;
    return storing([&]() { return m_bookJobs->chapter_move(request); });
}

bool CJobManager::chapter_contentBlade(TC_Chapter_ContentBlade& request)
{
    if (request.header.localBookId < 1 || request.header.localChapterId < 1) {
        qWarning() << "blade ids" << request.header.localBookId << request.header.localChapterId;
        m_lastError = QStringLiteral("Blade localBookId localChapterId error");
        return false;
    }
    const bool ok = m_bookJobs->chapter_contentBlade(request);
    if (!ok) {
        m_lastError = m_bookJobs->lastError();
        return false;
    }
    emit chapterVersionsChanged(request.header.localChapterId);
    return true;
}

bool CJobManager::volume_add(TC_Volume_Add& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 0)
        return false;
    return storing([&]() { return m_bookJobs->volume_add(request); });
}

bool CJobManager::volume_edit(TC_Volume_Edit& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 0 || request.header.localVolumeId < 0)
        return false;
    return storing([&]() { return m_bookJobs->volume_edit(request); });
}

bool CJobManager::volume_del_restore(TC_Volume_Delete& request)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 0 || request.header.localVolumeId < 0)
        return false;
    return storing([&]() { return m_bookJobs->volume_del_restore(request); });
}

bool CJobManager::volume_move(TC_Volume_Move& request, const QMap<int, int>& movedVolumes)
{
    m_refusedByStore = false;
    if (request.header.localBookId < 0 || request.localFromVolumeId < 0 || request.localToVolumeId < 0
        || movedVolumes.isEmpty())
        return false;
    return storing([&]() { return m_bookJobs->volume_move(request, movedVolumes); });
}

// ---- memos ------------------------------------------------------------------------

bool CJobManager::memoAdd(TC_Memo_Add& request)
{
    m_refusedByStore = false;
    return storing([&]() { return m_memos->memoAdd(request); });
}

bool CJobManager::memoDel(TC_Memo_Del& request)
{
    m_refusedByStore = false;
    if (request.header.localMemoId <= 0) {
        qDebug() << "memoDel localMemoId = 0";
        return false;
    }
    return storing([&]() { return m_memos->memoDel(request); });
}

bool CJobManager::memoDetail(TC_Memo_Detail& request)
{
    if (request.header.memoId < 1 || request.header.localMemoId < 1)
        return false;
    return m_memos->memoDetail(request);
}

bool CJobManager::memoEditColor(TC_Memo_Edit& request)
{
    m_refusedByStore = false;
    if (request.header.localMemoId < 1)
        return false;
    return storing([&]() { return m_memos->memoEditColor(request); });
}

bool CJobManager::memoEditContent(TC_Memo_Edit& request)
{
    m_refusedByStore = false;
    if (request.header.localMemoId < 1)
        return false;
    return storing([&]() { return m_memos->memoEditContent(request); });
}

bool CJobManager::memoEditLocation(TC_Memo_Edit& request)
{
    m_refusedByStore = false;
    if (request.header.localMemoId < 1)
        return false;
    return storing([&]() { return m_memos->memoEditLocation(request); });
}

// ---- system data --------------------------------------------------------------------

void CJobManager::sensitive_edit(TC_Sensitive_Edit& request)
{
    m_system->sensitive_edit(request);
}

void CJobManager::sensitive_get(TC_Sensitive_Get& request)
{
    m_system->sensitive_get(request);
}

void CJobManager::getAuthorStatistics(QString* json)
{
    T_Http_S head;
    m_userJobs->getAuthorStatistics(json, head);
    checkHeader(head);
}

// ---- local data -----------------------------------------------------------------------

bool CJobManager::getChapters(T_Book* book)
{
    return m_db->getChapters(book);
}

bool CJobManager::getChapterContent(T_Chapter* chapter)
{
    return m_db->getChapterContent(chapter);
}

bool CJobManager::getContentBlades(int localChapterId, QList<T_Chapter_TimeMachineItem*>& list, bool withContent)
{
    return m_db->getContentBlades(localChapterId, list, withContent);
}

bool CJobManager::getContentBladeText(T_Chapter_TimeMachineItem* item)
{
    return m_db->getContentBladeText(item);
}

bool CJobManager::updateBookLastEditChapter(int localBookId, int localChapterId)
{
    return m_db->updateBookLastEditChapter(localBookId, localChapterId);
}

bool CJobManager::updateBookMoney(int localBookId, double money)
{
    return m_db->updateBookMoney(localBookId, money);
}

bool CJobManager::updateLock(int uid, const T_WriteLock& lock)
{
    return m_db->updateLock(uid, lock);
}

bool CJobManager::updateCreationConf(const T_CreationConf& conf, int uid)
{
    if (uid < 1)
        return false;
    SettingsPreview::cancelAll();
    // A settings row that could not be written is no reason to stop the
    // author; it is logged by the database.
    m_db->updateCreationConf(conf, uid);
    return true;
}

bool CJobManager::updateSystemConf(const T_SystemConf& conf, int uid)
{
    if (uid <= 0)
        return false;
    SettingsPreview::cancelAll();
    return m_db->updateSystemConf(conf, uid);
}

bool CJobManager::storedSystemConf(int uid, T_SystemConf& conf)
{
    TS_Author_Info user;
    T_UserConf stored;
    if (uid <= 0 || !m_db->getUserData(uid, user, stored))
        return false;
    conf = stored.systemConf;
    return true;
}

QString CJobManager::lastDbError() const
{
    return DbFaultText::cause(m_db->lastFault());
}

QString CJobManager::refusedText(const QString& what) const
{
    return DbFaultText::refused(what, m_db->lastFault());
}

bool CJobManager::storing(const std::function<bool()>& change)
{
    const quint64 before = m_db->refusals();
    const bool ok = change();
    m_refusedByStore = !ok && m_db->refusals() != before;
    return ok;
}

bool CJobManager::lastWriteMetLock() const
{
    return m_db->lastFault() == DbFault::Locked;
}

bool CJobManager::saveUserData()
{
    if (m_model->userInfo.uid < 1)
        return true;
    // A quit or a sign-out stores no value the author is still only trying.
    SettingsPreview::cancelAll();
    const bool conf = m_db->updateUserConf(m_model->userConf);
    const bool user = m_db->updateUser(m_model->userInfo);
    if (!conf || !user)
        qWarning() << "the user's settings or record could not be saved";
    return true;
}

// ---- sign-out, book order, statistics -------------------------------------------------------

bool CJobManager::author_logout()
{
    // The import writes under the author's name and holds the database's
    // write lock: it ends before anything of the sign-out is stored.
    m_bookJobs->stopImport();
    // A sign-out the file does not hold would sign the author back in at
    // the next start.
    if (!m_db->clearLastLogin()) {
        const QString reason = lastDbError();
        qWarning() << "the sign-out could not be stored:" << reason;
        m_ui->showError(tr("You stay signed in: the sign-out could not be stored.\n%1").arg(reason), 5000);
        return false;
    }
    // The editor's words are stored or kept in a file before the user's
    // records go.
    m_ui->keepWordsBeforeSignOut();
    saveUserData();
    m_model->resetUser();
    m_db->setCurrentUid(0);
    endSession();
    return true;
}

bool CJobManager::moveBookToFront(T_Book* book, bool move)
{
    if (!move || book == nullptr)
        return true;
    const int index = m_model->bookList.indexOf(book);
    if (index < 0)
        return true;
    m_model->bookList.move(index, 0);
    book->updateTime = static_cast<int>(currentServerTime());
    m_booksToTouch.removeAll(book->localId);
    m_booksToTouch.append(book->localId);
    return touchBooks();
}

bool CJobManager::touchBooks()
{
    // In the order of the moves: a later book stored before an earlier one
    // that waited would come back behind it at the next sign-in.
    while (!m_booksToTouch.isEmpty()) {
        const int localBookId = m_booksToTouch.first();
        if (m_db->touchBook(localBookId)) {
            m_booksToTouch.removeFirst();
            continue;
        }
        if (m_db->lastFault() == DbFault::Locked && !m_db->writesRefused()) {
            if (!m_touchTimer->isActive())
                m_touchTimer->start();
            return true;
        }
        m_booksToTouch.removeFirst();
        m_lastError = lastDbError();
        qWarning() << "book" << localBookId << "is at the shelf's front, but its time could not be stored:"
                   << m_db->lastErrorText();
        return false;
    }
    return true;
}

void CJobManager::updateStatictics(int uid, T_Statistics& s, StatisticsType type)
{
    qDebug().noquote() << QStringLiteral("%1--%2--%3--%4--%5\n")
                              .arg(s.date, QString::number(s.wordCount), QString::number(s.netIncrease),
                                   QString::number(s.outlineNum), QString::number(s.memoNum));
    if (s.date.isEmpty())
        return;
    if (type == StatisticsWriting) {
        if (s.wordCount < 0 && s.writeTime < 0 && s.wordCountAll < 0)
            return;
    } else if (type == StatisticsOutline) {
        if (s.outlineNum == 0)
            return;
    } else if (type == StatisticsMemo) {
        if (s.memoNum == 0)
            return;
    }
    s.date = getCurrentDate();
    int jobId = 0;
    {
        // The day's row and the pending job together; counters that could
        // not be stored stay for the next call, so the write waits for
        // another connection's lock only briefly.
        const CTessaneDb::BriefWait brief(*m_db);
        jobId = m_db->recordStatistics(uid, s, type);
    }
    if (jobId < 1) {
        qWarning() << "statistics not recorded; the counters stay for the next call";
        return;
    }
    // The counters are in the pending job now: reset them whatever happens
    // to the upload, so they are never counted twice.
    if (type == StatisticsWriting) {
        s.wordCount = 0;
        s.writeTime = 0;
        s.wordCountAll = 0;
        s.netIncrease = 0;
    } else if (type == StatisticsOutline || type == StatisticsMemo) {
        s.outlineNum = 0;
        s.memoNum = 0;
    }
    // One request per job at a time: while the job is out, the new counters
    // wait in it for the queue.
    if (isJobInFlight(jobId) || uid != currentUid() || !isSignedIn())
        return;
    T_JobData job;
    if (!m_db->getJobById(jobId, job) || job.jobId != jobId)
        return;
    QString sentContent;
    if (!m_system->sendStatisticsJob(job, type, &sentContent))
        return;
    T_Http_Custom identity;
    identity.jobId = jobId;
    identity.jobType = job.jobType;
    identity.uid = job.uid;
    noteJobSent(identity, job.revision, sentContent);
}
