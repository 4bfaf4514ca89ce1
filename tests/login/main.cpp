// One executable for the login pages: the stand-in is started once and the
// client pointed at it, then each test class runs in turn.

#include "LoginFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runSignInPageTests(int argc, char** argv);
int runRegisterPageTests(int argc, char** argv);

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
    failures += runSignInPageTests(argc, argv);
    failures += runRegisterPageTests(argc, argv);
    server.stop();
    return failures;
}
