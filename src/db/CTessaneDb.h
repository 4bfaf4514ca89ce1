#pragma once

#include "db/DbFault.h"
#include "db/SqlFormat.h"
#include "db/T_DeleteRecords.h"
#include "db/T_JobData.h"
#include "db/T_OwedLook.h"
#include "db/T_Statistics.h"

#include "db/records/ModelRecordsFwd.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class QJsonObject;
class QThread;
class QTimer;

class QSqlQuery;
struct T_ChapterTextSave;
struct T_Http_Custom;
struct T_Http_S;

// The one gateway to the local SQLite database: connection, creation from
// the bundled script, the one-shot upgrade script, the job queue, server-id
// propagation and the statistics tables. GUI thread only; the one write
// that runs elsewhere, a long chapter's save, runs on a connection of its
// own and is settled before this connection runs anything else.
//
// Every statement is built as text by sqlFormat (values escaped and filled in
// one pass) and run through sqlExec, which logs a failure and keeps its text
// in lastErrorText(). Changes made of several statements that must stand or
// fall together run in one transaction.
//
// The file is kept in WAL mode with synchronous FULL: a commit is on disk
// when it returns, so a true result means the change survives a power loss.
class CTessaneDb : public QObject
{
    Q_OBJECT
public:
    // The process-wide instance on Qt's default connection.
    static CTessaneDb* instance();

    // connectionName: empty for Qt's default connection; tests and tools
    // that need a second object give it a name of its own.
    explicit CTessaneDb(QObject* parent = nullptr, const QString& connectionName = QString());
    ~CTessaneDb() override;

    // --- connection, creation and upgrade (CTessaneDb.cpp) ---

    // Brings up the database in the per-user data folder, replacing it when
    // the program's marker asks and running the program's upgrade script.
    bool init();
    // The same with explicit places: the database file, and the folder that
    // holds "isCoverDb.txt" and "update.sql".
    bool init(const QString& dbFile, const QString& programDbDir);
    // Creates the database at the path from ":/res/db/new.sql". The file
    // appears only once the whole script has been applied.
    bool createDb(const QString& path);
    // Runs the upgrade script once: it is deleted before its statements run.
    // Needs an open database; a failing statement is logged and the rest run.
    bool updateDb(const QString& scriptPath);
    // Opens an existing database file on this connection without creating,
    // replacing or upgrading it: a worker thread's own connection to the file
    // the GUI thread brought up.
    bool openExisting(const QString& dbFile);
    bool isOpen() const;
    void close();
    QString dbFilePath() const;
    QString connectionName() const { return m_connectionName; }
    // The journal mode the connection ended up with ("wal" unless the file
    // system refuses shared memory).
    QString journalMode() const { return m_journalMode; }

    // Runs one statement; on failure keeps the error in lastErrorText() and
    // its kind in lastFault(), and logs.
    bool sqlExec(QSqlQuery& query, const QString& statement);
    // The same with the statement's texts bound (see sqlBind).
    bool sqlExec(QSqlQuery& query, const SqlStatement& statement);
    // Prepares the statement and runs it with the values bound to its "?" in
    // order: a long text goes to SQLite as it is, never escaped into the
    // statement. Failures as sqlExec.
    bool execBound(QSqlQuery& query, const QString& statement, const QVariantList& values);
    // Builds the statement with sqlBind and runs it on a fresh query.
    bool exec(const QString& pattern, std::initializer_list<SqlArg> args = {});
    // The same for one row of a data set: a row the table refuses (a
    // constraint, such as a repeated id) is undone alone and does not spoil
    // the transaction around it.
    bool execRow(const QString& pattern, std::initializer_list<SqlArg> args);
    // A query on this connection. Like sqlExec and execBound, it first
    // settles a chapter save still committing on the worker.
    QSqlQuery newQuery();
    const QString& lastErrorText() const { return lastError; }
    // What kind of failure the last failing statement or opening was.
    DbFault lastFault() const { return m_lastFault; }
    // How many statements the connection has refused so far: a change whose
    // call failed while this grew was refused by the database, not for a
    // reason of its own.
    quint64 refusals() const { return m_refusals; }

