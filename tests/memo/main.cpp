// One executable for the memos: the stand-in is started once, the client
// pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runMemoManagerTests(int argc, char** argv);
int runMemoWindowTests(int argc, char** argv);
int runMemoListTests(int argc, char** argv);

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
    failures += runMemoManagerTests(argc, argv);
    failures += runMemoWindowTests(argc, argv);
    failures += runMemoListTests(argc, argv);
    server.stop();
    return failures;
}
