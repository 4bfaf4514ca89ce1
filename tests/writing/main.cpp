// The writing window against deletes, recycles, failed saves and the change
// feed: the stand-in is started once, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

int runNeverLoseWordsTests(int argc, char** argv);
int runWritingWalkTests(int argc, char** argv);

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
    failures += runNeverLoseWordsTests(argc, argv);
    failures += runWritingWalkTests(argc, argv);
    server.stop();
    return failures;
}
