#include "CJobManager.h"

#include "common/ChineseNumerals.h"
#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_SysInfo.h"
#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "manager/DbFaultText.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/CTessaneHttp.h"

#include <QDebug>
#include <QTimer>

#include <climits>

CJobManager::CJobManager(QObject* parent)
    : QObject(parent),
      m_bookJobs(CBookJobManager::instance()),
      m_userJobs(CUserJobManager::instance()),
      m_ui(CUiManager::instance()),
      m_model(CPublicManager::instance()),
      m_db(CTessaneDb::instance()),
      m_system(CSystemManager::instance()),
      m_synData(CSynDataManager::instance()),
      m_memos(CMemoManager::instance()),
      m_apiClient(CTessaneHttp::instance())
{
    m_autoSynTimer = new QTimer(this);
    connect(m_autoSynTimer, &QTimer::timeout, this, &CJobManager::onSynTimer);
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    connect(m_flushTimer, &QTimer::timeout, this, [this]() { flushConfirmed(); });
    m_touchTimer = new QTimer(this);
    m_touchTimer->setSingleShot(true);
    m_touchTimer->setInterval(250);
    connect(m_touchTimer, &QTimer::timeout, this, [this]() { touchBooks(); });
    connect(m_apiClient, &CHttpBase::sigGetAsynData, this, &CJobManager::onGetAsynData);
    connect(m_bookJobs, &CBookJobManager::sig_versionsReplaced, this, &CJobManager::chapterVersionsChanged);
    // Whatever signs the user out of the interface ends the session's drain.
    connect(m_ui, &CUiManager::sig_LoginRequired, this, &CJobManager::onSignedOut);
    // Queued: the damage is found inside a statement, and the caller first
    // winds its own work down (the database already refuses writes).
    connect(m_db, &CTessaneDb::sig_damaged, this, [this]() {
        if (m_db->isDamaged() && m_model->userInfo.uid > 0 && m_ui->signInState() == 1)
            stopForStoreFault(DbFaultText::damaged(m_db->dbFilePath()));
    }, Qt::QueuedConnection);
}

CJobManager::~CJobManager() = default;

CJobManager* CJobManager::instance()
{
    static CJobManager* manager = new CJobManager();
    return manager;
}

bool CJobManager::init()
{
    // Files an earlier start left readable by other local users (the
    // database, pictures, logs, backups) are narrowed before anything else.
    PrivateFiles::narrowTree(getAppDataDir());
    CUiManager::narrowBackups();
    return init(getDbDir() + QStringLiteral("/wrt.db"), appDirPath() + QStringLiteral("/data/db"));
}

bool CJobManager::init(const QString& dbFile, const QString& programDbDir)
{
    m_initError.clear();
    m_storeStopped = false;
    if (!m_db->init(dbFile, programDbDir)) {
        m_initError = DbFaultText::startFailure(m_db->lastFault(), dbFile, m_db->lastErrorText());
        qCritical() << "db init error";
        return false;
    }
    initNumeralTables();
    CSystemManager::clearUpdateFolder();
    // Imports the last run did not finish (a quit, a crash) left rows that
    // are nobody's.
    m_bookJobs->sweepImportLeftovers();

    T_SysInfo sysInfo;
    if (!m_db->getSysData(m_model->userInfo, m_model->synData, sysInfo)) {
        m_initError = DbFaultText::startFailure(m_db->lastFault(), dbFile, m_db->lastErrorText());
        qCritical() << "get sys db error";
        return false;
    }
    m_model->applySysInfo(sysInfo);
    m_system->initData(m_model->synData);
    qInfo() << "job manager ready";

    if (m_model->userInfo.uid < 1) {
        m_ui->logout();
        return true;
    }
    initAfterLogin();
    return true;
}