    // A statement that found the file malformed marks the database damaged
    // for the rest of the run (until it is opened again): from then on it
    // takes no more writes, and sig_damaged is emitted once.
    bool isDamaged() const { return m_damaged; }
    // Why this start could not move the chapter texts out of the chapters'
    // rows (they are read and written where they are meanwhile); None when
    // nothing is left to tell. Given once per start, for the author to hear.
    DbFault takeUnfinishedUpgrade();
    // Whether the chapters' rows still hold their texts, so that every
    // change of a row (an id, a name, a move) writes its text again and
    // needs room for it (CTessaneDb_textPlace.cpp).
    bool rowsHoldTexts() const { return m_textPlace == TextPlace::Rows; }
    // The connection takes no more writes until the file is opened again:
    // what the program holds of a damaged or half-loaded database must not
    // be written over what is still on disk.
    void refuseWrites();
    bool writesRefused() const { return m_writesRefused; }
    // Marks the open database damaged, as a statement meeting damage does
    // (also when a check of the whole file finds it).
    void markDamaged();
    // Whether a database file passes SQLite's quick check of every page, as
    // one committed state of it; the file is only read
    // (CTessaneDb_quickCheck.cpp).
    static bool fileIsSound(const QString& path);

    // Makes a reply record report a local database failure (code 10001).
    void setDbError(T_Http_S& reply) const;
    void setDbError(T_Http_S* reply) const;

    // The id of the row the connection inserted last, or -1 when the table
    // holds no row or the statement fails.
    int lastInsertId(const QString& table);
    bool deleteItem(const QString& table, const QString& column, int value);
    // Rows of table whose column holds value; -1 when the table cannot be read.
    int countItems(const QString& table, const QString& column, int value);
    bool updateItemById(const QString& table, const QString& keyColumn, int key,
                        const QString& column, int value);
    bool updateItemStringById(const QString& table, const QString& keyColumn, int key,
                              const QString& column, const QString& value);

    // --- deletes for good of this machine (CTessaneDb_deletes.cpp) ---

    // Drops a withdrawn delete's job and stores what waits for the look at
    // its object, in one transaction; localBookId > 0 also drops the volume
    // rows a book's delete left behind (the book comes back with new ones).
    bool withdrawDelete(int uid, int jobId, const T_WithdrawnDelete& look, int localBookId = 0);
    bool storeWithdrawnDelete(int uid, const T_WithdrawnDelete& look);
    QList<T_WithdrawnDelete> withdrawnDeletes(int uid, bool* ok);
    bool dropWithdrawnDelete(int uid, int jobType, int serverId);
    // Confirmed deletes of this machine's (one row per object).
    bool storeDeletedHere(int uid, const T_DeletedHere& row);
    QList<T_DeletedHere> deletedHereRows(int uid, bool* ok);
    bool dropDeletedHere(int uid, int jobType, int serverId);
    // Server ids of a book's chapters that hold no text here.
    QList<int> chaptersWithoutText(int localBookId);
    // Looks at a book's lists owed until answered (CTessaneDb_owedLooks.cpp).
    bool storeOwedLook(int uid, const T_OwedLook& look);
    QList<T_OwedLook> owedLooks(int uid, bool* ok);
    bool dropOwedLook(int uid, const T_OwedLook& look);

    // --- job queue (CTessaneDb_job.cpp) ---

