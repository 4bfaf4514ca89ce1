// The window manager's shell: application lock, boss key, tray, themes and
// text services, on a signed-in start against the stand-in.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runAppLockTests(int argc, char** argv);
int runShellWindowTests(int argc, char** argv);
int runThemeAndTextTests(int argc, char** argv);

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
    failures += runAppLockTests(argc, argv);
    failures += runShellWindowTests(argc, argv);
    failures += runThemeAndTextTests(argc, argv);
    server.stop();
    return failures;
}
