#include "Log/CLog.h"
#include "common/PrivateFiles.h"

#include <QThread>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
}

class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recordIsByteExact();
    void recordsFromOtherThreadsAreWrittenByTheEventLoop();
    void logsAndCrashReportsArePrivateAndOldOnesAreNarrowed();
    void unwritableLogFolderKeepsTheProgramGoing();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestLog::initTestCase()
{
    m_path = m_dir.filePath("logs/client_2024_01_31_09_05_07.log");
    CLog::instance()->init(m_path);
    QVERIFY(QFileInfo::exists(m_path));
}

void TestLog::recordIsByteExact()
{
    const int before = readAll(m_path).size();
    const int line = __LINE__ + 1;
    qDebug().noquote() << "x";
    QCoreApplication::processEvents();
    const QByteArray written = readAll(m_path).mid(before);
    const QRegularExpression record(QStringLiteral(
        "^\\[Debug\\]\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d-\\d{1,3}\\]"
        "\\[tests/Log/tst_log\\.cpp\\]\\[%1\\]\\[void TestLog::recordIsByteExact\\(\\)\\]x\r\n\n$")
                                        .arg(line));
    QVERIFY2(record.match(QString::fromUtf8(written)).hasMatch(), written.constData());
}

void TestLog::recordsFromOtherThreadsAreWrittenByTheEventLoop()
{
    const int before = readAll(m_path).size();
    QThread* worker = QThread::create([]() {
        for (int i = 0; i < 50; ++i)
            qWarning() << "worker record" << i;
    });
    worker->start();
    QVERIFY(worker->wait(10000));
    delete worker;
    // Nothing reaches the file until the GUI thread runs its loop.
    QCOMPARE(readAll(m_path).size(), before);
    QCoreApplication::processEvents();
    const QList<QByteArray> records = readAll(m_path).mid(before).split('\n');
    int seen = 0;
    for (const QByteArray& record : records) {
        if (record.contains("worker record")) {
            QVERIFY(record.startsWith("[Warning]["));
            QVERIFY(record.endsWith("worker record " + QByteArray::number(seen) + "\r"));
            ++seen;
        }
    }
    QCOMPARE(seen, 50);
}

void TestLog::logsAndCrashReportsArePrivateAndOldOnesAreNarrowed()
{
    const QString folder = QFileInfo(m_path).absolutePath();
    const QString crashes = folder + QStringLiteral("/crashes");
    for (const QString& path : {folder, crashes, m_path})
        QVERIFY2(PrivateFiles::isPrivate(path), qPrintable(path));

    // What an earlier run left readable by everyone is narrowed at start-up.
    const QString oldLog = folder + QStringLiteral("/client_2023_12_01_08_00_00.log");
    const QString oldReport = crashes + QStringLiteral("/old.dmp");
    for (const QString& path : {oldLog, oldReport}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setPermissions(QFileDevice::Permissions(0x6644)));
    }
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(crashes, QFileDevice::Permissions(0x7755)));
    CLog::instance()->init(m_path);
    for (const QString& path : {folder, crashes, m_path, oldLog, oldReport})
        QVERIFY2(PrivateFiles::isPrivate(path), qPrintable(path));
}

void TestLog::unwritableLogFolderKeepsTheProgramGoing()
{
    QFile blocker(m_dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = m_dir.filePath("blocker/logs/client.log");
    CLog::instance()->init(impossible);
    qDebug() << "goes to stderr only";
    QCoreApplication::processEvents();
    QVERIFY(!QFileInfo::exists(impossible));
    CLog::instance()->init(m_path);
}

QTEST_MAIN(TestLog)
#include "tst_log.moc"
