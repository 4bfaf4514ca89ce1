// One executable for the writing window's side parts: the stand-in is started
// once, the client pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

int runChapterPaneTests(int argc, char** argv);
int runEditorPartsTests(int argc, char** argv);

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
    QTranslator translator;
    if (translator.load(QStringLiteral(":/res/client.qm")))
        QCoreApplication::installTranslator(&translator);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runChapterPaneTests(argc, argv);
    failures += runEditorPartsTests(argc, argv);
    server.stop();
    return failures;
}
