// The client killed with SIGKILL at random moments of its work: saving
// chapters, replaying stored jobs, applying the change feed, importing a book,
// creating its database and backing it up. After every kill the database is
// whole and holds every save the client had reported; a last clean start
// drains the queue, and the stand-in then holds each change once.
//
// One exception is counted, not hidden: a create whose request reached the
// platform but whose reply the kill cut off is sent again by the next start,
// and the platform makes the object twice. The client cannot tell that case
// from a request that never arrived; the checks accept a second copy only
// where the journal shows one job sent twice.
//
// A kill at a random moment almost never lands between two statements, so
// three changes are also ended at each of their writes in turn, as SQLite's
// own crash tests do: a chapter save, a chapter move and the storing of a
// chapter create's reply. Each run starts from a copy of the same folder and
// is ended just before its n-th write into the database or its WAL, with n
// walking up until the change is done; every file left must hold the whole
// change, row and job together, or none of it.
//
// A memo typed into and left open is killed too, once its row holds the
// text: the words are stored at the author's pause, not at the window's close.
//
// CRASH_KILLS sets the number of kills of a run (default 200), spread over
// the scenarios; CRASH_SEED repeats the test's own random moments (the
// client's timing still varies); CRASH_KEEP keeps the data folders.

#include "CrashPoints.h"
#include "StandinServer.h"

#include "db/T_JobData.h"
#include "remote/T_Http_Custom.h"
#include "remote/records/ChapterRecords.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

struct Run
{
    QStringList lines;
    int exitCode = -1;
    bool killed = false;
    QString errors;
};

// How a run ended, for a failure's message: a signal's number stands where
// the exit code would.
QString ended(const Run& run)
{
    return QStringLiteral("%1 %2: %3")
        .arg(run.killed ? QStringLiteral("signal") : QStringLiteral("exit"))
        .arg(run.exitCode)
        .arg(run.errors);
}

// Copies a data folder, so that every run of a walk starts from the same files.
bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(path, target))
            return false;
    }
    return true;
}

QJsonObject jsonOf(const QVariant& text)
{
    return QJsonDocument::fromJson(text.toString().toUtf8()).object();
}

int revisionOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^c\\d+ r(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// A read-only look at a database file the client left, through a connection
// of its own that is gone again when the object is.
class DbFile
{
public:
    explicit DbFile(const QString& path)
        : m_name(QStringLiteral("inspect%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_open = QFileInfo::exists(path) && db.open();
    }
    ~DbFile()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isOpen() const { return m_open; }
    QString integrity() const { return scalar(QStringLiteral("PRAGMA integrity_check;")).toString(); }
    QVariant scalar(const QString& sql) const
    {
        const QList<QVariantList> all = rows(sql, 1);
        return all.isEmpty() ? QVariant() : all.first().first();
    }
    QList<QVariantList> rows(const QString& sql, int columns) const
    {
        QList<QVariantList> list;
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        for (bool ok = query.exec(sql); ok && query.next();) {
            list.append(QVariantList());
            for (int i = 0; i < columns; ++i)
                list.last().append(query.value(i));
        }
        return list;
    }

private:
    static int s_count;
    QString m_name;
    bool m_open = false;
};
int DbFile::s_count = 0;

}

class CrashSafetyTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void savedChaptersSurviveKills();
    void storedQueueReachesThePlatformOnceAfterKills();
    void changeFeedIsAppliedOnceAfterKills();
    void importIsWholeOrAbsentAfterKills();
    void firstStartRecoversFromKills();
    void backupsAreWholeOrAbsentAfterKills();
    void quittingWhileTheLogIsCopiedEndsCleanly();
    void quittingWhileAChapterSavesKeepsTheSave();
    void openMemoTypedInSurvivesAKill();
    void changesEndedAtEachWriteAreWholeOrAbsent_data();
    void changesEndedAtEachWriteAreWholeOrAbsent();
    void cleanupTestCase();

private:
    // With a crash point, the client ends itself just before that write of its step.
    QProcess* launch(const QStringList& arguments, int crashPoint = 0);
    Run finish(QProcess* process, int timeoutMs = 60000);
    // Kills the client delayMs after it was started, or after it printed
    // the marker line when one is given.
    Run runKilledAfter(const QStringList& arguments, int delayMs, const QString& marker = QString());
    Run runToEnd(const QStringList& arguments, int timeoutMs = 60000);
    QString dbPath() const;
    // A new data folder: another device, or the same one before its first start.
    // CRASH_KEEP keeps the folders for a look after a failure.
    void newHome();
    void signIn();
    void signedInWithBook();
    int kills(int share) const;
    // Takes in what a run reported and checks the database against all that
    // was ever reported: whole, every reported save and new chapter there.
    void checkAfterKill(const Run& run);
    // A clean start drains the queue; then the platform holds every local
    // book once, with the same chapters and texts.
    void drainAndExpectPlatformMatches();
    // Drains the queue in rounds killed at random; false once a check failed.
    bool drainKilled(int rounds, int maxDelayMs);
    bool createResentAfterKill(const QString& path, const QString& nameKey, const QString& name, int copies,
                               int bookId = 0) const;
    // The chapters of the folder a walk starts from: each either as it was
    // there, with no job of the step's kind for it, or changed and with the
    // job that carries the change. Says what is wrong, or nothing; counts the
    // chapters changed.
    QString stepWholeOrAbsent(const QString& step, const QList<QVariantList>& before, int* changed);

    StandinServer m_standin;
    QTemporaryDir m_program;
    QString m_client;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_apiBase;
    QRandomGenerator m_random;
    int m_totalKills = 200;
    int m_killsDone = 0;
    QHash<int, int> m_reported;  // local chapter id -> last revision reported stored
    QSet<QString> m_created;     // names of chapters reported added
    int m_reportedSaves = 0;
    int m_moves = 0;
    QJsonArray m_journal;
    int m_resentCreates = 0;
};

