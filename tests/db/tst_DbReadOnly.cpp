// A database the author cannot write, locked, on a full disk or damaged: the
// start-up stops, says why and names the file, and once the cause is gone
// the next start works on the data as it was.
//
// File modes do not bind root. Run as root (as CI does), the test runs
// itself again as the unprivileged user "nobody", from a copy of the
// executable and the client library in a folder that user owns: the build
// tree may lie under a home only root may enter. When root cannot drop its
// privileges the test fails rather than pass without testing anything.

#include "DbFixture.h"
#include "WhenShown.h"

#include "db/DbFault.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "ui/common/BkMessageBox.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

int runDbTestSqlText(int, char**) { return 0; }
int runDbTestLifecycle(int, char**) { return 0; }
int runDbTestJobQueue(int, char**) { return 0; }
int runDbTestServerIds(int, char**) { return 0; }
int runDbTestStatistics(int, char**) { return 0; }

namespace {
const char kChildMark[] = "TST_DB_READONLY_UNPRIVILEGED";
constexpr QFile::Permissions kModeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
    | QFile::ExeOther;

QFile::Permissions mode(const QString& path)
{
    return QFile::permissions(path) & kModeBits;
}

bool setMode(const QString& path, int octal)
{
    QFile::Permissions p;
    const QFile::Permission bits[] = {QFile::ExeOther, QFile::WriteOther, QFile::ReadOther,
                                      QFile::ExeGroup, QFile::WriteGroup, QFile::ReadGroup,
                                      QFile::ExeOwner, QFile::WriteOwner, QFile::ReadOwner};
    for (int i = 0; i < 9; ++i) {
        if (octal & (1 << i))
            p |= bits[i];
    }
    return QFile::setPermissions(path, p);
}

// The program's start on the file; when it fails, the text of the message
// box the author is shown. during runs around the start alone.
QString startFailureShown(const QString& dbFile, const QString& programDir,
                          const std::function<void(bool)>& during = {})
{
    CJobManager* jobs = CJobManager::instance();
    if (during)
        during(true);
    const bool started = jobs->init(dbFile, programDir);
    if (during)
        during(false);
    if (started) {
        jobs->close();
        return QString();
    }
    QString text;
    whenShown<BkMessageBox>([&text](BkMessageBox* box) {
        text = box->textLabel()->text();
        box->accept();
    });
    CUiManager::showStartFailure(jobs->initErrorText());
    return text;
}

}

class tst_DbReadOnly : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(::geteuid() != 0, "file modes do not bind root: this test must run unprivileged");
    }

    void readOnlyDatabaseStopsTheStartAndSaysSo()
    {
        DbFixture f;
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'kept')")));
        f.release();
        const QString folder = QFileInfo(f.dbFile()).absolutePath();
        QVERIFY(setMode(f.dbFile(), 0444));
        QVERIFY(setMode(folder, 0555));

        const QString shown = startFailureShown(f.dbFile(), f.programDbDir());
        // Read-only folders are narrowed, never opened up.
        const QFile::Permissions folderMode = mode(folder);
        setMode(folder, 0700);
        setMode(f.dbFile(), 0600);
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("read-only")), qPrintable(shown));
        QCOMPARE(folderMode, QFile::ReadOwner | QFile::ExeOwner);

        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 1);
    }

    void startOnAReadOnlyFileLeavesNoLockOut()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        QVERIFY(setMode(f.dbFile(), 0400));
        QVERIFY(!f.init());
        f.release();
        // SQLite left its -wal and -shm files beside it, as read-only as the file.
        QVERIFY(QFile::exists(f.dbFile() + QStringLiteral("-shm")));

        QVERIFY(setMode(f.dbFile(), 0600));
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'after')")));
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 1);
    }

    void lockedDatabaseStopsTheStartAndSaysSo()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(f.dbFile());
        QVERIFY(holder.open());
        {
            QSqlQuery query(holder);
            QVERIFY(query.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE;")));
            QVERIFY(query.exec(QStringLiteral("BEGIN EXCLUSIVE;")));
            QVERIFY(query.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'held')")));
        }
        const QString shown = startFailureShown(f.dbFile(), f.programDbDir());
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("locked by another program")), qPrintable(shown));
    }

    void fullDiskStopsTheStartAndSaysSo()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        rlimit previous{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        // Every write into a file fails during the start, as on a full disk.
        const QString shown = startFailureShown(f.dbFile(), f.programDbDir(), [previous](bool on) {
            rlimit limit = previous;
            if (on)
                limit.rlim_cur = 1;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        std::signal(SIGXFSZ, previousSignal);
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("disk is full")), qPrintable(shown));
    }

    void damagedFileStopsTheStartAndNamesTheNewestBackup()
    {
        DbFixture f;
        f.writeFile(f.dbFile(), QByteArray(8192, 'x'));
        const QDir backups(CUiManager::backupFolder());
        const QStringList names{QStringLiteral("2025-12-31-23-59-59.db"), QStringLiteral("2026-01-02-03-04-05.db"),
                                QStringLiteral("notes.db")};
        for (const QString& name : names)
            f.writeFile(backups.filePath(name), "backup");

        const QString shown = startFailureShown(f.dbFile(), f.programDbDir());
        for (const QString& name : names)
            QFile::remove(backups.filePath(name));
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("damaged")), qPrintable(shown));
        QVERIFY2(shown.contains(QDir::toNativeSeparators(backups.filePath(names.at(1)))), qPrintable(shown));
    }
};

