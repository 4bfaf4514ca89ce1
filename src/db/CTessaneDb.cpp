#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "CTessaneDbTurns.h"
#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "db/SqlScript.h"
#include "db/SqlSecrets.h"
#include "remote/T_Http_S.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
constexpr int kSqliteConstraint = 19;  // SQLITE_CONSTRAINT, the primary result code
const char kCreationScript[] = ":/res/db/new.sql";

// Tables and columns the code relies on beyond what older databases hold.
// Every statement is harmless when the thing already exists.
const char* const kSchemaAdditions[] = {
    "CREATE TABLE IF NOT EXISTS \"tb_level\" (\"id\" INTEGER NOT NULL PRIMARY KEY, "
    "\"name\" TEXT, \"score\" INTEGER NOT NULL DEFAULT 0, \"img\" TEXT, \"photo_frame\" TEXT, "
    "\"small_img\" TEXT, \"small_photo_frame\" TEXT, \"small_medal\" TEXT);",
    "CREATE TABLE IF NOT EXISTS \"tb_client_statistics\" (\"id\" INTEGER PRIMARY KEY "
    "AUTOINCREMENT NOT NULL, \"uid\" INTEGER NOT NULL DEFAULT 0, \"date\" TEXT NOT NULL, "
    "\"uv\" TEXT NOT NULL DEFAULT '0,0,0,0,0,0,0,0,0,0,0,0,0');",
    "CREATE TABLE IF NOT EXISTS \"tb_import\" (\"localBookId\" INTEGER NOT NULL PRIMARY KEY);",
    "CREATE TABLE IF NOT EXISTS \"tb_withdrawn_delete\" (\"uid\" INTEGER NOT NULL, \"jobType\" INTEGER NOT NULL, "
    "\"serverId\" INTEGER NOT NULL, \"bookId\" INTEGER NOT NULL DEFAULT 0, \"sent\" INTEGER NOT NULL DEFAULT 0, "
    "\"toBin\" INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (\"uid\", \"jobType\", \"serverId\"));",
    "CREATE TABLE IF NOT EXISTS \"tb_deleted_here\" (\"uid\" INTEGER NOT NULL, \"jobType\" INTEGER NOT NULL, "
    "\"serverId\" INTEGER NOT NULL, \"bookId\" INTEGER NOT NULL DEFAULT 0, \"tookIt\" INTEGER NOT NULL DEFAULT 0, "
    "\"told\" INTEGER NOT NULL DEFAULT 0, \"feedPassed\" INTEGER NOT NULL DEFAULT 0, "
    "PRIMARY KEY (\"uid\", \"jobType\", \"serverId\"));",
    "CREATE TABLE IF NOT EXISTS \"tb_owed_look\" (\"uid\" INTEGER NOT NULL, \"listType\" INTEGER NOT NULL, "
    "\"bookId\" INTEGER NOT NULL, \"volumeId\" INTEGER NOT NULL DEFAULT 0, "
    "PRIMARY KEY (\"uid\", \"listType\", \"bookId\", \"volumeId\"));",
    "CREATE INDEX IF NOT EXISTS \"main\".\"uidJobId\" ON \"tb_job\" (\"uid\" ASC, \"jobId\" ASC);",
    "CREATE INDEX IF NOT EXISTS \"main\".\"clientStatisticsDay\" ON \"tb_client_statistics\" "
    "(\"uid\" ASC, \"date\" ASC);",
    "CREATE TABLE IF NOT EXISTS \"tb_chapter_text\" (\"localId\" INTEGER NOT NULL PRIMARY KEY, \"content\" TEXT);",
    "CREATE TRIGGER IF NOT EXISTS \"chapterTextGoesWithItsChapter\" AFTER DELETE ON \"tb_chapter\" BEGIN "
    "DELETE FROM \"tb_chapter_text\" WHERE \"localId\" = old.\"localId\"; END;",
};
}

CTessaneDb* CTessaneDb::instance()
{
    static CTessaneDb* theDb = new CTessaneDb();
    return theDb;
}

CTessaneDb::CTessaneDb(QObject* parent, const QString& connectionName)
    : QObject(parent)
    , m_connectionName(connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection)
                                                : connectionName)
{
    if (QSqlDatabase::contains(m_connectionName))
        db = QSqlDatabase::database(m_connectionName, false);
    else
        db = QSqlDatabase::addDatabase(driverName(), m_connectionName);
}