void CrashSafetyTest::initTestCase()
{
    QVERIFY(m_standin.start());
    // A private copy of the client gives it its own program folder and so
    // its own settings file.
    m_client = m_program.filePath(QStringLiteral("crash_client"));
    QVERIFY(QFile::copy(QStringLiteral(CRASH_CLIENT), m_client));
    QVERIFY(QFile::setPermissions(m_client, QFile::permissions(QStringLiteral(CRASH_CLIENT))));
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("CRASH_KILLS", &ok);
    if (ok && wanted > 0)
        m_totalKills = wanted;
    const quint32 seed = qEnvironmentVariableIsSet("CRASH_SEED")
        ? qgetenv("CRASH_SEED").toUInt()
        : QRandomGenerator::global()->generate();
    m_random.seed(seed);
    qInfo() << "CRASH_SEED" << seed << "CRASH_KILLS" << m_totalKills;
}

void CrashSafetyTest::init()
{
    QVERIFY(m_standin.reset());
    newHome();
    QVERIFY(m_home->isValid());
    m_apiBase = m_standin.baseUrl();
    m_reported.clear();
    m_created.clear();
    m_reportedSaves = 0;
}

void CrashSafetyTest::newHome()
{
    m_home = std::make_unique<QTemporaryDir>();
    if (qEnvironmentVariableIsSet("CRASH_KEEP")) {
        m_home->setAutoRemove(false);
        qInfo() << "data folder" << m_home->path();
    }
}

int CrashSafetyTest::kills(int share) const
{
    // Shares add up to 100.
    return std::max(1, (m_totalKills * share + 99) / 100);
}

QString CrashSafetyTest::dbPath() const
{
    return m_home->filePath(QStringLiteral("data/Tessane/vellora-client/data/db/wrt.db"));
}

QProcess* CrashSafetyTest::launch(const QStringList& arguments, int crashPoint)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home->path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("TESSANE_API_BASE"), m_apiBase);
    // The memo window's scenario shows a window: no screen is needed for it.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TESSANE_WARMUP_URL"), QStringLiteral("none"));
    if (crashPoint > 0)
        env.insert(QStringLiteral("CRASH_POINT"), QString::number(crashPoint));
    process->setProcessEnvironment(env);
    process->setProgram(m_client);
    process->setArguments(arguments);
    process->start();
    return process;
}

Run CrashSafetyTest::finish(QProcess* process, int timeoutMs)
{
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished();
    }
    const Run run{QString::fromUtf8(process->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                  process->exitCode(), process->exitStatus() == QProcess::CrashExit,
                  QString::fromUtf8(process->readAllStandardError())};
    delete process;
    return run;
}

Run CrashSafetyTest::runKilledAfter(const QStringList& arguments, int delayMs, const QString& marker)
{
    QProcess* process = launch(arguments);
    if (process->waitForStarted(10000)) {
        if (!marker.isEmpty()) {
            QDeadlineTimer deadline(30000);
            while (!deadline.hasExpired() && process->state() == QProcess::Running
                   && !process->peek(1 << 20).contains(marker.toUtf8()))
                process->waitForReadyRead(20);
        }
        QThread::msleep(static_cast<unsigned long>(delayMs));
        if (process->state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
            ++m_killsDone;
        }
    }
    return finish(process);
}