bool CJobManager::initAfterLogin()
{
    if (m_ui->signInState() == 1)
        return true;
    // After a sign-out, what was sent while nobody was signed in is not this
    // session's; at a program start the session is the start's own.
    const bool afterSignOut = m_ui->signInState() == 2;
    m_ui->setSignInState(1);
    if (afterSignOut)
        endSession();
    else
        resetSession();

    const int uid = m_model->userInfo.uid;
    if (uid > 0) {
        m_db->getUserData(uid, m_model->userInfo, m_model->userConf);
        m_model->userInfo.uid = uid;
        m_model->userConf.uid = uid;
        if (m_model->userInfo.token.isEmpty()) {
            qInfo() << "remembered user" << uid << "has no stored sign-in; login required";
            m_ui->logout();
            return true;
        }
        m_apiClient->setToken(m_model->userInfo.token);
        m_apiClient->setUniqueCode(m_model->userInfo.uniqueCode);
        m_db->setCurrentUid(uid);
        // Score, level and profile change on the platform between starts;
        // the reply stores them (job type 2).
        TC_Author_Info profile;
        profile.header.jobType = 2;
        profile.header.uid = uid;
        m_apiClient->author_info_asyn(profile);
    }

    // The books and memos first: a database that cannot give them back
    // takes nothing more, or the change feed would store the platform's
    // books over an empty shelf as second copies.
    bool loaded = m_bookJobs->loadBooks();
    QString loadError = loaded ? QString() : m_db->lastErrorText();
    DbFault loadFault = loaded ? DbFault::None : m_db->lastFault();
    if (!m_memos->loadMemoList() && loaded) {
        loaded = false;
        loadError = m_db->lastErrorText();
        loadFault = m_db->lastFault();
    }
    if (!loaded) {
        m_db->refuseWrites();
        qCritical() << "the author's data could not be loaded; writing and synchronisation stop";
    }
    m_userJobs->loadStatistics();
    m_system->onCheckNetWorkTimeOut();

    if (!m_ui->initMain())
        return true;
    if (!loaded) {
        const DbFault fault = m_db->isDamaged() ? DbFault::Damaged : loadFault;
        stopForStoreFault(DbFaultText::loadFailure(fault, m_db->dbFilePath(), loadError));
        return true;
    }
    if (uid > 0) {
        m_ui->setSyncIndicatorAllowed(true);
        execUserJob();
    }
    return true;
}

void CJobManager::stopForStoreFault(const QString& text)
{
    m_db->refuseWrites();
    m_autoSynTimer->stop();
    if (m_storeStopped)
        return;
    m_storeStopped = true;
    m_ui->showDbFault(text);
}

void CJobManager::close()
{
    m_bookJobs->stopImport();
    m_bookJobs->stopBatchRequest();
    // A chapter save still committing on the worker ends while the model
    // still holds its chapter.
    m_db->settleBackgroundStore();
    m_storeStopped = false;
    m_autoSynTimer->stop();
    flushConfirmed();
    // A last try; the ids mean nothing to the next database.
    touchBooks();
    m_booksToTouch.clear();
    m_touchTimer->stop();
    endSession();
    m_inFlight.clear();
    m_ui->setSignInState(0);
    m_model->clearBooks();
    m_model->clearMemos();
    m_model->resetUser();
    m_model->curJob.clear();
    m_db->setCurrentUid(0);
    m_db->close();
}

int CJobManager::session() const
{
    return m_apiClient->session();
}

bool CJobManager::isSignedIn() const
{
    return m_model->userInfo.uid > 0 && m_ui->signInState() == 1;
}

int CJobManager::currentUid() const
{
    return m_model->userInfo.uid;
}

void CJobManager::endSession()
{
    // Replies to what the session sent answer nobody now
    // (dropEndedSessionReply): its feed pull and its indicator end here.
    m_apiClient->beginSession();
    m_ui->setSyncRunning(0);
    m_synData->reset();
    resetSession();
}

void CJobManager::resetSession()
{
    // Requests still out keep their entries: their replies confirm what they
    // carried, and their jobs are not handed out twice meanwhile.
    m_answeredJobIds.clear();
    CAnsweredEdits::instance()->clear();
    m_lookedUp.clear();
    m_feedPasses = 0;
    m_firstListed.clear();
    m_lookUpAfterFeed = false;
    m_passAgain = false;
    m_drainJobId = 0;
    m_passCursor = 0;
    m_passRetried.clear();
    m_passFailed = false;
    m_passUnreachable = false;
    m_feedApplied = false;
    m_heldForFeed = false;
    m_drainAfterFeed = false;
    m_feedAgain = false;
    m_editsAfterPull.clear();
    m_bookJobs->resetSession();
    m_synData->resetSession();
}

bool CJobManager::drainsAfterFeed(bool ok) const
{
    return ok && isSignedIn() && m_drainJobId == 0 && m_heldForFeed;
}

