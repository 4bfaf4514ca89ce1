// Crash dumps: real helper processes that crash, and the upload of dumps to
// the stand-in platform.

#include "Log/QBreakpad/handler/QBreakpadHandler.h"
#include "Log/QBreakpad/handler/QBreakpadHttpUploader.h"
#include "common/PrivateFiles.h"
#include "StandinServer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

struct HelperRun
{
    bool started = false;
    int signal = 0;     // the signal that ended it, 0 when it exited
    int exitCode = -1;
    QString output;
};

// fork/exec rather than QProcess: the test needs the signal that ended the child.
HelperRun runHelper(const QString& logFile, const QByteArray& mode, const QString& outputFile)
{
    HelperRun run;
    const QByteArray exe = QByteArrayLiteral(CRASH_HELPER);
    const QByteArray log = QFile::encodeName(logFile);
    const QByteArray out = QFile::encodeName(outputFile);
    const pid_t child = fork();
    if (child < 0)
        return run;
    if (child == 0) {
        // A crash test must not leave core files behind.
        struct rlimit noCore = {0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (!freopen(out.constData(), "w", stdout))
            _exit(126);
        execl(exe.constData(), exe.constData(), log.constData(), mode.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    run.started = true;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return run;
    if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    else if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    QFile output(outputFile);
    if (output.open(QIODevice::ReadOnly))
        run.output = QString::fromUtf8(output.readAll());
    return run;
}

const QRegularExpression kDumpName(QStringLiteral(
    "^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.dmp$"));

}

class TestCrashHandler : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();


    void badMemoryAccessWritesADumpAndStillEndsBySignal();
    void dumpThatCannotBeWrittenStillEndsBySignal();

    void uploadSendsTheDumpAsAFormAndDeletesIt();
    void failedUploadKeepsTheDump();

private:
    struct Crashed
    {
        HelperRun run;
        QString logFile;
        QString dumpFolder;
        QStringList dumps;
    };
    Crashed crash(const QByteArray& mode);
    static QString readAll(const QString& path);

    QTemporaryDir m_dir;
    StandinServer m_standin;
    int m_runs = 0;
};

void TestCrashHandler::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QVERIFY(m_standin.start());
    m_standin.exportApiBase();
    QCoreApplication::setApplicationName(QStringLiteral("crash-test"));
    QCoreApplication::setApplicationVersion(QStringLiteral("4.5.6"));
}

TestCrashHandler::Crashed TestCrashHandler::crash(const QByteArray& mode)
{
    Crashed result;
    const QString runDir = m_dir.filePath(QStringLiteral("run%1").arg(++m_runs));
    QDir().mkpath(runDir);
    result.logFile = runDir + QStringLiteral("/logs/client_2024_01_02_03_04_05.log");
    result.dumpFolder = runDir + QStringLiteral("/logs/crashes");
    result.run = runHelper(result.logFile, mode, runDir + QStringLiteral("/stdout.txt"));
    result.dumps = QDir(result.dumpFolder).entryList(QDir::Files);
    return result;
}

QString TestCrashHandler::readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestCrashHandler::badMemoryAccessWritesADumpAndStillEndsBySignal()
{
    const Crashed crashed = crash("segv");
    QVERIFY(crashed.run.started);
    QCOMPARE(crashed.run.signal, SIGSEGV);
    QCOMPARE(crashed.dumps.size(), 1);
    QVERIFY2(kDumpName.match(crashed.dumps.first()).hasMatch(), qPrintable(crashed.dumps.first()));
    // The report and its folder are the author's alone.
    QVERIFY(PrivateFiles::isPrivate(crashed.dumpFolder));
    QVERIFY(PrivateFiles::isPrivate(crashed.dumpFolder + QLatin1Char('/') + crashed.dumps.first()));

    const QString report = readAll(crashed.dumpFolder + QLatin1Char('/') + crashed.dumps.first());
    QVERIFY2(report.contains(QStringLiteral("signal: 11 SIGSEGV\n")), qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("fault address: 0x0000000000000010\n")));
    QVERIFY(report.contains(QStringLiteral("log file: ") + crashed.logFile + QLatin1Char('\n')));
    const int trace = report.indexOf(QStringLiteral("backtrace:\n"));
    QVERIFY(trace > 0);
    QVERIFY2(report.indexOf(QStringLiteral("helperCrashHere"), trace) > trace, qPrintable(report));
    QVERIFY(report.endsWith(QStringLiteral("end of report\n")));
}