    // Sets the fingerprint of the platform text a pending chapter save
    // started from; an existing one stays unless overwrite.
    bool setChapterJobBase(int jobId, const QString& base, bool overwrite);
    // A create's request left: from now on it may exist on the platform.
    // The same for a change, a chapter's text save included: it may have
    // reached the platform without its reply coming back.
    bool markJobSent(int jobId);
    // The platform answered that it did not take the request.
    bool unmarkJobSent(int jobId);
    // The change feed brought a change of the object made elsewhere: the
    // sent jobs of that type for it (column = value) are marked so.
    bool markJobsOvertaken(int uid, int jobType, const QString& column, int value);
    // A chapter edit keeps its text and goes without its name.
    bool dropChapterEditName(int jobId);
    // A chapter edit of that revision keeps its name and goes without its
    // text, which the platform holds; false when the job changed meanwhile
    // or the table refused.
    bool dropChapterEditText(int jobId, int revision);
    // A change looked up after its reply was lost goes again as content,
    // as a change of its own.
    bool resendJobAs(int jobId, const QString& content);
    // A waiting book edit takes the platform's values of members it did not
    // change (members: job keys and values); the request it may have out
    // still confirms it, and it is looked up as before.
    bool takeIntoBookEdit(int jobId, const QJsonObject& members);
    // Whether a create of that type for the object (column = its local id)
    // waits whose request has left before.
    bool hasSentCreate(int jobType, const QString& column, int value);
    // Whether a job of one of these types for a book is queued before jobId
    // (0: anywhere in the queue); with sentOnly, one whose request has left
    // (a chapter's text save alone does not count: no other job changes
    // what it changes).
    bool hasJobBefore(int localBookId, const QList<int>& jobTypes, int jobId, bool sentOnly = false);
    // Whether a job of one of these types for a book is queued after jobId.
    bool hasJobAfter(int localBookId, const QList<int>& jobTypes, int jobId);
    // The waiting jobs of these types for a book, oldest first (content
    // only of contentTypes, which keep it short); ok false when the queue
    // cannot be read.
    QList<T_WaitingJob> waitingJobsOfBook(int uid, int localBookId, const QList<int>& jobTypes,
                                          const QList<int>& contentTypes, bool* ok);
    // Whether a job of jobId's type for the same object (the row's column)
    // is queued before it.
    bool hasJobOfItsObjectBefore(int jobId, const QString& column);
    // Deletes the jobs of an object, except those of keptType (0: none kept).
    bool sweepJobs(const QString& column, int value, int keptType = 0);
    // The newest pending job of a type for an object (column names its
    // local id), 0 when there is none.
    int pendingJob(int uid, int jobType, const QString& column, int localId);
    // The newest pending delete (1024 or 3003) of the outline entry or memo
    // of that server id, 0 when there is none.
    int pendingNoteDelete(int uid, int jobType, int serverId);
    // A note's waiting edit (1023 or 3007) replaced a text (its md5 given):
    // kept in the job's "was" among the texts the platform may hold while
    // the edit has not reached it. A job recorded by an older build, which
    // kept none, is left so: what it started from is not known.
    bool noteEditReplaced(int jobId, const QString& textMd5);
    // A request of that note edit left carrying the job's text at that
    // revision: the text is kept in the job's "sent", never dropped, since
    // the platform may hold it whatever this machine wrote after it.
    bool noteEditSent(int jobId, int revision);
    // A memo edit of that revision goes without its text, which the platform
    // holds; a job left with nothing to send goes. False when the job
    // changed meanwhile or the table refused.
    bool dropMemoEditText(int jobId, int revision);
    // The newest job's id (0 for an empty queue, -1 when it cannot be read).
    int lastJobId();
    // Words of the author not sent yet: a pending edit of the chapter that
    // carries its text (a rename alone does not count), or for a book such an
    // edit of any of its chapters, a new chapter or an outline written here.
    // True when the queue cannot be read: keeping them is the safe side.
    bool chapterTextWaits(int localChapterId);
    bool bookWordsWait(int localBookId);

    // The signed-in author whose changes addJob records; 0 = nobody.
    void setCurrentUid(int uid) { m_currentUid = uid; }
    int currentUid() const { return m_currentUid; }

    // Records a change, merging it into a pending job of the same kind where
    // the job type says so. Fills the identity's uid and jobId (and jobType
    // 1017 or 3007 for a new combined edit) so the request can go out at
    // once; storedRevision, when given, receives the revision the request
    // must quote to confirm. True only once the job is on disk.
    // Deleting a book, chapter or memo for good (1028, 1011, 3003) or an
    // outline (1024) first removes the object's pending jobs, in the same
    // transaction; when the platform never had the object (server id 0)
    // nothing is queued and the identity's jobId stays 0. Moving a book to
    // the recycle bin (1005) can be undone and keeps the book's jobs.
    bool addJob(T_Http_Custom& identity, const QString& content, int createTime, int ext1,
                int* storedRevision = nullptr);
    bool insertJob(T_Http_Custom& identity, const QString& content, int createTime, int ext1);
    bool mergeUserJob(T_Http_Custom& identity, const QString& content, int createTime, int ext1);
    bool updateLocalJob_Book(T_Http_Custom& identity, const QString& content, int createTime,
                             int ext1);
    bool updateLocalJob_Chapter(T_Http_Custom& identity, const QString& content, int createTime,
                                int ext1);
    bool updateLocalJob_Outline(T_Http_Custom& identity, const QString& content, int createTime,
                                int ext1);
    bool updateLocalJob_Memo(T_Http_Custom& identity, const QString& content, int createTime,
                             int ext1);
    bool deleteOutlineJobs(int ext1);
    bool deleteOutlineJobsExceptCreate(int ext1);
    // The signed-in author's pending edit of a chapter, read without its
    // text (pending->jobId 0 when none waits). False when it cannot be read.
    bool pendingChapterEdit(int localChapterId, T_ChapterEditHead* pending);
    // Records the save of a chapter's text (job type 1016, the text as
    // UTF-8) as addJob does: into the pending edit read by pendingChapterEdit
    // in the same transaction, with the keys it holds in pending.keys, or as
    // a new one. Neither the pending text nor the new one is parsed as JSON.
    // sent: its request leaves once this is committed (the job marked so).
    bool addChapterTextJob(T_Http_Custom& identity, const T_ChapterEditHead& pending, const QByteArray& utf8Text,
                           int createTime, int* storedRevision = nullptr, bool sent = false);
    // A chapter's text save: the row, the book's last-edited chapter and
    // the pending job, in one transaction. The outcome, with the fault of a
    // failure, goes into save. Waits only briefly for another connection's
    // write lock (DbFault::Locked): the text waits in the editor instead.
    bool storeChapterText(T_ChapterTextSave& save);