Run CrashSafetyTest::runToEnd(const QStringList& arguments, int timeoutMs)
{
    return finish(launch(arguments), timeoutMs);
}

void CrashSafetyTest::signIn()
{
    const Run seeded = runToEnd({QStringLiteral("seed")});
    QVERIFY2(seeded.exitCode == 0 && seeded.lines.contains(QStringLiteral("seeded")), qPrintable(seeded.errors));
}

void CrashSafetyTest::signedInWithBook()
{
    signIn();
    const Run book = runToEnd({QStringLiteral("book")});
    QVERIFY2(book.exitCode == 0, qPrintable(book.errors + book.lines.join(QLatin1Char('\n'))));
}

void CrashSafetyTest::checkAfterKill(const Run& run)
{
    for (const QString& line : run.lines) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.value(0) == QLatin1String("stored")) {
            m_reported.insert(parts.value(1).toInt(), parts.value(2).toInt());
            ++m_reportedSaves;
        } else if (parts.value(0) == QLatin1String("created")) {
            m_created.insert(parts.value(2));
        } else if (parts.value(0) == QLatin1String("moved")) {
            ++m_moves;
        }
    }
    DbFile db(dbPath());
    QVERIFY(db.isOpen());
    QCOMPARE(db.integrity(), QStringLiteral("ok"));
    for (auto it = m_reported.constBegin(); it != m_reported.constEnd(); ++it) {
        const QString text = db.scalar(QStringLiteral("select content from tb_chapter_text where localId = %1;")
                                           .arg(it.key())).toString();
        QVERIFY2(revisionOf(text) >= it.value(),
                 qPrintable(QStringLiteral("chapter %1 holds r%2, r%3 was reported stored")
                                .arg(it.key()).arg(revisionOf(text)).arg(it.value())));
    }
    for (const QString& name : qAsConst(m_created))
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tb_chapter where name = '%1';").arg(name)).toInt(), 1);
    // Nothing the platform sent is held twice.
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from (select chapterId from tb_chapter where chapterId > 0 "
                                      "group by chapterId having count(*) > 1);")).toInt(), 0);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from (select bookId from tb_book where bookId > 0 "
                                      "group by bookId having count(*) > 1);")).toInt(), 0);
}

bool CrashSafetyTest::createResentAfterKill(const QString& path, const QString& nameKey, const QString& name,
                                            int copies, int bookId) const
{
    // Every request that made an object of this name carried the same job:
    // one create, sent again by a later start because the client was killed
    // before its reply was stored; never more copies than requests.
    QSet<int> jobs;
    int requests = 0;
    for (const QJsonValue& value : m_journal) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("path")).toString() != path)
            continue;
        const QJsonObject body = QJsonDocument::fromJson(entry.value(QStringLiteral("body")).toString().toUtf8()).object();
        if (bookId > 0 && body.value(QStringLiteral("book_id")).toInt() != bookId)
            continue;
        QStringList names{body.value(nameKey).toString()};
        // A batch of chapters travels as a list in text.
        const QJsonArray list = QJsonDocument::fromJson(body.value(QStringLiteral("list")).toString().toUtf8()).array();
        for (const QJsonValue& item : list)
            names << item.toObject().value(nameKey).toString() << item.toObject().value(QStringLiteral("name")).toString();
        if (!names.contains(name))
            continue;
        T_Http_Custom identity;
        identity.fromUserData(QString::fromLatin1(StandinServer::header(entry, "userdata")));
        jobs.insert(identity.jobId);
        ++requests;
    }
    return jobs.size() == 1 && requests >= copies;
}

