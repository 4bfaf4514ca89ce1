// One executable for the remote area: the stand-in is started once, the
// client is pointed at it, then each test class runs in turn.

#include "RemoteTestSupport.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>

int runRequestIdentityTests(int argc, char** argv);
int runReplyParserTests(int argc, char** argv);
int runHttpTransportTests(int argc, char** argv);
int runApiOperationTests(int argc, char** argv);

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
    if (server.start())
        server.exportApiBase();

    int failures = 0;
    failures += runRequestIdentityTests(argc, argv);
    failures += runReplyParserTests(argc, argv);
    failures += runHttpTransportTests(argc, argv);
    failures += runApiOperationTests(argc, argv);
    server.stop();
    return failures;
}
