// The writing window's tools: panels, tool commands, writing settings and
// typing sounds, on one stand-in platform.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

int runToolPanelTests(int argc, char** argv);
int runWritingSettingsTests(int argc, char** argv);
int runTypingSoundTests(int argc, char** argv);
int runSensitiveWordsWindowTests(int argc, char** argv);

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
    // Sounds first: their players are made by the first key of the run.
    failures += runTypingSoundTests(argc, argv);
    failures += runToolPanelTests(argc, argv);
    failures += runWritingSettingsTests(argc, argv);
    failures += runSensitiveWordsWindowTests(argc, argv);
    server.stop();
    return failures;
}