void CrashSafetyTest::drainAndExpectPlatformMatches()
{
    const Run drained = runToEnd({QStringLiteral("drain")});
    QVERIFY2(drained.exitCode == 0 && drained.lines.contains(QStringLiteral("drained")),
             qPrintable(drained.errors));

    DbFile db(dbPath());
    QVERIFY(db.isOpen());
    QCOMPARE(db.integrity(), QStringLiteral("ok"));
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from tb_job;")).toInt(), 0);
    const QJsonObject store = m_standin.store();
    m_journal = m_standin.journal();
    const QList<QVariantList> books =
        db.rows(QStringLiteral("select localId, bookId, bookName from tb_book where bookName <> '示例作品';"), 3);
    QVERIFY(!books.isEmpty());
    for (const QVariantList& book : books) {
        const int bookId = book.at(1).toInt();
        const QString bookName = book.at(2).toString();
        QVERIFY2(bookId > 0, qPrintable(bookName));
        int sameName = 0;
        for (const QJsonValue& value : store.value(QStringLiteral("books")).toArray())
            sameName += value.toObject().value(QStringLiteral("book_name")).toString() == bookName;
        QVERIFY2(sameName == 1
                     || (sameName > 1 && createResentAfterKill(QStringLiteral("/books/addBook"),
                                                               QStringLiteral("book_name"), bookName, sameName)),
                 qPrintable(QStringLiteral("%1 books named %2 on the platform").arg(sameName).arg(bookName)));
        m_resentCreates += sameName - 1;

        QHash<int, QJsonObject> remote;
        QHash<QString, int> remoteNames;
        for (const QJsonValue& value : store.value(QStringLiteral("chapters")).toArray()) {
            const QJsonObject chapter = value.toObject();
            if (chapter.value(QStringLiteral("book_id")).toInt() == bookId) {
                remote.insert(chapter.value(QStringLiteral("chapter_id")).toInt(), chapter);
                ++remoteNames[chapter.value(QStringLiteral("chapter_name")).toString()];
            }
        }
        const QList<QVariantList> local = db.rows(
            QStringLiteral("select chapterId, name, content, volumeId from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1;")
                .arg(book.at(0).toInt()), 4);
        QSet<QString> localNames;
        for (const QVariantList& row : local) {
            const int chapterId = row.at(0).toInt();
            const QString name = row.at(1).toString();
            localNames.insert(name);
            QVERIFY2(remote.contains(chapterId), qPrintable(QStringLiteral("%1 (id %2) of book %3 is not on the platform")
                                                                .arg(name).arg(chapterId).arg(bookId)));
            QCOMPARE(remote.value(chapterId).value(QStringLiteral("chapter_name")).toString(), name);
            QCOMPARE(remote.value(chapterId).value(QStringLiteral("content")).toString(), row.at(2).toString());
            // Moves arrived: each chapter stands in the same volume there.
            QCOMPARE(remote.value(chapterId).value(QStringLiteral("volume_id")).toInt(), row.at(3).toInt());
        }
        // Every chapter made once; a second copy only where the kill cut off
        // the create's reply.
        for (auto it = remoteNames.constBegin(); it != remoteNames.constEnd(); ++it) {
            QVERIFY2(localNames.contains(it.key()), qPrintable(it.key()));
            QVERIFY2(it.value() == 1
                         || createResentAfterKill(QStringLiteral("/chapter/addChapter"), QStringLiteral("chapter_name"),
                                                  it.key(), it.value(), bookId)
                         || createResentAfterKill(QStringLiteral("/chapter/batchCreateChapter"),
                                                  QStringLiteral("chapter_name"), it.key(), it.value(), bookId),
                     qPrintable(QStringLiteral("%1 chapters named %2").arg(it.value()).arg(it.key())));
            m_resentCreates += it.value() - 1;
        }
    }
}

bool CrashSafetyTest::drainKilled(int rounds, int maxDelayMs)
{
    for (int round = 0; round < rounds && !QTest::currentTestFailed(); ++round)
        checkAfterKill(runKilledAfter({QStringLiteral("drain")}, m_random.bounded(100, maxDelayMs)));
    return !QTest::currentTestFailed();
}

void CrashSafetyTest::savedChaptersSurviveKills()
{
    signedInWithBook();
    const int rounds = kills(40);
    for (int round = 0; round < rounds; ++round) {
        const Run run = runKilledAfter({QStringLiteral("save")}, m_random.bounded(150, 1200));
        QVERIFY2(run.killed, qPrintable(run.errors));
        checkAfterKill(run);
        if (QTest::currentTestFailed())
            return;
    }
    qInfo() << rounds << "kills," << m_reportedSaves << "saves reported," << m_created.size() << "chapters added,"
            << m_moves << "moves";
    QVERIFY(m_reportedSaves > rounds);
    drainAndExpectPlatformMatches();
}

void CrashSafetyTest::storedQueueReachesThePlatformOnceAfterKills()
{
    signedInWithBook();
    // Saved while the platform is out of reach: a queue of stored jobs.
    m_apiBase = QStringLiteral("http://127.0.0.1:9");
    const Run offline = runToEnd({QStringLiteral("save"), QStringLiteral("150")});
    QCOMPARE(offline.exitCode, 0);
    checkAfterKill(offline);
    m_apiBase = m_standin.baseUrl();
    {
        DbFile db(dbPath());
        QVERIFY(db.scalar(QStringLiteral("select count(*) from tb_job;")).toInt() > 3);
    }
    // Every request a little slow, so that kills land between and inside them.
    QVERIFY(m_standin.addFault(QStringLiteral("*"), QStringLiteral("ok"), 30, -1));
    if (drainKilled(kills(20), 900))
        drainAndExpectPlatformMatches();
}