CTessaneDb::~CTessaneDb()
{
    close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString CTessaneDb::driverName()
{
    // The cipher build of the driver is used like the plain one, with no key.
    return QSqlDatabase::drivers().contains(QStringLiteral("SQLITECIPHER"))
        ? QStringLiteral("SQLITECIPHER")
        : QStringLiteral("QSQLITE");
}

bool CTessaneDb::init()
{
    return init(getDbDir() + QStringLiteral("/wrt.db"), appDirPath() + QStringLiteral("/data/db"));
}

bool CTessaneDb::init(const QString& dbFile, const QString& programDbDir)
{
    const QString scriptPath = programDbDir + QStringLiteral("/update.sql");
    const QString markerPath = programDbDir + QStringLiteral("/isCoverDb.txt");

    if (QFile::exists(markerPath)) {
        // The marker stays until the old database is really gone, so a file
        // that is still locked is replaced on the next start instead.
        if (removeDbFiles(dbFile)) {
            if (!QFile::remove(markerPath))
                qWarning() << "cannot remove the replace marker" << markerPath;
            qInfo() << "database replaced on request:" << dbFile;
        } else {
            qWarning() << "cannot remove the database to replace it:" << dbFile;
        }
    }

    // The file holds the token, the unique code and the lock password: its
    // folder and files are the author's alone, also when an older start
    // left them readable by others. SQLite gives the -wal and -shm files the
    // mode of the database file.
    const QString folder = QFileInfo(dbFile).absolutePath();
    PrivateFiles::makeFolder(folder);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        PrivateFiles::narrow(dbFile + QLatin1String(suffix));
    followDbFileMode(dbFile);

    bool ok = false;
    if (!QFile::exists(dbFile)) {
        ok = createDb(dbFile);
    } else {
        ok = openAt(dbFile);
    }
    qInfo() << "open db" << dbFile << "result" << ok << "error" << lastError;
    if (!ok && (m_lastFault == DbFault::None || m_lastFault == DbFault::Other)
        && !canWriteBeside(dbFile))
        m_lastFault = DbFault::ReadOnly;
    if (!ok) {
        // The upgrade script waits for a database it can be applied to.
        qWarning() << "db init error";
        return false;
    }
    if (!updateDb(scriptPath)) {
        qWarning() << "update db error";
        return false;
    }
    if (!ensureSchema()) {
        // A database without the tables and columns the code writes would
        // lose what goes to them: the author hears why and the start ends.
        qWarning() << "db schema error";
        close();
        return false;
    }
    if (!refreshSeededNameLists())
        qWarning() << "the seeded name lists could not be brought up to date";
    return true;
}

bool CTessaneDb::openExisting(const QString& dbFile)
{
    if (dbFile.isEmpty() || !QFile::exists(dbFile)) {
        lastError = QStringLiteral("no database at ") + dbFile;
        qWarning() << lastError;
        return false;
    }
    return openAt(dbFile);
}

void CTessaneDb::followDbFileMode(const QString& dbFile)
{
    // SQLite creates the -wal and -shm files with the database file's mode.
    // A start on a read-only file leaves them read-only, and once the author
    // made the file writable again every start would still fail on them.
    const QFileInfo file(dbFile);
    if (!file.exists())
        return;
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileDevice::Permissions fileMode = QFile::permissions(dbFile) & owner;
    if (fileMode != owner)
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString side = dbFile + QLatin1String(suffix);
        const QFileInfo info(side);
        if (!info.exists() || info.isSymLink() || info.ownerId() != file.ownerId())
            continue;
        const QFileDevice::Permissions mode = QFile::permissions(side);
        if ((mode & owner) != owner && !QFile::setPermissions(side, mode | owner))
            qWarning() << "cannot make writable again:" << side;
    }
}

bool CTessaneDb::canWriteBeside(const QString& dbFile)
{
    const QFileInfo file(dbFile);
    if (!QFileInfo(file.absolutePath()).isWritable())
        return false;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QFileInfo info(dbFile + QLatin1String(suffix));
        if (info.exists() && !info.isWritable())
            return false;
    }
    return true;
}

bool CTessaneDb::removeDbFiles(const QString& path)
{
    bool ok = true;
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"),
                                  QStringLiteral("-journal")}) {
        const QString file = path + suffix;
        if (QFile::exists(file) && !QFile::remove(file))
            ok = false;
    }
    return ok;
}