    // --- a chapter's save on a worker thread (CTessaneDb_backgroundStore.cpp) ---

    // The same save on a worker thread with a connection of its own: the
    // commit of a long chapter writes megabytes and syncs them, and would
    // hold the window. done runs on this thread with the outcome, before
    // this connection runs its next statement, so whatever uses the database
    // after the save began finds it stored or failed, never under way. False
    // when no worker may take it (writes refused, a transaction open, a log
    // that is not in WAL mode); the caller then stores the text here.
    bool storeChapterTextInBackground(const T_ChapterTextSave& save,
                                      std::function<void(const T_ChapterTextSave&)> done);
    bool backgroundStoreRunning() const;
    // Waits for a save under way on the worker and runs its done.
    void settleBackgroundStore();
    // Ends the worker and its connection once its save ended; without
    // takeOutcome (the program's exit) done is not run.
    void stopBackgroundStore(bool takeOutcome = true);

    // --- turns at the write lock (CTessaneDb_turns.cpp) ---

    // This connection does a long write on a worker (an import, the sweep
    // of what a stopped one left): it cuts its work into short transactions
    // (WriteTurns) and gives way between them whenever another connection
    // waits to write, and it copies the log back after its own commits
    // (every other connection leaves that to the worker of checkpointSoon,
    // so that no commit the window waits for does the copy).
    void giveWayToOthers();
    // Whether a connection that does not give way waits for the write lock
    // or writes now.
    static bool othersWaitToWrite();
    // Waits while othersWaitToWrite(), for a second at most; false as soon
    // as stop says so.
    static bool waitWhileOthersWrite(const std::function<bool()>& stop);
    // A scope in which the connection waits only briefly for another
    // connection's write lock (CTessaneDbTurns.h).
    class BriefWait;
    // From its next open on, the connection waits for another connection's
    // write lock only as briefly as in a BriefWait, the check of the file
    // at the open included: a worker whose every write is tried again later.
    void waitOnlyBriefly();

    // --- books being imported (CTessaneDb_imports.cpp) ---

    // An import writes its book in many transactions; until it is done the
    // book is listed as being imported, and nothing of it is the author's:
    // the shelf does not load it and the queue does not hand out its jobs.
    bool markBookImporting(int localBookId);
    // The import's last transaction: the book and its jobs become the author's.
    bool publishImportedBook(int localBookId);
    // The books whose rows wait for a sweep: those still listed (imports
    // that were stopped or failed, or ran when the program ended) and those
    // deleted for good whose chapters are still there; empty when the lists
    // cannot be read.
    QList<int> booksLeftOver();
    // Deletes a listed book's jobs, chapters, volumes and row, a few rows per
    // turn, on this connection (one that gives way). A book no longer listed
    // is left alone. False when it stopped or a write failed; what is left
    // stays listed.
    bool dropImportedBook(int localBookId, const std::function<bool()>& stop);
    // The same for the chapters, with their texts, of a book whose row is
    // gone (deleted for good); a book still there keeps them.
    bool dropChaptersOfGoneBook(int localBookId, const std::function<bool()>& stop);
    // Drops what is left of the books on a worker with a connection of its
    // own; books asked for while it runs go next. Closing the database ends
    // it between two turns; what it had not dropped waits for the next sweep.
    void sweepBooks(const QList<int>& localBookIds);
    // Ends the sweep between two of its turns and waits for it.
    void stopSweep();

