#pragma once

#include "db/T_JobData.h"
#include "db/T_Statistics.h"
#include "db/records/ModelRecordsFwd.h"
#include "db/records/T_UserConf.h"
#include "manager/CAnsweredEdits.h"
#include "manager/CBookJobManager.h"
#include "manager/JobOwners.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/SystemRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class CBookJobManager;
class CMemoManager;
class CPublicManager;
class CSynDataManager;
class CSystemManager;
class CTessaneDb;
class CTessaneHttp;
class CUiManager;
class CUserJobManager;
class QNetworkReply;
class QTimer;
struct T_Chapter_TimeMachineItem;
struct T_Http_S;

// The job manager: brings the program up, replays the signed-in author's
// stored jobs one at a time, routes every asynchronous reply to the manager
// that owns its job type, and is the one door through which screens reach
// the platform. GUI thread only: the reply slot, the timer and every caller
// run on the event loop, so no lock is needed.
//
// A drain is one pass over the author's queue, oldest job first, with at most
// one of its jobs in flight. A job that cannot be sent now, or whose request
// failed, is left in the table and passed over for the rest of the pass; the
// next pass (synchronise button, ten-minute timer, next start) tries it again.
// After every pass the ten-minute timer runs, and the change feed is pulled
// unless the platform was out of reach.
class CJobManager : public QObject
{
    Q_OBJECT
public:
    static CJobManager* instance();
    ~CJobManager() override;

    // --- start-up and the drain (CJobManager.cpp) ---

    // Start-up: false only when the local store cannot be brought up;
    // initErrorText() then says why, for the author.
    bool init();
    // The same with the database file and the folder of the program's
    // database marker and upgrade script.
    bool init(const QString& dbFile, const QString& programDbDir);
    // Finishes a sign-in (or the start of a remembered user); runs once per
    // sign-in and returns true in every case.
    bool initAfterLogin();
    QString initErrorText() const { return m_initError; }
    // Ends the run's work: timer stopped, jobs in flight and the pass
    // forgotten, books and memos released, database closed. A later init()
    // starts afresh as a new program start would.
    void close();

    // Hands the author's oldest job to its owner, or pulls the change feed
    // when no job is left. Does nothing while a job of a drain is in flight.
    void execUserJob();
    // The bookshelf's synchronise button.
    void synNow(bool showProgress);
    // Starts the ten-minute automatic synchronisation unless it runs.
    void beginAutoSyn();
    bool isAutoSynRunning() const;
    // Whether the last pass left jobs queued because a request failed: the
    // feed pulled after it does not report the synchronisation as a success.
    bool passLeftJobs() const { return m_passFailed || m_refusedInPass; }
    // The change feed of the pass has ended: the text edits it held back go now.
    void feedApplied(bool ok);
    // Whether feedApplied(ok) sends edits held for the feed: the pass's
    // result then waits for their answers.
    bool drainsAfterFeed(bool ok) const;
    static constexpr int kAutoSynIntervalMs = 600000;

    // Owners that send a recorded job at once (not through the drain) tell
    // the job manager what the request carried, so that its reply confirms
    // exactly that: the revision the job had, or for a statistics upload the
    // counters sent. While a job is in flight it is not handed out again.
    // sentEdit: the members the request holds, when the sender knows them
    // (else read from the stored job); markedSent: the job was marked as
    // sent when it was stored.
    void noteJobSent(const T_Http_Custom& identity, int revision, const QString& sentContent = QString(),
                     const CAnsweredEdits::Edit* sentEdit = nullptr, bool markedSent = false);
    bool isJobInFlight(int jobId) const { return m_inFlight.contains(jobId); }
    // The request of a job its owner made on a worker (JobReplay::Prepare)
    // is ready: the drain that waits for it hands the job out again, and the
    // owner sends what it made. False when no drain waits for it (the
    // session ended meanwhile): what was made goes unsent.
    bool jobPrepared(int jobId);
    // Whether the job waits for an earlier one of its book still queued
    // (CBookJobManager::waitsForEarlier).
    bool waitsForEarlier(int jobType, int localBookId, int jobId);
    // The change feed's pass took in what the platform had: look-ups that
    // waited for it run.
    void feedTakenIn();
    // A delete for good (jobId) was just recorded: it goes with a pass, once
    // that pass's feed has been pulled after it and applied, so that what
    // another machine did to the object meanwhile can withdraw it first.
    // Any other job recorded in the middle of a feed (a note kept here) goes
    // with the pass that follows the feed. A quiet pass shows no sync
    // indicator, as an automatic one.
    void sendAfterFeed(int jobId, bool quiet = false);
    // A memo, outline or book information edit was just recorded here, or
    // merged into its waiting job: the platform takes a note's text, or
    // every member of a book's information, without asking what it
    // replaces, so it goes like a queued one, once a feed pulled after this
    // moment has been applied (a pass starts for it at once).
    void sendEditAfterFeed(int jobId);

