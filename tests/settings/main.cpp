// The settings dialog against a signed-in demo author of the stand-in.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>

int runSettingTests(int argc, char** argv);
int runUpdateOnlineTests(int argc, char** argv);
int runPrivateFilesTests(int argc, char** argv);

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
    int failures = runSettingTests(argc, argv);
    failures += runUpdateOnlineTests(argc, argv);
    failures += runPrivateFilesTests(argc, argv);
    server.stop();
    return failures;
}