    // The author's oldest pending job, none of a book still being imported;
    // out.jobId 0 when the queue is empty. False when it could not be read.
    bool getUserJobData(T_JobData& out, int uid);
    // The same among the jobs after afterJobId: a pass over the queue walks
    // on past the jobs it could not finish without ever reading them again.
    bool getUserJobData(T_JobData& out, int uid, int afterJobId);
    // Without its content (left empty), a job holding a chapter's whole
    // text costs no more to read than any other.
    bool getJobById(int jobId, T_JobData& out, bool withContent = true);
    // For a worker, through a read-only connection of its own: the chapters
    // of an import's batch job, each with its text as its chapter holds it
    // now (a job of an older build carries the texts itself); a chapter
    // deleted here since is left out. *found false when the job is gone;
    // false when the file could not be read.
    static bool readChapterBatch(const QString& dbFile, int jobId, QJsonArray* chapters, bool* found);
    // The job's current revision, -1 when there is no such job.
    int jobRevision(int jobId);
    // Removes the job whatever it holds (a job that turned out pointless).
    bool deleteJob(int jobId);
    // Removes a confirmed job only when the row still holds the revision the
    // request was built from; a job rewritten since stays queued.
    JobConfirm deleteJob(int jobId, int sentRevision);
    // The same for many confirmed jobs (job id -> revision sent) in one
    // transaction, so a drain pays one sync of the log for a batch of
    // replies. Each job's outcome goes into results; false when the batch
    // could not be written (every job then stays queued).
    bool deleteJobs(const QHash<int, int>& sentRevisions, QHash<int, JobConfirm>* results);

    // --- server-id propagation (CTessaneDb_serverId.cpp) ---
    // Each writes the platform's id into every row and pending job that names
    // the local id, all in one transaction. Pending jobs keep their revision.

    bool setBookServerId(int localBookId, int bookId);
    // The platform has deleted the book for good: its rows lose every server
    // id and its jobs go, so it lives on here only and nothing of it is sent.
    bool makeBookLocalOnly(int localBookId);
    // Likewise for one chapter the platform no longer has: its rows lose
    // the chapter's server id and its jobs go.
    bool makeChapterLocalOnly(int localChapterId);
    // Likewise for an outline entry or a memo: its row loses the server id
    // and its jobs go (an outline's moves stay: they name it by local id).
    bool makeOutlineLocalOnly(int localOutlineId);
    bool makeMemoLocalOnly(int localMemoId);
    bool setVolumeServerId(int localVolumeId, int volumeId);
    bool setChapterServerId(int localChapterId, int chapterId);
    // The ids of an answered batch (local id, server id), all in one commit.
    bool setChapterServerIds(const QVector<QPair<int, int>>& ids);
    bool setMemoServerId(int localMemoId, int memoId);
    bool updateAllOfOutline(int localOutlineId, int outlineId);
    bool fixMoveJobChapterIds(int localChapterId, int chapterId);

    // --- statistics (CTessaneDb_stat.cpp) ---

    bool ensureStatisticsRow(int uid, const QString& date);
    // Today's stored speed, with every counter at 0 to collect new increments;
    // false for an empty date or a day that cannot be read.
    bool getTodayStatistics(int uid, T_Statistics& s);
    bool updateUserStatistics(int uid, T_Statistics& s, StatisticsType type);
    // Adds the increments to the author's pending statistics job of the day;
    // returns its id, 0 on failure.
    int mergeStatisticsJob(int uid, T_Statistics& s);
    // The day's row, its update and the job merge in one transaction;
    // returns the job id, 0 when nothing was written.
    int recordStatistics(int uid, T_Statistics& s, StatisticsType type);
    // Takes off the pending statistics job exactly the counters the confirmed
    // request carried (its JSON content); the job goes once nothing is left.
    JobConfirm confirmStatisticsJob(int jobId, const QString& sentContent);
    // The platform's figures of the days; a day whose upload still waits
    // keeps the counters of that upload on top, and its speed.
    bool saveStatisticsDays(int uid, const T_StatisticsHistory& history);
    bool getStatisticsSummary(int uid, T_StatisticsSummary& summary);
    bool ensureClientStatisticsRow(int uid, const QString& date);
    bool getClientStatistics(int uid, T_ClientStatistics& c);

