#include "AreaMain.h"

#include "common/Translations.h"

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
