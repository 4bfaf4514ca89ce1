// One executable for the account jobs: the stand-in is started once and the
// client pointed at it, then each test class runs in turn.

#include "AccountFixture.h"

#include <QGuiApplication>
#include <QStandardPaths>

namespace {
StandinServer* g_standin = nullptr;
}

StandinServer& standin()
{
    return *g_standin;
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    StandinServer server;
    g_standin = &server;
    if (!server.start()) {
        qCritical("the stand-in platform did not start");
        return 1;
    }
    server.exportApiBase();

    int failures = 0;
    failures += runSignInTests(argc, argv);
    failures += runProfileUpdateTests(argc, argv);
    failures += runAccountReplyTests(argc, argv);
    failures += runPictureAndStatisticsTests(argc, argv);
    server.stop();
    return failures;
}
