// The lock-password dialog, alone and through the settings page, against a
// signed-in demo author of the stand-in.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runChangeLockPwdTests(int argc, char** argv);

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
    const int failures = runChangeLockPwdTests(argc, argv);
    server.stop();
    return failures;
}