    // All-or-nothing scope of several writers (CTessaneDbTransaction.h).
    class Transaction;

signals:
    // The file turned out damaged (see isDamaged).
    void sig_damaged();

protected:
    // While a chapter save commits on the worker (see
    // storeChapterTextInBackground).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A job is recorded for the signed-in author only; clears the identity's
    // job id and the revision before anything is written.
    bool startJobRecord(T_Http_Custom& identity, int* storedRevision);
    // Stores a chapter edit with the keys ahead of its text (none: no text),
    // as job jobId or, for 0, as a new job of the identity.
    bool writeChapterEdit(T_Http_Custom& identity, int jobId, const QJsonObject& keys, const QByteArray* utf8Text,
                          int createTime, bool sent = false);
    // The chapter's text (a QString, or UTF-8 bytes), in its own table.
    bool storeChapterTextRow(int localChapterId, const QVariant& text);
    static QString driverName();
    bool openAt(const QString& path);
    // Keeps and logs the error of a failed statement, its secrets masked.
    bool reportFailure(const QSqlQuery& query, const QString& statement);
    bool checkUsable();
    void applyJournalMode();
    bool ensureSchema();
    // Where the chapter texts of an earlier version's layout lie
    // (CTessaneDb_textPlace.cpp): moved to tb_chapter_text, still in the
    // old chapter table set aside from the rows, or still in the rows.
    enum class TextPlace { Moved, Aside, Rows };
    // The rows of an earlier version's chapter table go to a table of this
    // version without their texts, which stay in the old table.
    bool setRowsApartFromTexts();
    // The texts left in the old table go to tb_chapter_text, a text
    // written since is kept, and the old table goes.
    bool moveChapterTextsOut();
    // A step failed: readers look where the texts are until a later start.
    void leaveTexts(TextPlace place);
    // The SQL of a chapter's text, the chapter's row aliased c and its row
    // of tb_chapter_text t (left joined), wherever the texts lie.
    static QString chapterTextColumn(TextPlace place);
    QString chapterTextColumn() const { return chapterTextColumn(m_textPlace); }
    // Where the texts lie, on the query's connection.
    static TextPlace textPlace(QSqlQuery& query);
    // The text of the creation script; empty when it cannot be read.
    static QString creationScript();
    // A database whose name lists are still the seeded ones takes the lists
    // of the creation script it now runs with (CTessaneDb_sysdata.cpp).
    bool refreshSeededNameLists();
    bool runScript(const QString& text);
    // Gives the -wal and -shm files back the owner's read and write once the
    // database file has them.
    static void followDbFileMode(const QString& dbFile);
    // Whether the folder and the files of the database can be written.
    static bool canWriteBeside(const QString& dbFile);
    // Deletes a database file together with its WAL and shared-memory files.
    static bool removeDbFiles(const QString& path);
    bool rewriteJob(int jobId, const QString& content, int createTime);
    // The newest pending job of a user of one type for one object (the column
    // names the object's local id); jobId 0 when there is none.
    bool latestPendingJob(int uid, int jobType, const QString& idColumn, int id, int* jobId,
                          QString* content);
    bool rewriteJobContent(int jobId, const QString& content);

    QString lastError;
    DbFault m_lastFault = DbFault::None;
    quint64 m_refusals = 0;
    bool m_damaged = false;
    bool m_writesRefused = false;
    TextPlace m_textPlace = TextPlace::Moved;
    DbFault m_untoldUpgradeFault = DbFault::None;
    QSqlDatabase db;
    QString m_connectionName;
    QString m_journalMode;
    int m_currentUid = 0;
    int m_transactionDepth = 0;
    bool m_transactionFailed = false;
    QTimer* m_checkpointTimer = nullptr;
    QThread* m_checkpointer = nullptr;
    bool m_givesWay = false;
    int m_briefWaits = 0;
    // Statements refused for another connection's lock, and since when a
    // brief wait last gave up (BriefWait).
    int m_lockedFailures = 0;
    qint64 m_briefGaveUpAt = -1;
    // Counts the statement as a connection waiting to write while it runs,
    // unless it only reads or the connection gives way itself.
    class WriteClaim;
    struct Sweep;
    Sweep* m_sweep = nullptr;
    void startSweep();
    struct BackgroundStore;
    BackgroundStore* m_store = nullptr;
    // Lists this database for the program's exit, which ends its workers
    // first, while one runs (CTessaneDb_workers.cpp).
    void workerStarted();
    void workerEnded();
    // Takes in the failure of a statement run on another connection.
    void adoptFailure(const QString& error, DbFault fault);

    // Copies committed pages from the write-ahead log into the database file
    // in a turn of the event loop of its own, shortly after a commit
    // (CTessaneDb_checkpoint.cpp).
    void checkpointSoon();
    void checkpointNow();

public:
    // Waits for a copy of the log still running, so that the file can be
    // copied or closed.
    void settleCheckpoint();

    // ===== Books, volumes, chapters, outlines, memos, versions, user and
    // ===== system data (CTessaneDb_books.cpp ... CTessaneDb_sysdata.cpp)
public:
    // --- books, volumes and chapters: loading (CTessaneDb_books.cpp) ---

    // The sign-in load: replaces both lists with the author's books (status
    // 1 on the shelf, anything else recycled; none still being imported),
    // each with its volumes, its chapters without their texts and its
    // outlines. On failure the lists stay as they were.
    bool getBooks(int authorId, QList<T_Book*>& bookList, QList<T_Book*>& recycleBookList);
    // Replace the book's volumes / chapters / outlines with the stored ones;
    // on failure the book keeps what it held. Chapters recycled 30 days ago
    // or more stay in the table but are not loaded.
    bool getVolumes(T_Book* book);
    bool getChapters(T_Book* book);
    bool getOutlines(T_Book* book);
    // Loads one chapter's text; false when the statement fails or the
    // chapter has no row.
    bool getChapterContent(T_Chapter* chapter);