void CJobManager::feedApplied(bool ok)
{
    if (!drainsAfterFeed(ok)) {
        // Nothing more goes in this pass: its result stands as it is, a
        // refusal answered meanwhile included.
        m_ui->tellSyncResult(!passLeftJobs());
        m_refusedInPass = false;
        if (ok && isSignedIn() && m_drainJobId == 0 && m_feedAgain)
            passSoon();
        return;
    }
    m_heldForFeed = false;
    m_feedApplied = true;
    m_drainAfterFeed = true;
    m_passCursor = 0;
    drainNext();
}

void CJobManager::onSignedOut()
{
    qInfo() << "signed out: the job queue stops until the next sign-in";
    flushConfirmed();
    endSession();
    // Nothing more is recorded under the author who left, whatever code
    // still runs for them.
    m_db->setCurrentUid(0);
}

void CJobManager::synNow(bool showProgress)
{
    if (currentUid() < 1)
        return;
    m_ui->setSyncIndicatorAllowed(showProgress);
    execUserJob();
}

void CJobManager::beginAutoSyn()
{
    if (m_autoSynTimer->isActive() || m_db->writesRefused())
        return;
    qDebug() << "CJobManager::beginAutoSyn ======";
    m_autoSynTimer->start(kAutoSynIntervalMs);
}

bool CJobManager::isAutoSynRunning() const
{
    return m_autoSynTimer->isActive();
}

void CJobManager::onSynTimer()
{
    if (currentUid() < 1)
        return;
    // An automatic run shows no sync indicator.
    m_ui->setSyncIndicatorAllowed(false);
    execUserJob();
}

void CJobManager::noteJobSent(const T_Http_Custom& identity, int revision, const QString& sentContent,
                              const CAnsweredEdits::Edit* sentEdit, bool markedSent)
{
    if (identity.jobId < 1)
        return;
    InFlight entry;
    entry.jobId = identity.jobId;
    entry.jobType = identity.jobType;
    entry.uid = identity.uid;
    entry.revision = revision;
    entry.sentContent = sentContent;
    T_JobData job;
    if (sentEdit != nullptr)
        entry.edit = *sentEdit;
    else if (CAnsweredEdits::isEditType(identity.jobType)
        && m_db->getJobById(identity.jobId, job, CAnsweredEdits::membersInContent(identity.jobType))
        && job.jobId == identity.jobId)
        entry.edit = CAnsweredEdits::editOf(job);
    m_inFlight.insert(identity.jobId, entry);
    // The text a note edit carries may reach the platform even when its
    // reply is lost: the feed's guard must know it as this machine's.
    if ((identity.jobType == JobType::OutlineUpdate || identity.jobType == JobType::MemoEdit)
        && !m_db->noteEditSent(identity.jobId, revision))
        qWarning() << "note edit job" << identity.jobId << "not marked as sent; its text may come back as a copy";
    // A delete for good whose reply is lost may have reached the platform:
    // a feed that withdraws it then looks at the object before telling.
    if (JobOwners::isDeleteForGood(identity.jobType)) {
        if (!m_db->markJobSent(identity.jobId))
            qWarning() << "delete job" << identity.jobId << "not marked as sent; its withdrawal may be told wrongly";
        return;
    }
    if (CBookJobManager::isLookedUpChange(identity.jobType)) {
        // Its reply may be lost too: looked up again before another send.
        m_lookedUp.remove(identity.jobId);
        if (!markedSent && !m_db->markJobSent(identity.jobId))
            qWarning() << "change job" << identity.jobId << "not marked as sent; a lost reply would send it again";
        return;
    }
    if (!JobOwners::isCreate(identity.jobType))
        return;
    // What this request makes is looked for anew if its reply is lost too.
    m_lookedUp.remove(identity.jobId);
    m_firstListed.remove(identity.jobId);
    if (!m_db->markJobSent(identity.jobId))
        qWarning() << "create job" << identity.jobId << "not marked as sent; a lost reply would make it twice";
}