void TestCrashHandler::dumpThatCannotBeWrittenStillEndsBySignal()
{
    // A crash is never reported to the parent as a clean exit, dump or not.
    const Crashed crashed = crash("vanish");
    QCOMPARE(crashed.run.exitCode, -1);
    QCOMPARE(crashed.run.signal, SIGSEGV);
    QVERIFY(!QFileInfo::exists(crashed.dumpFolder));
    QVERIFY(!crashed.run.output.contains(QStringLiteral("no crash handler")));
}

void TestCrashHandler::uploadSendsTheDumpAsAFormAndDeletesIt()
{
    QVERIFY(m_standin.reset());
    const QString path = m_dir.filePath(QStringLiteral("0123abcd-0000-0000-0000-000000000001.dmp"));
    QFile dump(path);
    QVERIFY(dump.open(QIODevice::WriteOnly));
    const QByteArray bytes("crash report\nsignal: 11 SIGSEGV\n\x01\x02\xff", 35);
    dump.write(bytes);
    dump.close();

    QBreakpadHttpUploader uploader(QBreakpadHandler::uploadUrl());
    QSignalSpy finished(&uploader, &QBreakpadHttpUploader::finished);
    uploader.uploadDump(path);
    QVERIFY(finished.wait(15000));
    QVERIFY(!QFileInfo::exists(path));

    const QJsonArray journal = m_standin.journal();
    QCOMPARE(journal.size(), 1);
    const QJsonObject request = journal.first().toObject();
    QCOMPARE(request.value("method").toString(), QStringLiteral("POST"));
    QCOMPARE(request.value("path").toString(), QStringLiteral("/crash/uploadDump"));
    QCOMPARE(StandinServer::header(request, "User-Agent"), QByteArray("crash-test/4.5.6"));
    QVERIFY(StandinServer::header(request, "Content-Type").startsWith("multipart/form-data; boundary="));
    const QByteArray body = QByteArray::fromBase64(request.value("bodyBase64").toString().toLatin1());
    const int product = body.indexOf("Content-Disposition: form-data; name=\"prod\"\r\n\r\ncrash-test\r\n");
    const int version = body.indexOf("Content-Disposition: form-data; name=\"ver\"\r\n\r\n4.5.6\r\n");
    const int file = body.indexOf("form-data; name=\"upload_file_minidump\"; filename=\"0123abcd-0000-0000-0000-000000000001.dmp\"");
    QVERIFY2(product >= 0 && version > product && file > version, body.constData());
    QVERIFY(body.indexOf("Content-Type: application/octet-stream", file) > file);
    QVERIFY(body.indexOf(bytes, file) > file);
    QVERIFY(finished.first().first().toString().contains(QStringLiteral("\"code\":200")));
}

void TestCrashHandler::failedUploadKeepsTheDump()
{
    QVERIFY(m_standin.reset());
    QVERIFY(m_standin.addFault(QStringLiteral("/crash/uploadDump"), QStringLiteral("http500")));
    const QString path = m_dir.filePath(QStringLiteral("kept.dmp"));
    QFile dump(path);
    QVERIFY(dump.open(QIODevice::WriteOnly));
    dump.write("report");
    dump.close();

    QBreakpadHttpUploader uploader(QBreakpadHandler::uploadUrl());
    QSignalSpy finished(&uploader, &QBreakpadHttpUploader::finished);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Upload error: \\d+ - .+")));
    uploader.uploadDump(path);
    QVERIFY(finished.wait(15000));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(m_standin.journal().size(), 1);
}

QTEST_GUILESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