void CrashSafetyTest::changeFeedIsAppliedOnceAfterKills()
{
    // One device writes the book...
    signedInWithBook();
    // Chapters are added at random; a few more rounds until the book has some.
    const auto platformChapters = [this]() {
        int count = 0;
        for (const QJsonValue& value : m_standin.store().value(QStringLiteral("chapters")).toArray())
            count += value.toObject().value(QStringLiteral("book_id")).toInt() >= 20000 ? 1 : 0;
        return count;
    };
    for (int round = 0; round < 6 && platformChapters() < 4; ++round) {
        const Run saved = runToEnd({QStringLiteral("save"), QStringLiteral("60")});
        QVERIFY2(saved.exitCode == 0 && !saved.killed, qPrintable(ended(saved)));
        drainAndExpectPlatformMatches();
    }
    const auto change = [](int type, int book, const QJsonValue& id, const QJsonObject& extra = {}) {
        return QJsonObject{{QStringLiteral("change_type"), type}, {QStringLiteral("book_id"), book},
                           {QStringLiteral("chapter_id"), id},
                           {QStringLiteral("extra"), extra.isEmpty() ? QString()
                                : QString::fromUtf8(QJsonDocument(extra).toJson(QJsonDocument::Compact))}};
    };
    QJsonArray items;
    int bookId = 0;
    for (const QJsonValue& value : m_standin.store().value(QStringLiteral("chapters")).toArray()) {
        const QJsonObject chapter = value.toObject();
        if (chapter.value(QStringLiteral("book_id")).toInt() < 20000)
            continue;
        bookId = chapter.value(QStringLiteral("book_id")).toInt();
        items.append(change(9, bookId, chapter.value(QStringLiteral("chapter_id"))));
    }
    QVERIFY(items.size() > 3);
    items.prepend(change(1, bookId, 0, {{QStringLiteral("book_name"), QStringLiteral("崩溃测试之书")},
                                        {QStringLiteral("create_time"), 1700000000}}));
    // Its volumes, then its chapter list, then each chapter's text.
    int position = 1;
    for (const QJsonValue& value : m_standin.store().value(QStringLiteral("volumes")).toArray()) {
        const QJsonObject volume = value.toObject();
        if (volume.value(QStringLiteral("book_id")).toInt() != bookId)
            continue;
        items.insert(position++, change(25, bookId, volume.value(QStringLiteral("id")),
                                        {{QStringLiteral("volume_name"), volume.value(QStringLiteral("volume_name"))}}));
    }
    items.insert(position++, change(5, bookId, 0));
    const int chapters = items.size() - position;
    // ...and a second device of the same author learns it from the feed.
    newHome();
    m_reported.clear();
    m_created.clear();
    signIn();
    QCOMPARE(m_standin.pushFeed(StandinServer::demoUid(), items).size(), items.size());
    QVERIFY(m_standin.addFault(QStringLiteral("*"), QStringLiteral("ok"), 20, -1));
    if (!drainKilled(kills(15), 1000))
        return;
    drainAndExpectPlatformMatches();
    DbFile db(dbPath());
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from tb_chapter where bookId = %1;").arg(bookId)).toInt(),
             chapters);
}

