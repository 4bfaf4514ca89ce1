#include "AreaMain.h"

#include "common/Translations.h"

#include <QApplication>
#include <QMetaMethod>
#include <QtTest>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>

namespace {
StandinServer* g_standin = nullptr;
QTranslator* g_catalogue = nullptr;
}

void useProgramCatalogue(bool on)
{
    if (g_catalogue == nullptr)
        return;
    if (on)
        QCoreApplication::installTranslator(g_catalogue);
    else
        QCoreApplication::removeTranslator(g_catalogue);
}

StandinServer& standin()
{
    return *g_standin;
}

int runArea(int argc, char** argv, std::initializer_list<TestRunner> runners, Catalogue catalogue,
            void (*setUp)())
{
    // Every temporary file and folder of the run goes into one folder, which
    // the stand-in removes if the run is killed or crashes before it can.
    QTemporaryDir scratch(QDir::tempPath() + QLatin1Char('/') + QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                          + QStringLiteral("-XXXXXX"));
    if (!scratch.isValid()) {
        qCritical("no temporary folder");
        return 1;
    }
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (catalogue == Catalogue::Program) {
        g_catalogue = installClientCatalogue(app);
        if (g_catalogue == nullptr) {
            qCritical("the program's catalogue did not load");
            return 1;
        }
        if (!installQtCatalogue(app)) {
            qCritical("Qt's Chinese catalogue did not load");
            return 1;
        }
    }
    if (setUp)
        setUp();
    StandinServer server;
    server.setParentFolder(scratch.path());
    g_standin = &server;
    if (!server.start()) {
        qCritical("the stand-in platform did not start");
        return 1;
    }
    server.exportApiBase();
    // AREA_CLASS=N runs the Nth test class only (counted from 1), so that a
    // function of one class can be named without the others' test runner
    // refusing the name; AREA_CLASS=N,M,... runs those classes (CTest splits
    // a long area into runs of its own that way).
    QSet<int> only;
    for (const QString& number : qEnvironmentVariable("AREA_CLASS").split(QLatin1Char(','), Qt::SkipEmptyParts))
        only.insert(number.trimmed().toInt());
    int failures = 0;
    int index = 0;
    for (TestRunner run : runners) {
        ++index;
        if (only.isEmpty() || only.contains(index))
            failures += run(argc, argv);
    }
    server.stop();
    g_catalogue = nullptr;
    return failures;
}

int runPart(QObject* test, int argc, char** argv)
{
    const QStringList part = qEnvironmentVariable("AREA_PART").split(QLatin1Char('/'));
    bool named = false;
    for (int i = 1; i < argc; ++i)
        named = named || argv[i][0] != '-';
    if (part.size() != 2 || named)
        return QTest::qExec(test, argc, argv);
    const int which = part.at(0).toInt();
    const int parts = part.at(1).toInt();
    if (parts < 1 || which < 1 || which > parts) {
        qCritical("AREA_PART wants k/n with 1 <= k <= n");
        return 1;
    }
    static const QSet<QByteArray> frame = {"initTestCase", "cleanupTestCase", "init", "cleanup"};
    QList<QByteArray> functions;
    const QMetaObject* meta = test->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private
            || method.parameterCount() != 0 || frame.contains(method.name()) || method.name().endsWith("_data"))
            continue;
        functions << method.name();
    }
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i)
        args << QByteArray(argv[i]);
    int chosen = 0;
    for (int i = which - 1; i < functions.size(); i += parts, ++chosen)
        args << functions.at(i);
    if (chosen == 0)
        return 0;
    std::vector<char*> pointers;
    for (QByteArray& arg : args)
        pointers.push_back(arg.data());
    return QTest::qExec(test, int(pointers.size()), pointers.data());
}
