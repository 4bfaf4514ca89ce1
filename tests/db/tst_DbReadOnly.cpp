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
// Modes in QFile's terms: 0x4400 is 0400, 0x5555 is 0555.
const QFile::Permissions kModeBits(0x7077);

// The program's start on the file (during runs around it alone); when it
// fails, the text of the message box the author is shown.
QString startFailureShown(const DbFixture& f, const std::function<void(bool)>& during = {})
{
    CJobManager* jobs = CJobManager::instance();
    if (during)
        during(true);
    const bool started = jobs->init(f.dbFile(), f.programDbDir());
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
        QVERIFY(QFile::setPermissions(f.dbFile(), QFile::Permissions(0x4444)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));

        const QString shown = startFailureShown(f);
        // A read-only folder is narrowed, never opened up.
        const QFile::Permissions folderMode = QFile::permissions(folder) & kModeBits;
        QFile::setPermissions(folder, QFile::Permissions(0x7700));
        QFile::setPermissions(f.dbFile(), QFile::Permissions(0x6600));
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("read-only")), qPrintable(shown));
        QCOMPARE(folderMode, QFile::Permissions(0x5000));

        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 1);
    }

    void startOnAReadOnlyFileLeavesNoLockOut()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        QVERIFY(QFile::setPermissions(f.dbFile(), QFile::Permissions(0x4400)));
        QVERIFY(!f.init());
        f.release();
        // SQLite left its -shm file beside it, as read-only as the file.
        QVERIFY(QFile::exists(f.dbFile() + QStringLiteral("-shm")));

        QVERIFY(QFile::setPermissions(f.dbFile(), QFile::Permissions(0x6600)));
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'after')")));
    }

    void otherFaultsStopTheStartAndSaySo_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told");
        QTest::newRow("locked") << "locked" << "locked by another program";
        QTest::newRow("disk full") << "full" << "disk is full";
        QTest::newRow("damaged") << "damaged" << "damaged";
    }

    void otherFaultsStopTheStartAndSaySo()
    {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        QString shown;
        const QDir backups(CUiManager::backupFolder());
        const QStringList names{QStringLiteral("2025-12-31-23-59-59.db"), QStringLiteral("2026-01-02-03-04-05.db"),
                                QStringLiteral("notes.db")};
        if (fault == QLatin1String("locked")) {
            QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            holder.setDatabaseName(f.dbFile());
            QVERIFY(holder.open());
            QSqlQuery(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE;"), holder);
            QVERIFY(QSqlQuery(holder).exec(QStringLiteral("BEGIN EXCLUSIVE;")));
            shown = startFailureShown(f);
            holder.close();
            holder = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        } else if (fault == QLatin1String("full")) {
            // Every write into a file fails during the start.
            rlimit previous{};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
            const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
            shown = startFailureShown(f, [previous](bool on) {
                rlimit limit = previous;
                limit.rlim_cur = on ? 1 : previous.rlim_cur;
                setrlimit(RLIMIT_FSIZE, &limit);
            });
            std::signal(SIGXFSZ, previousSignal);
        } else {
            // Only a sound copy is named: these are copies of the file while it was whole.
            for (const QString& name : names)
                QVERIFY(QFile::copy(f.dbFile(), backups.filePath(name)));
            f.writeFile(f.dbFile(), QByteArray(8192, 'x'));
            shown = startFailureShown(f);
            for (const QString& name : names)
                QFile::remove(backups.filePath(name));
            // The newest dated copy is where the author is sent.
            QVERIFY2(shown.contains(QDir::toNativeSeparators(backups.filePath(names.at(1)))), qPrintable(shown));
        }
        QVERIFY2(shown.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(shown));
        QVERIFY2(shown.contains(told), qPrintable(shown));
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
    QDir().mkdir(bin);
    const QString exe = bin + QLatin1Char('/') + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    Dl_info library{};
    if (::dladdr(reinterpret_cast<void*>(&dbFaultOf), &library) == 0 || library.dli_fname == nullptr)
        return failUnprivilegedRun(QStringLiteral("the client library cannot be found"));
    const QString libraryFile = QFile::decodeName(library.dli_fname);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), exe)
        || !QFile::copy(libraryFile, bin + QLatin1Char('/') + QFileInfo(libraryFile).fileName()))
        return failUnprivilegedRun(QStringLiteral("cannot copy the executable and the client library"));
    if (!chownTree(home.path(), uid, gid))
        return failUnprivilegedRun(QStringLiteral("cannot give the folder to nobody"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMark), QStringLiteral("1"));
    // Every place the run writes to is in its own folder (0700, its owner's).
    for (const char* name : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR"})
        env.insert(QLatin1String(name), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
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