void CJobManager::sendAfterFeed(int jobId, bool quiet)
{
    // Not from inside the operation that recorded it.
    QTimer::singleShot(0, this, [this, jobId, quiet]() {
        if (!isSignedIn() || m_drainJobId != 0)
            return;  // the drain under way reaches it
        if (m_synData->isRunning() || m_ui->syncRunning() != 0) {
            // The feed under way was pulled before it: one more after it.
            if (jobId > m_feedCovers)
                m_feedAgain = true;
            return;
        }
        if (quiet)
            m_ui->setSyncIndicatorAllowed(false);
        execUserJob();
    });
}

void CJobManager::sendEditAfterFeed(int jobId)
{
    if (jobId < 1)
        return;
    const bool draining = m_drainJobId != 0;
    if (draining && !m_drainAfterFeed) {
        // The pass under way pulls after it, and the drain after that pull
        // sends it, also when the drain has passed its (older) job already.
        m_heldForFeed = true;
    } else if (draining || m_synData->isRunning() || m_ui->syncRunning() != 0) {
        // The pull under way left before it: another pass pulls again.
        m_editsAfterPull.insert(jobId);
        m_feedAgain = true;
    }
    // A pause in the author's typing, or a book's information saved, is no
    // synchronisation asked for.
    sendAfterFeed(jobId, true);
}

void CJobManager::passSoon()
{
    m_feedAgain = false;
    QTimer::singleShot(0, this, [this]() { execUserJob(); });
}

void CJobManager::feedTakenIn()
{
    ++m_feedPasses;
    if (!m_lookUpAfterFeed)
        return;
    m_lookUpAfterFeed = false;
    // Not from inside the feed's own end.
    QTimer::singleShot(0, this, [this]() { execUserJob(); });
}

bool CJobManager::lookUpCreate(const T_JobData& job)
{
    const bool change = CBookJobManager::isLookedUpChange(job.jobType);
    if ((!change && !JobOwners::isCreate(job.jobType)) || job.sent == 0 || m_lookedUp.contains(job.jobId))
        return false;
    T_Http_Custom lookup;
    const int sent = change ? m_bookJobs->lookUpChange(job, lookup) : m_bookJobs->lookUpCreate(job, lookup);
    if (sent < 0)
        return false;  // the owner parks it
    if (sent == 0) {
        qInfo() << "job" << job.jobId << "type" << job.jobType
                << "may have reached the platform, which gives nothing to recognise it by; sent again";
        return false;
    }
    InFlight entry;
    entry.jobId = job.jobId;
    entry.jobType = lookup.jobType;
    entry.uid = job.uid;
    entry.revision = job.revision;
    entry.lookupFor = job.jobType;
    m_inFlight.insert(job.jobId, entry);
    return true;
}

void CJobManager::execUserJob()
{
    if (!isSignedIn())
        return;
    if (m_db->writesRefused()) {
        // A synchronisation the author asked for ends as a failure.
        qWarning() << "the database takes no writes; nothing is synchronised";
        m_ui->startSyncAnimation();
        m_ui->stopSyncAnimation(false);
        return;
    }
    if (m_drainJobId != 0) {
        qDebug() << "job" << m_drainJobId << "of the running drain is in flight; nothing more handed out";
        return;
    }
    startPass();
    drainNext();
}

void CJobManager::startPass()
{
    m_passCursor = 0;
    m_passRetried.clear();
    m_passFailed = false;
    m_passUnreachable = false;
    // What the last pass held for its feed, and the drain after it, are
    // that pass's: this one holds its own edits for its own feed and pulls it.
    m_feedApplied = false;
    m_heldForFeed = false;
    m_drainAfterFeed = false;
    m_feedAgain = false;
}

