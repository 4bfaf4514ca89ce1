// One executable for the chapter history tools: the stand-in is started once,
// the client pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

int runTimeMachineTests(int argc, char** argv);
int runRecycleBinTests(int argc, char** argv);
int runSensitiveWordsPanelTests(int argc, char** argv);
int runLongVersionsTests(int argc, char** argv);

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
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runTimeMachineTests(argc, argv);
    failures += runRecycleBinTests(argc, argv);
    failures += runSensitiveWordsPanelTests(argc, argv);
    failures += runLongVersionsTests(argc, argv);
    server.stop();
    return failures;
}
