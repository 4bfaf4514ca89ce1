// The change feed and the system manager against the stand-in: started once,
// the client pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runFeedTests(int argc, char** argv);
int runSystemManagerTests(int argc, char** argv);
int runFeedFaultTests(int argc, char** argv);
int runFeedConvergenceTests(int argc, char** argv);

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
    failures += runFeedTests(argc, argv);
    failures += runSystemManagerTests(argc, argv);
    failures += runFeedFaultTests(argc, argv);
    failures += runFeedConvergenceTests(argc, argv);
    server.stop();
    return failures;
}