QString CTessaneDb::creationScript()
{
    QFile script(QString::fromLatin1(kCreationScript));
    if (!script.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(script.readAll());
}

bool CTessaneDb::createDb(const QString& path)
{
    const QString text = creationScript();
    if (text.isEmpty()) {
        lastError = QStringLiteral("cannot read the creation script ") + QString::fromLatin1(kCreationScript);
        qWarning() << lastError;
        return false;
    }

    // Built beside the target and renamed at the end: a start interrupted
    // half-way must not leave a file that looks like a finished database.
    const QString building = path + QStringLiteral(".creating");
    close();
    removeDbFiles(building);
    if (!createFile(building) || !PrivateFiles::narrow(building)) {
        lastError = QStringLiteral("cannot create ") + building;
        qWarning() << lastError;
        return false;
    }
    if (!openAt(building)) {
        close();
        removeDbFiles(building);
        return false;
    }
    bool ok = false;
    {
        Transaction transaction(*this);
        if (transaction.began()) {
            if (!runScript(text))
                qWarning() << "the creation script had failing statements";
            ok = transaction.commit();
        }
    }
    close();
    if (!ok || !QFile::rename(building, path)) {
        qWarning() << "database creation failed:" << path << lastError;
        removeDbFiles(building);
        return false;
    }
    removeDbFiles(building);
    return openAt(path);
}

bool CTessaneDb::updateDb(const QString& scriptPath)
{
    if (!QFile::exists(scriptPath))
        return true;
    if (!isOpen()) {
        qWarning() << "upgrade script kept for an open database:" << scriptPath;
        return false;
    }
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "open error:" << scriptPath;
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    // Removed before it runs: whatever happens next, it never runs twice.
    if (!QFile::remove(scriptPath)) {
        qWarning() << "upgrade script not run, it cannot be removed:" << scriptPath;
        return true;
    }
    if (!runScript(text))
        qWarning() << "upgrade script" << scriptPath << "had failing statements (logged above)";
    return true;
}

bool CTessaneDb::runScript(const QString& text)
{
    const QStringList statements = splitSqlScript(text);
    int failed = 0;
    for (const QString& statement : statements) {
        QSqlQuery query(db);
        if (!sqlExec(query, statement))
            ++failed;
    }
    if (failed > 0)
        qWarning() << failed << "of" << statements.size() << "script statements failed";
    return failed == 0;
}

bool CTessaneDb::openAt(const QString& path)
{
    close();
    m_damaged = false;
    m_writesRefused = false;
    m_lastFault = DbFault::None;
    db.setDatabaseName(path);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        m_lastFault = dbFaultOf(error);
        lastError = QStringLiteral("[%1] open %2: %3")
                        .arg(QString::number(error.type()), path, error.text());
        qWarning() << lastError;
        return false;
    }
    if (!checkUsable()) {
        qWarning() << "database not usable:" << path << lastError;
        close();
        return false;
    }
    // A connection of a worker, or one opened before the start's move, finds
    // the texts where they are too.
    QSqlQuery query(db);
    m_textPlace = textPlace(query);
    m_untoldUpgradeFault = DbFault::None;
    return true;
}

bool CTessaneDb::checkUsable()
{
    // Reading the schema fails on a file that is no database at all.
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select count(*) from sqlite_master;")))
        return false;
    query.finish();
    applyJournalMode();
    // Rewriting the stored schema version with its own value is a real write:
    // a read-only file or folder, a full disk or a locked file show up now
    // rather than at the author's first save.
    if (!sqlExec(query, QStringLiteral("PRAGMA user_version;")) || !query.next())
        return false;
    const int version = query.value(0).toInt();
    query.finish();
    return sqlExec(query, QStringLiteral("PRAGMA user_version = %1;").arg(version));
}

void CTessaneDb::applyJournalMode()
{
    QSqlQuery query(db);
    m_journalMode.clear();
    if (sqlExec(query, QStringLiteral("PRAGMA journal_mode = WAL;")) && query.next())
        m_journalMode = query.value(0).toString().toLower();
    query.finish();
    if (m_journalMode != QLatin1String("wal"))
        qWarning() << "WAL refused, journal mode stays" << m_journalMode;
    // Every commit reaches the disk before it returns: an author's save must
    // survive a power loss.
    sqlExec(query, QStringLiteral("PRAGMA synchronous = FULL;"));
    // Saving a long chapter touches about four times its text in pages: the
    // row's and the job's old and new overflow chains. With SQLite's 2 MB
    // default they spill to the log in mid-statement and are read back from
    // the file; 16 MB holds those of a million-character chapter.
    sqlExec(query, QStringLiteral("PRAGMA cache_size = -16384;"));
    // Commits leave their pages in the log; checkpointSoon copies them back
    // on a worker after the commit. SQLite's own copy is done by whichever
    // commit takes the log past its bound, and after a large write of
    // another connection (an import's) that could be any commit of the
    // window's, holding it for the copy of the whole log and its sync: no
    // connection the window waits for makes it. A connection that writes
    // on a worker alone turns it on (giveWayToOthers).
    sqlExec(query, QStringLiteral("PRAGMA wal_autocheckpoint = 0;"));
}

