// Two real client processes: the second hands its message to the first.

#include <QProcess>
#include <QtTest>

#include <csignal>

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void secondInstanceHandsOverItsMessage();
    void staleSocketOfAKilledInstanceIsRecovered();

private:
    QProcess* start(const QStringList& arguments = {});
    QString logText() const;
    int logFileCount() const;
    bool waitForLog(const QString& text, int occurrences = 1) const;

    QTemporaryDir m_dir;
    QString m_exe;
    QList<QProcess*> m_processes;
};

void TestSingleInstance::initTestCase()
{
    // A private copy gives the test its own program directory (logs) and its
    // own instance name, apart from any client a developer is running.
    m_exe = m_dir.filePath("vellora-client");
    QVERIFY(QFile::copy(QStringLiteral(CLIENT_EXE), m_exe));
    QVERIFY(QFile::setPermissions(m_exe, QFile::permissions(QStringLiteral(CLIENT_EXE))));
}

void TestSingleInstance::cleanup()
{
    for (QProcess* process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
}

QProcess* TestSingleInstance::start(const QStringList& arguments)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", m_dir.path());
    env.insert("XDG_DATA_HOME", m_dir.filePath("data"));
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    // Nothing answers on the discard port: the client stays on this machine.
    env.insert("TESSANE_API_BASE", "http://127.0.0.1:9");
    process->setProcessEnvironment(env);
    process->setProgram(m_exe);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    m_processes.append(process);
    return process;
}

QString TestSingleInstance::logText() const
{
    QString text;
    QDir logs(m_dir.filePath("logs"));
    for (const QString& name : logs.entryList({"client_*.log"}, QDir::Files, QDir::Name)) {
        QFile file(logs.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

int TestSingleInstance::logFileCount() const
{
    return QDir(m_dir.filePath("logs")).entryList({"client_*.log"}, QDir::Files).size();
}

bool TestSingleInstance::waitForLog(const QString& text, int occurrences) const
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (logText().count(text) >= occurrences)
            return true;
        QTest::qWait(50);
    }
    return false;
}

void TestSingleInstance::secondInstanceHandsOverItsMessage()
{
    QProcess* first = start();
    QVERIFY(first->waitForStarted());
    QVERIFY2(waitForLog("job manager ready"), qPrintable(logText()));
    const int files = logFileCount();

    QProcess* second = start();
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY2(waitForLog("second instance says: \"vellora-client\""), qPrintable(logText()));

    QProcess* third = start({QStringLiteral("打开 'book' %1")});
    QVERIFY(third->waitForFinished(15000));
    QCOMPARE(third->exitCode(), 0);
    QVERIFY2(waitForLog("second instance says: \"打开 'book' %1\""), qPrintable(logText()));

    // The second and third runs handed over and left: they started nothing.
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(logFileCount(), files);
    QCOMPARE(logText().count("job manager ready"), 1);
}

void TestSingleInstance::staleSocketOfAKilledInstanceIsRecovered()
{
    QProcess* crashed = start();
    QVERIFY(crashed->waitForStarted());
    QVERIFY(waitForLog("job manager ready", 2));
    ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
    QVERIFY(crashed->waitForFinished(5000));

    QProcess* next = start();
    QVERIFY(next->waitForStarted());
    QVERIFY2(waitForLog("job manager ready", 3), qPrintable(logText()));
    QProcess* messenger = start({QStringLiteral("after crash")});
    QVERIFY(messenger->waitForFinished(15000));
    QCOMPARE(messenger->exitCode(), 0);
    QVERIFY(waitForLog("second instance says: \"after crash\""));
    QCOMPARE(next->state(), QProcess::Running);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