    // --- reply routing (CJobManager_reply.cpp) ---

    // Logs one reply header.
    void printSData(const T_Http_S* head);
    // After a blocking request: logs its reply header and ends the session
    // when the platform no longer knows the sign-in ("sign in again").
    void checkHeader(const T_Http_S& header);

    // --- operations for the screens (CJobManager_facade.cpp) ---

    // Account, synchronous. A missing field gives code 10004 "参数不足" in
    // the reply and sends nothing.
    void author_login(TC_Author_Login& request, TS_Author_Login& reply, bool remember);
    void author_wxCodeLogin(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply, bool remember);
    void author_wxCodeUrl(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply);
    void author_register(TC_Author_Register& request, TS_Author_Register& reply);
    void author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply);
    void author_authNumber(TC_Account_AuthNumber& request, TS_Account_AuthNumber& reply);
    void author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply);
    void author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply);
    void author_update(TC_Author_Update& request, TS_Author_Update& reply);
    void author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply);
    void author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply);
    void author_info(TC_Author_Info& request, TS_Author_Info& reply);
    void author_bannerList(TC_Author_BannerList& request, TS_Author_BannerList& reply);
    // Account, asynchronous.
    void author_notice(TC_Author_Notice& request);
    void author_pollingWx(TC_Author_PollingWx& request);

    // Books, chapters and volumes: false without any effect when an id is
    // missing, else the owner's result.
    bool books_add(TC_Books_AddBook& request);
    bool books_delete(TC_Books_Delete& request);
    bool books_delete_hard(TC_Books_Delete_Hard& request);
    bool books_restore(TC_Books_Restore& request);
    bool books_edit(TC_Books_Edit& request);
    bool books_export(T_Book* book, const QString& path);
    bool startImportBook(const QString& path);
    // The author's import ends with the session: stopped, nothing stored.
    void stopImport();
    bool chapter_add(TC_Chapter_Add& request);
    bool chapter_delete(TC_Chapter_Delete& request);
    bool chapter_edit_content(TC_Chapter_Edit_Content& request);
    // The same with the commit on a worker thread, so a long chapter's save
    // does not hold the window; done gets the outcome once the record holds
    // the text. Any later use of the database waits for it first.
    bool chapter_edit_content_soon(const TC_Chapter_Edit_Content& request, const std::function<void(bool)>& done);
    // Whether such a save is still under way.
    bool chapterSaveRunning() const;
    // Waits for such a save and takes in its outcome.
    void settleChapterSave();
    bool chapter_edit_name(TC_Chapter_Edit_Name& request);
    bool chapter_recycle(TC_Chapter_Recycle& request);
    bool chapter_move(TC_Chapter_Move& request);
    bool chapter_contentBlade(TC_Chapter_ContentBlade& request);
    bool volume_add(TC_Volume_Add& request);
    bool volume_edit(TC_Volume_Edit& request);
    bool volume_del_restore(TC_Volume_Delete& request);
    bool volume_move(TC_Volume_Move& request, const QMap<int, int>& movedVolumes);

    // Memos.
    bool memoAdd(TC_Memo_Add& request);
    bool memoDel(TC_Memo_Del& request);
    bool memoDetail(TC_Memo_Detail& request);
    bool memoEditColor(TC_Memo_Edit& request);
    bool memoEditContent(TC_Memo_Edit& request);
    bool memoEditLocation(TC_Memo_Edit& request);

    // System data.
    void sensitive_edit(TC_Sensitive_Edit& request);
    void sensitive_get(TC_Sensitive_Get& request);
    void getAuthorStatistics(QString* json);

    // Local data, forwarded to the database.
    bool getChapters(T_Book* book);
    bool getChapterContent(T_Chapter* chapter);
    // The chapter's versions, newest first; without withContent their texts
    // are read one at a time by getContentBladeText.
    bool getContentBlades(int localChapterId, QList<T_Chapter_TimeMachineItem*>& list, bool withContent = true);
    bool getContentBladeText(T_Chapter_TimeMachineItem* item);
    bool updateBookLastEditChapter(int localBookId, int localChapterId);
    bool updateBookMoney(int localBookId, double money);
    bool updateLock(int uid, const T_WriteLock& lock);
    // These and saveUserData end every open settings preview first
    // (SettingsPreview): only confirmed values are stored.
    bool updateCreationConf(const T_CreationConf& conf, int uid);
    bool updateSystemConf(const T_SystemConf& conf, int uid);
    // The user's settings as the database holds them; false when they
    // cannot be read.
    bool storedSystemConf(int uid, T_SystemConf& conf);
    // Why the database refused the last statement, in the author's words.
    QString lastDbError() const;
    // Whether the last change of a book, chapter, volume or memo asked for
    // above failed because the database refused it (a full disk, a file it
    // cannot write), rather than for a reason of its own (a chapter gone).
    bool lastRefusedByStore() const { return m_refusedByStore; }
    // The same, once: told to the author, a refusal is not told again for
    // a later change that failed for a reason of its own.
    bool takeRefusedByStore() { return std::exchange(m_refusedByStore, false); }
    // What the author is told of such a refusal: what, why, what to do.
    QString refusedText(const QString& what) const;
    // Runs a change the screens asked for (those above run through it) and
    // notes for lastRefusedByStore whether the database refused it.
    bool storing(const std::function<bool()>& change);
    // The last failed write only found the write lock taken (by another
    // connection of this program, or another program) for longer than it
    // waits: trying again later may well succeed.
    bool lastWriteMetLock() const;
    // Writes the signed-in user's settings and record back.
    bool saveUserData();

    // The local part of signing out: the last user forgotten, the open
    // chapter saved, the user's data saved, the model back to signed-out
    // defaults. False, with the reason shown and nothing changed, when the
    // database would not forget the user.
    bool author_logout();
    // Puts the book at the shelf's front and stores its time (the shelf's
    // order). A store the write lock holds up (an import between turns) is
    // tried again shortly, in the order of the moves, and never holds the
    // window; false only when the database refused it.
    bool moveBookToFront(T_Book* book, bool move);
    // Adds grown counters to today's row and the pending upload job, and
    // sends what it can at once; what was handed on is reset in s.
    void updateStatictics(int uid, T_Statistics& s, StatisticsType type);

    QString lastError() const { return m_lastError; }
    // The session requests now leave under: it changes at every sign-in and
    // sign-out, and a reply of an earlier one answers nobody.
    int session() const;