bool CTessaneDb::ensureSchema()
{
    // Each step stops the rest when refused: its fault (a full disk, a lock,
    // damage) is the one the author is told.
    const auto refused = []() {
        qWarning() << "the database lacks parts of the expected schema";
        return false;
    };
    QSqlQuery query(db);
    bool hasRevision = false;
    bool hasSent = false;
    if (!sqlExec(query, QStringLiteral("PRAGMA table_info(tb_job);")))
        return refused();
    while (query.next()) {
        if (query.value(1).toString().compare(QLatin1String("revision"), Qt::CaseInsensitive) == 0)
            hasRevision = true;
        if (query.value(1).toString().compare(QLatin1String("sent"), Qt::CaseInsensitive) == 0)
            hasSent = true;
    }
    query.finish();
    if (!hasRevision && !exec(QStringLiteral("ALTER TABLE tb_job ADD COLUMN revision INTEGER NOT NULL DEFAULT 0;")))
        return refused();
    if (!hasSent && !exec(QStringLiteral("ALTER TABLE tb_job ADD COLUMN sent INTEGER NOT NULL DEFAULT 0;")))
        return refused();
    bool hasWrittenInBin = false;
    if (!sqlExec(query, QStringLiteral("PRAGMA table_info(tb_chapter);")))
        return refused();
    while (query.next()) {
        const QString column = query.value(1).toString();
        hasWrittenInBin = hasWrittenInBin || column.compare(QLatin1String("writtenInBin"), Qt::CaseInsensitive) == 0;
    }
    query.finish();
    if (!hasWrittenInBin
        && !exec(QStringLiteral("ALTER TABLE tb_chapter ADD COLUMN writtenInBin INTEGER NOT NULL DEFAULT 0;")))
        return refused();
    for (const char* statement : kSchemaAdditions) {
        if (!exec(QString::fromUtf8(statement)))
            return refused();
    }
    // The texts' move needs room for about as much again as the texts: a
    // step the disk refuses leaves every text readable and writable where
    // it is.
    if (m_textPlace == TextPlace::Rows && !setRowsApartFromTexts())
        leaveTexts(TextPlace::Rows);
    else if (m_textPlace != TextPlace::Moved && !moveChapterTextsOut())
        leaveTexts(TextPlace::Aside);
    else
        m_textPlace = TextPlace::Moved;
    return true;
}

bool CTessaneDb::isOpen() const
{
    return db.isOpen();
}

void CTessaneDb::close()
{
    stopBackgroundStore();
    stopSweep();
    settleCheckpoint();
    if (db.isOpen())
        db.close();
    m_transactionDepth = 0;
    m_transactionFailed = false;
}

QString CTessaneDb::dbFilePath() const
{
    return db.databaseName();
}

bool CTessaneDb::sqlExec(QSqlQuery& query, const QString& statement)
{
    settleBackgroundStore();
    if (!statement.isEmpty()) {
        const WriteClaim claim(*this, statement);
        if (query.exec(statement))
            return true;
    }
    return reportFailure(query, statement);
}

bool CTessaneDb::sqlExec(QSqlQuery& query, const SqlStatement& statement)
{
    settleBackgroundStore();
    if (!statement.isEmpty() && query.prepare(statement.text)) {
        for (const QVariant& value : statement.values)
            query.addBindValue(value);
        const WriteClaim claim(*this, statement.text);
        if (query.exec())
            return true;
    }
    return reportFailure(query, statement.shown());
}