namespace {
int failUnprivilegedRun(const QString& why)
{
    std::printf("FAIL!  : tst_DbReadOnly cannot run as an unprivileged user: %s\n", qPrintable(why));
    std::fflush(stdout);
    return 1;
}

bool chownTree(const QString& folder, uid_t uid, gid_t gid)
{
    bool ok = ::chown(QFile::encodeName(folder).constData(), uid, gid) == 0;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = ::lchown(QFile::encodeName(it.next()).constData(), uid, gid) == 0 && ok;
    return ok;
}

// Runs this test again as "nobody"; its exit code.
int runUnprivileged(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        return failUnprivilegedRun(QStringLiteral("there is no user \"nobody\""));
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return failUnprivilegedRun(QStringLiteral("setpriv (util-linux) is not installed"));

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tst_db_readonly-XXXXXX"));
    if (!home.isValid())
        return failUnprivilegedRun(QStringLiteral("no temporary folder"));
    const QString bin = home.filePath(QStringLiteral("bin"));
    for (const char* sub : {"bin", "tmp", "run", "config"})
        QDir(home.path()).mkdir(QLatin1String(sub));
    const QString exe = bin + QLatin1Char('/') + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    Dl_info library{};
    if (::dladdr(reinterpret_cast<void*>(&dbFaultOf), &library) == 0 || library.dli_fname == nullptr)
        return failUnprivilegedRun(QStringLiteral("the client library cannot be found"));
    const QString libraryFile = QFile::decodeName(library.dli_fname);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), exe)
        || !QFile::copy(libraryFile, bin + QLatin1Char('/') + QFileInfo(libraryFile).fileName()))
        return failUnprivilegedRun(QStringLiteral("cannot copy the executable and the client library"));
    if (!chownTree(home.path(), uid, gid) || !setMode(home.path(), 0700) || !setMode(home.filePath(QStringLiteral("run")), 0700))
        return failUnprivilegedRun(QStringLiteral("cannot give the folder to nobody"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMark), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), bin);
    QStringList arguments{QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(gid),
                          QStringLiteral("--clear-groups"), QStringLiteral("--"), exe};
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(home.path());
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(setpriv, arguments);
    if (!child.waitForStarted(-1))
        return failUnprivilegedRun(child.errorString());
    child.waitForFinished(-1);
    if (child.exitStatus() != QProcess::NormalExit)
        return failUnprivilegedRun(QStringLiteral("the unprivileged run crashed"));
    return child.exitCode();
}
}

int main(int argc, char** argv)
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet(kChildMark))
        return runUnprivileged(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    tst_DbReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DbReadOnly.moc"