    // --- books, volumes and chapters: writers (CTessaneDb_bookWriters.cpp) ---
    // Single-row updates by local id return false when no row has that id.

    // Stores a new book of header.uid (server id header.bookId) created now
    // and writes its row id into header.localBookId.
    bool insertBook(TC_Books_AddBook& request);
    bool updateBook(const T_Book* book);
    // The members a book's information from the platform brings: name,
    // category, introduction, word count, update time and server id. The
    // cover and the recycle state stay as they are.
    bool updateBookInfo(const T_Book* book);
    // The cover alone: its address on the platform and its file here.
    bool updateBookCover(int localBookId, const QString& coverUrl, const QString& localCover);
    bool updateBookLastEditChapter(int localBookId, int localChapterId);
    bool updateBookMoney(int localBookId, double money);
    // Stamps the book's update time with now (the bookshelf's order). Waits
    // only briefly for another connection's write lock (DbFault::Locked).
    bool touchBook(int localBookId);
    // The book of header.localBookId with its outlines, all or nothing. Its
    // chapters are nobody's from then on; they go, with their texts, by a
    // sweep (sweepBooks), since a book of many chapters takes a while.
    bool deleteBook(const TC_Books_Delete_Hard& request);

    // Stores a new chapter of the header's book and volume (status 1, no
    // text) and writes its row id into header.localChapterId.
    bool insertChapter(T_Http_Custom& header, const QString& chapterName, int createTime,
                       int orderNum);
    bool insertChapterWithContent(T_Chapter* chapter);
    // The new row's local id, 0 when the insert failed.
    int insertChapterFromServer(int localBookId, int bookId, int localVolumeId, int volumeId,
                                int chapterId, int orderNum, const QString& name,
                                const QString& content);
    bool updateChapter(const T_Chapter* chapter);
    bool updateChapterContent(const T_Chapter* chapter);
    // The chapter's text (as UTF-8), and its word count and update time.
    bool updateChapterText(int localChapterId, const QByteArray& utf8Content, int wordCount, int updateTime);
    bool updateChapterName(const T_Chapter* chapter);
    // Order, status and volume; the recycle time becomes now for status 0
    // and 0 otherwise.
    bool updateChapterStatus(const T_Chapter* chapter);
    // Marks a chapter in the recycle bin as holding words written elsewhere
    // since it went there (T_Chapter::writtenInBin), or takes the mark off.
    // A change of the chapter's status takes it off too.
    bool setChapterWrittenInBin(int localChapterId, bool written);
    // Makes room in one volume of one book, matched by local ids (a book not
    // yet on the platform has server ids 0 like every other such book).
    bool shiftChapterOrder(int localBookId, int localVolumeId, int fromOrderNum, int delta);
    // The same matched by server ids, for replies that know only those;
    // false without a statement when either id is below 1.
    bool shiftChapterOrderByServerIds(int bookId, int volumeId, int fromOrderNum, int delta);
    // Attaches every chapter naming the server volume to its local volume.
    bool updateChapterVolumeId(int localVolumeId, int volumeId);
    // The chapter and its pending jobs, all or nothing.
    bool deleteChapter(int localChapterId);

    // Stores a new volume of the header's book (its time stamp as
    // createTime) and writes its row id into header.localVolumeId.
    bool insertVolume(TC_Volume_Add& request);
    bool insertVolumeFromServer(T_Volume* volume);
    bool updateVolumeName(const T_Volume* volume);
    bool updateVolumeOrder(const T_Volume* volume);
    // The request's type is the new status of header.localVolumeId.
    bool updateVolumeStatus(const TC_Volume_Delete& request);

    // --- outlines (CTessaneDb_outline.cpp) ---

    // Stores the outline with createTime now and writes its row id into
    // request.localOutlineId.
    bool insertOutline(TC_BookOutline_Create& request);
    bool deleteOutline(const TC_BookOutline_Delete& request);
    bool updateOutline(const TC_BookOutline_Update& request);
    // Matched by the server ids; true also when no row has them.
    bool updateOutlineByOutlineId(const T_Outline* outline);
    bool updateOutlineId(int localOutlineId, int outlineId);
    bool updateOutlineOrder(int localOutlineId, int orderNum);

    // --- memos (CTessaneDb_memo.cpp) ---