void CJobManager::drainNext()
{
    if (!isSignedIn() || m_drainJobId != 0)
        return;
    const int uid = currentUid();
    const int session = m_apiClient->session();
    T_JobData& job = m_model->curJob;
    for (;;) {
        if (!m_db->getUserJobData(job, uid, m_passCursor)) {
            qWarning() << "the job queue cannot be read; synchronisation waits for the next run";
            m_passFailed = true;
            endPass();
            return;
        }
        if (job.jobId == 0) {
            endPass();
            return;
        }
        m_passCursor = job.jobId;
        if (m_confirmed.contains(job.jobId))
            continue;
        if (m_inFlight.contains(job.jobId)) {
            qDebug() << "job" << job.jobId << "is already in flight; passed over";
            continue;
        }
        printJobData(job);
        const JobReplay outcome = handOut(job);
        switch (outcome) {
        case JobReplay::Sent:
        case JobReplay::Prepare:
            return;
        case JobReplay::Done:
            break;
        case JobReplay::Park:
            qInfo() << "job" << job.jobId << "type" << job.jobType
                    << "cannot be sent now; left queued for the next synchronisation";
            break;
        case JobReplay::Drop: {
            qWarning() << "job" << job.jobId << "type" << job.jobType << "can never be sent; removed";
            const JobConfirm result = m_db->deleteJob(job.jobId, job.revision);
            if (result == JobConfirm::KeptNewer || result == JobConfirm::Failed)
                qWarning() << "job" << job.jobId << "kept: it changed meanwhile or the database refused";
            break;
        }
        }
        // The account owner waits for its reply: the user may have been
        // signed out on the way, and another pass may run by now.
        if (!isSignedIn() || m_apiClient->session() != session)
            return;
    }
}

JobReplay CJobManager::handOut(T_JobData& job)
{
    const int type = job.jobType;
    if (JobOwners::isFetchOnly(type))
        return JobReplay::Drop;

    if (heldForFeed(job))
        return JobReplay::Park;

    T_Http_Custom identity;
    identity.uid = job.uid;
    identity.jobId = job.jobId;
    identity.jobType = type;

    if (JobOwners::isAccountJob(type)) {
        if (type != TessaneJob::AuthorProfile)
            return JobReplay::Drop;
        // The account owner replays synchronously and deletes the row itself;
        // while it waits, no other drain may start.
        const int jobId = job.jobId;
        const int session = m_apiClient->session();
        m_drainJobId = jobId;
        m_userJobs->execUserJob(&job);
        if (m_apiClient->session() != session)
            return JobReplay::Park;  // the pass belongs to an ended session
        // A sign-out while it waited reset the drain: this drain ended with
        // its session, and the mark may be the next session's drain's now.
        if (m_drainJobId != jobId)
            return JobReplay::Sent;
        m_drainJobId = 0;
        T_JobData left;
        if (!m_db->getJobById(jobId, left) || left.jobId == jobId) {
            qInfo() << "author profile job" << jobId << "not confirmed; it waits for the next synchronisation";
            m_passFailed = true;
        }
        return JobReplay::Done;
    }

    JobReplay outcome = JobReplay::Park;
    QString sentContent;
    // After the earlier job it waits for, in a later pass when that one failed.
    if (waitsForEarlier(type, job.localBookId, job.jobId))
        return JobReplay::Park;
    // Mark the drain busy before the owner sends: nothing it triggers may
    // start another hand-out.
    m_drainJobId = job.jobId;
    if (lookUpCreate(job))
        return JobReplay::Sent;
    if (JobOwners::isBookJob(type))
        outcome = m_bookJobs->execUserJob(job);
    else if (JobOwners::isSystemJob(type))
        outcome = m_system->execUserJob(job, &sentContent);
    else if (JobOwners::isMemoJob(type))
        outcome = m_memos->execUserJob(job);
    else
        qWarning() << "job" << job.jobId << "has type" << type << "which no manager owns";

    if (outcome == JobReplay::Prepare)
        return outcome;
    if (outcome != JobReplay::Sent) {
        m_drainJobId = 0;
        return outcome;
    }
    // The job sent is at hand: its members are read from it, not again from the store.
    const CAnsweredEdits::Edit sentEdit = CAnsweredEdits::editOf(job);
    noteJobSent(identity, job.revision, sentContent, CAnsweredEdits::isEditType(type) ? &sentEdit : nullptr);
    return JobReplay::Sent;
}

bool CJobManager::jobPrepared(int jobId)
{
    // The drain of an ended session does not wait for it any more.
    if (jobId < 1 || m_drainJobId != jobId || !isSignedIn())
        return false;
    m_drainJobId = 0;
    m_passCursor = jobId - 1;
    drainNext();
    return true;
}