void CrashSafetyTest::importIsWholeOrAbsentAfterKills()
{
    signIn();
    // A book of three volumes of twenty chapters each.
    QString text;
    for (int volume = 1; volume <= 3; ++volume) {
        text += QStringLiteral("第%1卷 卷名\n").arg(volume);
        for (int chapter = 1; chapter <= 20; ++chapter) {
            text += QStringLiteral("第%1章 章名\n").arg((volume - 1) * 20 + chapter);
            text += QString(800, QChar(0x5B57)) + QLatin1Char('\n');
        }
    }
    const int rounds = kills(10);
    QStringList names;
    for (int round = 0; round < rounds; ++round) {
        // One file per round: a finished import and the next one are two books.
        const QString name = QStringLiteral("导入%1").arg(round);
        QFile file(m_home->filePath(name + QStringLiteral(".txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        file.close();
        const Run run = runKilledAfter({QStringLiteral("import"), file.fileName()}, m_random.bounded(100, 1200));
        checkAfterKill(run);
        DbFile db(dbPath());
        // A book still listed as being imported is nobody's yet; the next
        // start sweeps it away.
        const QString authors = QStringLiteral("from tb_book where bookName = '%1' and localId not in "
                                               "(select localBookId from tb_import)").arg(name);
        const QVariant localId = db.scalar(QStringLiteral("select localId ") + authors);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) ") + authors).toInt(), localId.isValid() ? 1 : 0);
        // An import the client reported done is there.
        QVERIFY(!run.lines.contains(QStringLiteral("imported 0")) || localId.isValid());
        const int chapters = localId.isValid()
            ? db.scalar(QStringLiteral("select count(*) from tb_chapter where localBookId = %1;").arg(localId.toInt())).toInt()
            : 60;
        QCOMPARE(chapters, 60);
        if (QTest::currentTestFailed())
            return;
    }
    drainAndExpectPlatformMatches();
}

void CrashSafetyTest::firstStartRecoversFromKills()
{
    const int rounds = kills(10);
    int tables = 0;
    for (int round = 0; round < rounds; ++round) {
        newHome();
        runKilledAfter({QStringLiteral("firststart")}, m_random.bounded(0, 250));
        const Run next = runToEnd({QStringLiteral("firststart")});
        QVERIFY2(next.exitCode == 0, qPrintable(next.errors));
        DbFile db(dbPath());
        QVERIFY(db.isOpen());
        QCOMPARE(db.integrity(), QStringLiteral("ok"));
        const int count = db.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'table';")).toInt();
        if (tables == 0)
            tables = count;
        QVERIFY(count > 5);
        QCOMPARE(count, tables);
    }
    // The database made after a kill works as a first start's does.
    signedInWithBook();
    const Run saved = runToEnd({QStringLiteral("save"), QStringLiteral("20")});
    QVERIFY2(saved.exitCode == 0 && !saved.killed, qPrintable(ended(saved)));
    drainAndExpectPlatformMatches();
}

void CrashSafetyTest::quittingWhileTheLogIsCopiedEndsCleanly()
{
    const Run run = runToEnd({QStringLiteral("quitwhilecopying")});
    const QStringList copying = run.lines.filter(QRegularExpression(QStringLiteral("^copying \\d+$")));
    QVERIFY2(run.exitCode == 0 && !run.killed && copying.size() == 1, qPrintable(ended(run)));
    // The copy ended before the program did: the file alone, without its
    // log, holds every commit.
    const QString alone = m_home->filePath(QStringLiteral("alone.db"));
    QVERIFY(QFile::copy(dbPath(), alone));
    DbFile db(alone);
    QVERIFY(db.isOpen());
    QCOMPARE(db.integrity(), QStringLiteral("ok"));
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from quit_probe where length(x) = 8000000;")).toInt(),
             copying.first().section(QLatin1Char(' '), 1).toInt());
}

void CrashSafetyTest::quittingWhileAChapterSavesKeepsTheSave()
{
    signedInWithBook();
    const Run run = runToEnd({QStringLiteral("quitwhilesaving")});
    const QStringList saving = run.lines.filter(QRegularExpression(QStringLiteral("^saving \\d+$")));
    QVERIFY2(run.exitCode == 0 && !run.killed && saving.size() == 1, qPrintable(ended(run)));
    // The save began, so the program's end waited for its commit: the row
    // and the job that carries it to the platform are both there.
    const int localChapterId = saving.first().section(QLatin1Char(' '), 1).toInt();
    DbFile db(dbPath());
    QVERIFY(db.isOpen());
    QCOMPARE(db.integrity(), QStringLiteral("ok"));
    QCOMPARE(db.scalar(QStringLiteral("select length(content) from tb_chapter_text where localId = %1 "
                                      "and content like 'quitting save%';")
                           .arg(localChapterId))
                 .toInt(),
             1000014);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from tb_job where localChapterId = %1 "
                                      "and content like '%quitting save%';")
                           .arg(localChapterId))
                 .toInt(),
             1);
}

