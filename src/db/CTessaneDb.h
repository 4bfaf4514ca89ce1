#pragma once

#include "db/SqlFormat.h"
#include "db/T_JobData.h"
#include "db/T_Statistics.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

class QSqlQuery;
struct T_Http_Custom;
struct T_Http_S;

// The one gateway to the local SQLite database: connection, creation from
// the bundled script, the one-shot upgrade script, the job queue, server-id
// propagation and the statistics tables. GUI thread only.
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
    bool isOpen() const;
    void close();
    QString dbFilePath() const;
    QString connectionName() const { return m_connectionName; }
    // The journal mode the connection ended up with ("wal" unless the file
    // system refuses shared memory).
    QString journalMode() const { return m_journalMode; }

    // Runs one statement; on failure keeps the error in lastErrorText() and logs.
    bool sqlExec(QSqlQuery& query, const QString& statement);
    // Builds the statement with sqlFormat and runs it on a fresh query.
    bool exec(const QString& pattern, std::initializer_list<SqlArg> args = {});
    QSqlQuery newQuery() const;
    const QString& lastErrorText() const { return lastError; }

    // Makes a reply record report a local database failure (code 10001).
    void setDbError(T_Http_S& reply) const;
    void setDbError(T_Http_S* reply) const;

    // The id of the row the connection inserted last, or -1 when the table
    // holds no row or the statement fails.
    int lastInsertId(const QString& table);
    bool deleteItem(const QString& table, const QString& column, int value);
    bool updateItemById(const QString& table, const QString& keyColumn, int key,
                        const QString& column, int value);
    bool updateItemStringById(const QString& table, const QString& keyColumn, int key,
                              const QString& column, const QString& value);

    // --- job queue (CTessaneDb_job.cpp) ---

    // The signed-in author whose changes addJob records; 0 = nobody.
    void setCurrentUid(int uid) { m_currentUid = uid; }
    int currentUid() const { return m_currentUid; }

    // Records a change, merging it into a pending job of the same kind where
    // the job type says so. Fills the identity's uid and jobId (and jobType
    // 1017 or 3007 for a new combined edit) so the request can go out at
    // once; storedRevision, when given, receives the revision the request
    // must quote to confirm. True only once the job is on disk.
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

    // The author's oldest pending job; out.jobId 0 when the queue is empty.
    // False when the queue could not be read.
    bool getUserJobData(T_JobData& out, int uid);
    bool getJobById(int jobId, T_JobData& out);
    // The job's current revision, -1 when there is no such job.
    int jobRevision(int jobId);
    // Removes the job whatever it holds (a job that turned out pointless).
    bool deleteJob(int jobId);
    // Removes a confirmed job only when the row still holds the revision the
    // request was built from; a job rewritten since stays queued.
    JobConfirm deleteJob(int jobId, int sentRevision);

    // --- server-id propagation (CTessaneDb_serverId.cpp) ---
    // Each writes the platform's id into every row and pending job that names
    // the local id, all in one transaction. Pending jobs keep their revision.

    bool setBookServerId(int localBookId, int bookId);
    bool setVolumeServerId(int localVolumeId, int volumeId);
    bool setChapterServerId(int localChapterId, int chapterId);
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
    bool saveStatisticsDays(int uid, const T_StatisticsHistory& history);
    bool getStatisticsSummary(int uid, T_StatisticsSummary& summary);
    bool ensureClientStatisticsRow(int uid, const QString& date);
    bool getClientStatistics(int uid, T_ClientStatistics& c);

private:
    class Transaction;

    QString driverName() const;
    bool openAt(const QString& path);
    bool checkUsable();
    void applyJournalMode();
    bool ensureSchema();
    bool runScript(const QString& text);
    // Deletes a database file together with its WAL and shared-memory files.
    static bool removeDbFiles(const QString& path);
    bool sweepJobs(const QString& column, int value);
    bool rewriteJob(int jobId, const QString& content, int createTime);
    bool rewriteJobContent(int jobId, const QString& content);

    QString lastError;
    QSqlDatabase db;
    QString m_connectionName;
    QString m_journalMode;
    int m_currentUid = 0;
    int m_transactionDepth = 0;
    bool m_transactionFailed = false;
};
