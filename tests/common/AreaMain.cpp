#include "AreaMain.h"

#include "common/Translations.h"

#include <QApplication>
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