void CrashSafetyTest::openMemoTypedInSurvivesAKill()
{
    signIn();
    // Nothing answers: the memo's jobs stay queued for the next start.
    m_apiBase = QStringLiteral("http://127.0.0.1:9");
    QProcess* process = launch({QStringLiteral("memo")});
    // A check that fails leaves no client behind.
    std::unique_ptr<QProcess> owned(process);
    QStringList typed;
    QTRY_VERIFY_WITH_TIMEOUT((typed = QString::fromUtf8(process->peek(1 << 20))
                                          .split(QLatin1Char('\n'))
                                          .filter(QRegularExpression(QStringLiteral("^typed \\d+ ")))).size() == 1
                                 || process->state() == QProcess::NotRunning,
                             30000);
    QCOMPARE(typed.size(), 1);
    const int localMemoId = typed.first().section(QLatin1Char(' '), 1, 1).toInt();
    const QString text = typed.first().section(QLatin1Char(' '), 2);
    const QString stored = QStringLiteral("select content from tb_memo where localId = %1;").arg(localMemoId);
    // The window stays open: the row takes the text at the author's pause.
    QTRY_COMPARE_WITH_TIMEOUT(DbFile(dbPath()).scalar(stored).toString(), text, 10000);
    ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
    ++m_killsDone;
    const Run killed = finish(owned.release());
    QVERIFY2(killed.killed, qPrintable(ended(killed)));

    const Run next = runToEnd({QStringLiteral("firststart")});
    QVERIFY2(next.exitCode == 0, qPrintable(ended(next)));
    DbFile db(dbPath());
    QCOMPARE(db.integrity(), QStringLiteral("ok"));
    QCOMPARE(db.scalar(stored).toString(), text);
    // A job carries that text to the platform.
    int carrying = 0;
    for (const QVariantList& job : db.rows(QStringLiteral("select content from tb_job where localMemoId = %1;")
                                               .arg(localMemoId), 1))
        carrying += jsonOf(job.first()).value(QStringLiteral("content")).toString() == text ? 1 : 0;
    QCOMPARE(carrying, 1);
}

void CrashSafetyTest::backupsAreWholeOrAbsentAfterKills()
{
    signedInWithBook();
    const int rounds = kills(5);
    for (int round = 0; round < rounds; ++round) {
        const QString folder = m_home->filePath(QStringLiteral("backup%1").arg(round));
        QVERIFY(QDir().mkpath(folder));
        // The copy of a few megabytes takes some tens of milliseconds.
        const Run run = runKilledAfter({QStringLiteral("backup"), folder}, m_random.bounded(0, 40),
                                       QStringLiteral("backing up"));
        checkAfterKill(run);
        int mainChapters = 0;
        {
            DbFile db(dbPath());
            mainChapters = db.scalar(QStringLiteral("select count(*) from tb_chapter;")).toInt();
        }
        const QStringList copies = QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files);
        QVERIFY(copies.size() <= 1);
        QVERIFY(!run.lines.contains(QStringLiteral("backup done")) || copies.size() == 1);
        for (const QString& copy : copies) {
            DbFile backup(QDir(folder).filePath(copy));
            QCOMPARE(backup.integrity(), QStringLiteral("ok"));
            QCOMPARE(backup.scalar(QStringLiteral("select count(*) from tb_chapter;")).toInt(), mainChapters);
        }
    }
}

void CrashSafetyTest::changesEndedAtEachWriteAreWholeOrAbsent_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("chapter save") << QStringLiteral("save");
    QTest::newRow("chapter move") << QStringLiteral("move");
    QTest::newRow("create reply") << QStringLiteral("confirm");
}

void CrashSafetyTest::changesEndedAtEachWriteAreWholeOrAbsent()
{
    QFETCH(QString, step);
    signedInWithBook();
    if (step == QLatin1String("confirm")) {
        // A chapter made offline waits in the queue; the step's start sends it.
        m_apiBase = QStringLiteral("http://127.0.0.1:9");
        const Run added = runToEnd({QStringLiteral("addchapter")});
        QVERIFY2(added.exitCode == 0, qPrintable(added.errors));
        m_apiBase = m_standin.baseUrl();
    }
    const std::unique_ptr<QTemporaryDir> start = std::move(m_home);
    const QString startPath = start->path();
    QList<QVariantList> before;
    {
        // Read from a copy: opening the database writes beside it.
        newHome();
        QVERIFY(copyTree(startPath, m_home->path()));
        DbFile db(dbPath());
        before = db.rows(QStringLiteral("select localId, content, localVolumeId, volumeId, orderNum, chapterId "
                                        "from tb_chapter left join tb_chapter_text using (localId);"), 6);
        QVERIFY(!before.isEmpty());
    }

    int ended = 0;
    bool done = false;
    for (int write = 1; !done && write <= 200; ++write) {
        newHome();
        QVERIFY(copyTree(startPath, m_home->path()));
        const Run run = finish(launch({QStringLiteral("point"), step}, write));
        done = run.exitCode == 0 && run.lines.filter(QRegularExpression(QStringLiteral("^done "))).size() == 1;
        QVERIFY2(done || (!run.killed && run.exitCode == CrashPoints::kEndedExitCode),
                 qPrintable(QStringLiteral("write %1: exit %2 %3").arg(write).arg(run.exitCode).arg(run.errors)));
        ended += done ? 0 : 1;
        int changed = 0;
        const QString problem = stepWholeOrAbsent(step, before, &changed);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("ended before write %1: %2").arg(write).arg(problem)));
        // What the client reported done is there.
        QVERIFY(!done || changed == 1);
    }
    QVERIFY(done);
    QVERIFY2(ended > 0, "the client ended at no write: its SQLite library is not the one Qt's driver uses");
    qInfo() << step << "ended at each of its" << ended << "writes";
}

