// The writing lock, the reboot dialog and the random-name panel: the
// stand-in is started once for the signed-in cases, then each class runs.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTranslator>

int runWritingLockDialogTests(int argc, char** argv);
int runRebootTests(int argc, char** argv);
int runRandomNameTests(int argc, char** argv);
int runLockModeTests(int argc, char** argv);

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
    QTranslator translator;
    if (translator.load(QStringLiteral(":/res/client.qm")))
        QCoreApplication::installTranslator(&translator);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runWritingLockDialogTests(argc, argv);
    failures += runRebootTests(argc, argv);
    failures += runRandomNameTests(argc, argv);
    failures += runLockModeTests(argc, argv);
    server.stop();
    return failures;
}