signals:
    // The chapter's stored versions changed (one stored here, or the
    // platform's list taken in): an open history shows them again.
    void chapterVersionsChanged(int localChapterId);

public slots:
    void onGetAsynData(QNetworkReply* reply);
    void onSynTimer();

private:
    explicit CJobManager(QObject* parent = nullptr);

    // One request of a job that has left and not been answered yet.
    struct InFlight
    {
        int jobId = 0;
        int jobType = 0;
        int uid = 0;
        int revision = 0;
        QString sentContent;  // statistics uploads: the counters sent
        // A look-up of the platform's list for a create (or the object of a
        // change) of this type whose earlier request may have arrived (0: the
        // job's own request).
        int lookupFor = 0;
        // The object and members the job edits, recorded as answered once
        // the platform takes it.
        CAnsweredEdits::Edit edit;
    };

    bool isSignedIn() const;
    int currentUid() const;
    // A new sign-in (or sign-out): the pass and what was answered are forgotten.
    void resetSession();
    // The same when a session ends: a new one begins (CHttpBase::beginSession).
    void endSession();
    // A create that may already exist on the platform, or a change that may
    // already have been applied there: its list (or object) is looked up
    // first. True when the look-up went out.
    bool lookUpCreate(const T_JobData& job);
    // The look-up's reply; the drain goes on.
    void lookUpAnswered(const InFlight& entry, const T_Http_S& head, const QByteArray& body, bool fromDrain);
    void startPass();
    void drainNext();
    JobReplay handOut(T_JobData& job);
    // Whether the job waits for a feed pulled after it was recorded.
    bool heldForFeed(const T_JobData& job);
    // Starts another pass once this event has been handled.
    void passSoon();
    void endPass();
    void printJobData(const T_JobData& job) const;

    // Reply routing.
    // notTaken: the answer (an error status) or its absence (no connection)
    // says the platform did not take the request.
    void replyFailed(const T_Http_Custom& sent, bool unreachable, bool notTaken = false);
    void unmarkChangeSent(int jobType, int jobId);
    // A reply to a request sent under a session that has ended.
    void dropEndedSessionReply(const T_Http_Custom& sent);
    void routeReply(const T_Http_S& head, const QByteArray& body);
    // A definitive refusal of a change (CJobManager_refusal.cpp). None: not
    // one this handles, the job is confirmed as before; Taken: the author is
    // told, the words it carried are kept as a copy, the job is gone and the
    // object asked for as the platform holds it; Kept: the words could not
    // be kept, and the job stays to go again.
    enum class Refusal { None, Taken, Kept };
    Refusal takeRefusal(const InFlight& entry, const T_Http_S& head);
    // What a refused change was of, in the author's words, and the mark of
    // the copy its words were kept as (empty: it carried none).
    struct RefusedChange
    {
        QString object;
        QStringList members;
        QString keptAs;
    };
    bool describeRefusal(const T_JobData& job, const T_Book* book, RefusedChange& out) const;
    bool keepRefusedWords(const T_JobData& job, T_Book* book, RefusedChange& refused);
    // Words kept as a new memo, outline card or chapter marked as a copy,
    // recorded so that they reach the platform; none is made twice.
    bool keepAsMemo(const QString& words, const QString& color);
    bool keepAsOutline(T_Book* book, int type, const QString& title, const QString& text);
    bool keepAsChapter(T_Book* book, const T_Chapter* chapter, const QString& name, const QString& text);
    void lookAtRefused(const T_JobData& job, T_Book* book);
    bool takeInFlight(int jobId, InFlight& out);
    void confirmJob(const InFlight& job, bool fromDrain);
    // Deletes the confirmed jobs waiting in m_confirmed; the ids of those
    // kept because a newer change was merged in go to keptNewer.
    void flushConfirmed(QList<int>* keptNewer = nullptr);
    void callHandler(const T_Http_Custom& identity, const QByteArray& body);
    void continueAfter(const T_Http_Custom& identity, bool fromDrain, bool succeeded);
    void onSignedOut();
    // Stops writing and synchronisation for the run and tells the author
    // (once) what the database fault is.
    void stopForStoreFault(const QString& text);

    CBookJobManager* m_bookJobs = nullptr;
    CUserJobManager* m_userJobs = nullptr;
    CUiManager* m_ui = nullptr;
    CPublicManager* m_model = nullptr;
    CTessaneDb* m_db = nullptr;
    CSystemManager* m_system = nullptr;
    CSynDataManager* m_synData = nullptr;
    CMemoManager* m_memos = nullptr;
    CTessaneHttp* m_apiClient = nullptr;
    // Jobs whose reply was routed since the last sign-in (duplicates are
    // told apart from strangers in the log).
    QSet<int> m_answeredJobIds;
    QHash<int, InFlight> m_inFlight;
    QTimer* m_autoSynTimer = nullptr;
    QString m_lastError;
    QString m_initError;
    bool m_refusedByStore = false;
    // The database failed to load the author's data or turned out damaged:
    // nothing is written or synchronised until the next start.
    bool m_storeStopped = false;

    // The running pass: the job of it in flight (0 none), the last job id it
    // has dealt with, jobs it may hand out once more (confirmed while a newer
    // change was merged in), and whether a request of it failed.
    int m_drainJobId = 0;
    int m_passCursor = 0;
    QSet<int> m_passRetried;
    // Creates whose look-up found nothing: their next request goes without
    // one, and a reply lost again is looked up again.
    QSet<int> m_lookedUp;
    // Feed passes taken in this session, and per create whose reply was
    // lost what the first list after its request showed.
    int m_feedPasses = 0;
    QHash<int, CBookJobManager::FirstListed> m_firstListed;
    bool m_lookUpAfterFeed = false;
    // A create answered outside the pass while the pass ran: creates that
    // waited for it go in another round of the pass.
    bool m_passAgain = false;
    bool m_passFailed = false;
    // A change of the running pass was refused: its result is no success,
    // whatever starts again while its feed runs. Cleared once told.
    bool m_refusedInPass = false;
    // A request of the pass got no HTTP answer at all.
    bool m_passUnreachable = false;
    // Queued memo and outline text edits and book information edits wait
    // for the pass's feed (what was written elsewhere meanwhile must be
    // seen first, as the platform keeps no other version of it); the drain
    // after the feed sends them and pulls no second feed.
    bool m_feedApplied = false;
    bool m_heldForFeed = false;
    bool m_drainAfterFeed = false;
    // The newest job when the pass's feed was pulled: a held job after it
    // was recorded later and waits for another pull (m_feedAgain).
    int m_feedCovers = 0;
    bool m_feedAgain = false;
    // Edits recorded or merged into after the pull under way left
    // (sendEditAfterFeed): a job older than m_feedCovers among them waits
    // for another pull too.
    QSet<int> m_editsAfterPull;

    // Confirmed jobs (job id -> revision sent) whose rows go in the next
    // batch. A confirmation lost in a crash only means the same change is
    // sent once more, so the drain does not pay a disk sync per reply.
    QHash<int, int> m_confirmed;
    QTimer* m_flushTimer = nullptr;
    // Books moved to the front whose time waits to be stored, oldest first.
    QList<int> m_booksToTouch;
    QTimer* m_touchTimer = nullptr;
    bool touchBooks();
    static constexpr int kConfirmBatch = 64;
    static constexpr int kConfirmDelayMs = 500;
};