QString CrashSafetyTest::stepWholeOrAbsent(const QString& step, const QList<QVariantList>& before, int* changed)
{
    DbFile db(dbPath());
    if (!db.isOpen() || db.integrity() != QLatin1String("ok"))
        return QStringLiteral("the database is not whole");
    *changed = 0;
    for (const QVariantList& old : before) {
        const int localId = old.at(0).toInt();
        const QList<QVariantList> rows =
            db.rows(QStringLiteral("select content, localVolumeId, volumeId, orderNum, chapterId from tb_chapter left join tb_chapter_text using (localId) "
                                   "where localId = %1;").arg(localId), 5);
        if (rows.size() != 1)
            return QStringLiteral("chapter %1 is gone").arg(localId);
        const QVariantList& row = rows.first();
        const auto jobs = [&db, localId](int jobType) {
            return db.rows(QStringLiteral("select content from tb_job where localChapterId = %1 and jobType = %2;")
                               .arg(localId).arg(jobType), 1);
        };
        bool same = true;
        bool whole = true;
        QList<QVariantList> found;
        if (step == QLatin1String("save")) {
            // The text and the pending edit job that carries it.
            found = jobs(TessaneJob::ChapterEdit);
            same = row.at(0).toString() == old.at(1).toString();
            whole = same ? found.isEmpty()
                         : found.size() == 1
                               && jsonOf(found.first().at(0)).value(QStringLiteral("content")) == row.at(0).toString();
        } else if (step == QLatin1String("move")) {
            // The place, in a volume the row names by both ids, and the move job that names it.
            found = jobs(JobType::ChapterMove);
            same = row.at(1) == old.at(2) && row.at(2) == old.at(3) && row.at(3) == old.at(4);
            const int volumeId = db.scalar(QStringLiteral("select volumeId from tb_volume where localId = %1;")
                                               .arg(row.at(1).toInt())).toInt();
            whole = same ? found.isEmpty()
                         : found.size() == 1 && row.at(2).toInt() == volumeId
                               && jsonOf(found.first().at(0)).value(QStringLiteral("localToVolumeId")).toInt()
                                      == row.at(1).toInt();
        } else {
            // The platform's id, stored as the create job leaves the queue.
            found = jobs(JobType::ChapterAdd);
            const int chapterId = row.at(4).toInt();
            same = chapterId == old.at(5).toInt();
            whole = chapterId > 0 ? found.isEmpty() : found.size() == 1;
            if (whole && !same) {
                int onPlatform = 0;
                for (const QJsonValue& value : m_standin.store().value(QStringLiteral("chapters")).toArray())
                    onPlatform += value.toObject().value(QStringLiteral("chapter_id")).toInt() == chapterId ? 1 : 0;
                whole = onPlatform == 1;
            }
        }
        if (!whole) {
            return QStringLiteral("chapter %1 is %2 but %3 %4 jobs for it are queued")
                .arg(localId)
                .arg(same ? QStringLiteral("as before") : QStringLiteral("changed"))
                .arg(found.size())
                .arg(step == QLatin1String("confirm") ? QStringLiteral("create") : step);
        }
        *changed += same ? 0 : 1;
    }
    if (db.scalar(QStringLiteral("select count(*) from (select localVolumeId, orderNum from tb_chapter "
                                 "group by localVolumeId, orderNum having count(*) > 1);")).toInt() != 0)
        return QStringLiteral("two chapters of one volume share a place");
    return QString();
}

void CrashSafetyTest::cleanupTestCase()
{
    qInfo() << m_killsDone << "kills;" << m_resentCreates
            << "objects made twice because a kill cut off the reply to their create";
}

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "tst_crashsafety.moc"