bool CJobManager::heldForFeed(const T_JobData& job)
{
    // Memo and outline edits, which the platform takes without a check: the
    // feed's guard must see first what was written elsewhere. A book's
    // information edit, which sends every member: those it did not change
    // take what the feed brings first (asynBackBookInfo). A delete for
    // good: the feed may show the object restored, moved out of the bin or
    // written in elsewhere, and that work must not go with it. A change
    // whose reply was lost: the feed tells whether the object was changed
    // elsewhere since, which its look-up must know.
    const bool lostReply = job.sent != 0 && CBookJobManager::isLookedUpChange(job.jobType);
    if (job.jobType != JobType::MemoEdit && job.jobType != JobType::OutlineUpdate && job.jobType != JobType::BooksEdit
        && !JobOwners::isDeleteForGood(job.jobType) && !lostReply)
        return false;
    if (m_feedApplied && job.jobId <= m_feedCovers && !m_editsAfterPull.contains(job.jobId))
        return false;
    m_heldForFeed = true;
    if (m_feedApplied)
        m_feedAgain = true;  // recorded after this pass's pull
    return true;
}

bool CJobManager::waitsForEarlier(int jobType, int localBookId, int jobId)
{
    if (!m_bookJobs->waitsForEarlier(jobType, localBookId, jobId))
        return false;
    if (m_confirmed.isEmpty())
        return true;
    // An answered job whose row is not taken off yet must not hold it back.
    flushConfirmed();
    return m_bookJobs->waitsForEarlier(jobType, localBookId, jobId);
}

void CJobManager::endPass()
{
    QList<int> keptNewer;
    flushConfirmed(&keptNewer);
    // What changed while its request was out goes once more in this pass,
    // so an author typing on cannot keep a pass going.
    int retryFrom = 0;
    for (int jobId : qAsConst(keptNewer)) {
        if (m_passRetried.contains(jobId))
            continue;
        m_passRetried.insert(jobId);
        if (retryFrom == 0 || jobId < retryFrom)
            retryFrom = jobId;
    }
    if (retryFrom > 0 && isSignedIn() && m_drainJobId == 0) {
        m_passCursor = retryFrom - 1;
        drainNext();
        return;
    }
    if (m_passAgain && !m_passUnreachable && isSignedIn() && m_drainJobId == 0) {
        m_passAgain = false;
        m_passCursor = 0;
        drainNext();
        return;
    }
    if (m_db->writesRefused()) {
        m_ui->stopSyncAnimation(false);
        return;
    }
    // Whatever the pass came to, the next try of what is left comes by
    // itself: an offline start or a platform answering 500 must not leave
    // queued work waiting for the button.
    beginAutoSyn();
    if (m_passUnreachable) {
        qInfo() << "the platform is out of reach; jobs and the change feed wait for the next synchronisation";
        m_ui->stopSyncAnimation(false);
        return;
    }
    if (m_passFailed)
        qInfo() << "synchronisation pass ended with jobs left for the next one; the change feed is pulled all the same";
    // The edits held for the feed are answered: the pass's result is told.
    if (m_drainAfterFeed) {
        m_ui->tellSyncResult(!passLeftJobs());
        m_refusedInPass = false;
    }
    // A job held for the feed was recorded after this pass's pull: another
    // pass pulls what came since.
    if (m_drainAfterFeed && m_feedAgain) {
        passSoon();
        return;
    }
    // Changes made elsewhere still come in while a job of ours keeps
    // failing: the feed's guard turns remote text over a waiting local
    // change into a copy instead of overwriting it.
    if (m_ui->syncRunning() != 0 || m_drainAfterFeed)
        return;
    qDebug() << "begin syndata ==== ";
    // A queue that cannot be read holds nothing back for yet another pull.
    m_feedCovers = m_db->lastJobId();
    if (m_feedCovers < 0)
        m_feedCovers = INT_MAX;
    m_editsAfterPull.clear();
    m_synData->requestSynData();
    m_ui->setSyncRunning(1);
    m_ui->startSyncAnimation();
}

void CJobManager::printJobData(const T_JobData& job) const
{
    qDebug().noquote() << QStringLiteral("job %1 type %2 uid %3 book %4/%5 volume %6/%7 chapter %8/%9 memo %10/%11 revision %12")
                              .arg(job.jobId)
                              .arg(job.jobType)
                              .arg(job.uid)
                              .arg(job.localBookId)
                              .arg(job.bookId)
                              .arg(job.localVolumeId)
                              .arg(job.volumeId)
                              .arg(job.localChapterId)
                              .arg(job.chapterId)
                              .arg(job.localMemoId)
                              .arg(job.memoId)
                              .arg(job.revision);
}
