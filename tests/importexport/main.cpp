// One executable for text import and export: the stand-in is started once
// (the add-book request of an import goes to it), then each class runs.

#include "ImportFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTranslator>

int runBookImportTests(int argc, char** argv);
int runBookImportBadInputTests(int argc, char** argv);
int runBookExportTests(int argc, char** argv);

namespace {
StandinServer* g_standin = nullptr;
}

StandinServer& standin()
{
    return *g_standin;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // The heading patterns come from the catalogue, as in the client.
    QTranslator translator;
    if (!translator.load(QStringLiteral(":/res/client.qm")))
        return 1;
    app.installTranslator(&translator);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runBookImportTests(argc, argv);
    failures += runBookImportBadInputTests(argc, argv);
    failures += runBookExportTests(argc, argv);
    server.stop();
    return failures;
}