    // Appends the user's memos, newest colour change first.
    bool getMemos(int uid, QList<T_Memo*>& memoList);
    // Stores a memo (server id header.memoId) and counts it in the user's
    // settings row, all or nothing; writes the row id into header.localMemoId
    // and, on success, counts it in the model's settings too.
    bool insertMemo(int uid, TC_Memo_Add& request);
    // Deleting another user's memo deletes nothing and is no failure.
    bool deleteMemo(int uid, const TC_Memo_Del& request);
    bool updateMemo(int uid, const T_Memo* memo);

    // --- chapter versions (CTessaneDb_versions.cpp) ---

    // Replaces the list with the chapter's newest ten versions, newest first.
    // Without withContent the texts stay in the table until
    // getContentBladeText reads one.
    bool getContentBlades(int localChapterId, QList<T_Chapter_TimeMachineItem*>& list, bool withContent = true);
    bool getContentBladeText(T_Chapter_TimeMachineItem* item);
    // Puts the platform's versions of a chapter (bladeId, content,
    // createTime, wordCount of each) in place of every stored version of that
    // server chapter, all or nothing.
    bool replaceContentBlades(int uid, int localBookId, int localChapterId, int bookId,
                              int chapterId, const QList<T_Chapter_TimeMachineItem>& versions);
    // Stores a local snapshot of the header's chapter, taken now, and in the
    // same transaction drops the chapter's versions beyond the newest ten.
    bool insertContentBlade(const T_Http_Custom& header, const QString& content);
    // Drops a chapter's versions beyond the newest ten.
    bool pruneContentBlades(int localChapterId);

    // --- user and settings (CTessaneDb_user.cpp) ---

    // True when the user's tb_user row was found; the settings rows found
    // are read in any case.
    bool getUserData(int uid, TS_Author_Info& user, T_UserConf& conf);
    // The user's row and the four settings rows, all or nothing.
    bool insertUser(const TS_Author_Info& user, const T_UserConf& conf);
    bool insertUserDefaults(const TS_Author_Info& user, const T_UserConf& conf);
    // True also when no row has the uid: nothing to update.
    bool updateUser(const TS_Author_Info& user);
    bool updateToken(int uid, const QString& token);
    // The settings updates return false when the user has no settings row.
    bool updateCreationConf(const T_CreationConf& conf, int uid);
    bool updateSystemConf(const T_SystemConf& conf, int uid);
    bool updateUserConf(const T_UserConf& conf);
    bool updateLock(int uid, const T_WriteLock& lock);
    bool saveLastLogin(int uid);
    bool clearLastLogin();
    // The author's profile change still queued for the platform (its job's
    // content, empty when none waits); false when the queue cannot be read.
    bool waitingProfileChange(int uid, QString* content);
    // Every user's books, chapters, jobs and memos, all or nothing.
    bool clearUserData();

    // --- system data (CTessaneDb_sysdata.cpp) ---

    // The tb_sys row: the remembered uid into user, the data versions into
    // synData, the rest into sysInfo. True also when the table has no row
    // (nothing changes then).
    bool getSysData(TS_Author_Info& user, TS_SynchronizaTion_SynData& synData,
                    T_SysInfo& sysInfo);
    // Fills the tree's slots from tb_cate. The caller sizes the two lists
    // first: male.count and female.count top slots (tb_sys's counts).
    bool getCateList(TS_Books_Cate& cate);
    // Replaces the categories, their version and counts. A row the table
    // refuses is logged and left out; false (old set and version kept) when
    // the table could not be emptied, nothing of a non-empty set could be
    // stored, or the version could not be written.
    bool saveCateList(const TS_Books_Cate& cate);
    // Stores a list's rows, leaving out those refused; the top rows stored.
    int insertCate(const TS_Books_CateList& list);
    bool getSensitiveWords(int uid, SensitiveWordMatcher& matcher);
    // Type 1: replaces the regular list and its version, all or nothing.
    // Type 2: the user's own list (needs the row made at first sign-in).
    bool updateSensitiveWords(int uid, const TS_Sensitive_Get& reply);
    bool updateSensitiveWords(int uid, int type, const QString& words, int version);
    // Leaves the list alone for a type outside 1..20.
    void getPeopleNames(int type, QStringList& names);
    bool getAllPeopleNames(TS_Sensitive_NameData& names);
    // Replaces every name list and the version, all or nothing.
    bool savePeopleNames(const TS_Sensitive_NameData& names);
    // Adds the stored levels; the caller empties the map first.
    bool getLevelList(QMap<int, T_Level*>& levels);
    // Replaces the levels and the version; an object without "id" or one the
    // table refuses is left out, the same way as for the categories.
    bool saveLevelList(const TS_Level_AllData& data);
    bool insertLevel(const QJsonObject& level);
};