bool CTessaneDb::reportFailure(const QSqlQuery& query, const QString& statement)
{
    const QSqlError error = query.lastError();
    // Neither the log nor the error text (which can reach a message box)
    // shows a token or password the statement carried; SQLite quotes parts
    // of a statement in its errors.
    QStringList secrets;
    const QString shown = maskSqlSecrets(statement, &secrets);
    lastError = scrubSecrets(QStringLiteral("[%1] %2 driver err:%3 db err:%4")
                                 .arg(QString::number(error.type()), error.text(),
                                      error.driverText(), error.databaseText()),
                             secrets);
    m_lastFault = dbFaultOf(error);
    ++m_refusals;
    if (m_lastFault == DbFault::Locked)
        ++m_lockedFailures;
    if (m_transactionDepth > 0)
        m_transactionFailed = true;
    qDebug().noquote() << "sqlStr = " + shown.left(2000);
    qDebug().noquote() << "dbError : err = " + lastError;
    if (m_lastFault == DbFault::Damaged)
        markDamaged();
    return false;
}

void CTessaneDb::markDamaged()
{
    if (m_damaged)
        return;
    m_damaged = true;
    qCritical().noquote() << "the database is damaged:" << db.databaseName() << lastError;
    refuseWrites();
    emit sig_damaged();
}

void CTessaneDb::refuseWrites()
{
    if (m_writesRefused || !db.isOpen())
        return;
    m_writesRefused = true;
    // The connection itself refuses every change from now on, whichever
    // writer tries; reading what is still readable goes on.
    QSqlQuery query = newQuery();
    if (!query.exec(QStringLiteral("PRAGMA query_only = ON;")))
        qWarning() << "cannot stop writes to the database:" << query.lastError().text();
}

bool CTessaneDb::execBound(QSqlQuery& query, const QString& statement, const QVariantList& values)
{
    settleBackgroundStore();
    if (query.prepare(statement)) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        const WriteClaim claim(*this, statement);
        if (query.exec())
            return true;
    }
    // The statement carries no value, so neither it nor SQLite's error
    // text can show a secret.
    return reportFailure(query, statement);
}

bool CTessaneDb::exec(const QString& pattern, std::initializer_list<SqlArg> args)
{
    QSqlQuery query(db);
    if (args.size() == 0)
        return sqlExec(query, pattern);
    return sqlExec(query, sqlBind(pattern, args));
}

bool CTessaneDb::execRow(const QString& pattern, std::initializer_list<SqlArg> args)
{
    const bool failedBefore = m_transactionFailed;
    QSqlQuery query(db);
    if (sqlExec(query, sqlBind(pattern, args)))
        return true;
    // SQLite undoes only the refused statement. Any other error (a full disk)
    // still fails the transaction.
    bool isNumber = false;
    const int code = query.lastError().nativeErrorCode().toInt(&isNumber);
    if (isNumber && (code & 0xff) == kSqliteConstraint)
        m_transactionFailed = failedBefore;
    return false;
}

QSqlQuery CTessaneDb::newQuery()
{
    settleBackgroundStore();
    return QSqlQuery(db);
}

void CTessaneDb::setDbError(T_Http_S& reply) const
{
    reply.code = HttpDbError;
    reply.msg = QStringLiteral("数据库错误\n") + lastError;
}

void CTessaneDb::setDbError(T_Http_S* reply) const
{
    if (reply)
        setDbError(*reply);
}

int CTessaneDb::lastInsertId(const QString& table)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select last_insert_rowid() from %1 limit 1;"),
                                  {SqlArg::name(table)})))
        return -1;
    return query.next() ? query.value(0).toInt() : -1;
}

bool CTessaneDb::deleteItem(const QString& table, const QString& column, int value)
{
    return exec(QStringLiteral("delete from %1 where %2 = %3;"),
                {SqlArg::name(table), SqlArg::name(column), value});
}

int CTessaneDb::countItems(const QString& table, const QString& column, int value)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select count(*) from %1 where %2 = %3;"),
                                  {SqlArg::name(table), SqlArg::name(column), value}))
        || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool CTessaneDb::updateItemById(const QString& table, const QString& keyColumn, int key,
                                const QString& column, int value)
{
    const QString statement = sqlFormat(QStringLiteral("update %1 set %2 = %3 where %4 = %5;"),
                                        {SqlArg::name(table), SqlArg::name(column), value,
                                         SqlArg::name(keyColumn), key});
    QSqlQuery query(db);
    return sqlExec(query, statement);
}

bool CTessaneDb::updateItemStringById(const QString& table, const QString& keyColumn, int key,
                                      const QString& column, const QString& value)
{
    return exec(QStringLiteral("update %1 set %2 = %3 where %4 = %5;"),
                {SqlArg::name(table), SqlArg::name(column), value, SqlArg::name(keyColumn), key});
}
