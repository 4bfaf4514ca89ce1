#include "AreaMain.h"

#include <QApplication>
#include <QStandardPaths>
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
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTranslator translator;
    if (catalogue == Catalogue::Program) {
        if (!translator.load(QStringLiteral(":/res/client.qm"))) {
            qCritical("the program's catalogue did not load");
            return 1;
        }
        QCoreApplication::installTranslator(&translator);
        g_catalogue = &translator;
    }
    if (setUp)
        setUp();
    StandinServer server;
    g_standin = &server;
    if (!server.start()) {
        qCritical("the stand-in platform did not start");
        return 1;
    }
    server.exportApiBase();
    int failures = 0;
    for (TestRunner run : runners)
        failures += run(argc, argv);
    server.stop();
    g_catalogue = nullptr;
    return failures;
}
