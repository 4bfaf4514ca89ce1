// One executable for the job queue: the stand-in is started once, the client
// pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

int runJobDrainTests(int argc, char** argv);
int runJobReplyTests(int argc, char** argv);
int runJobFacadeTests(int argc, char** argv);
int runJobFaultTests(int argc, char** argv);

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
    failures += runJobDrainTests(argc, argv);
    failures += runJobReplyTests(argc, argv);
    failures += runJobFacadeTests(argc, argv);
    failures += runJobFaultTests(argc, argv);
    server.stop();
    return failures;
}
