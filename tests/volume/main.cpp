// One executable for the volume/chapter tree: the models on their own, then
// the controller and the chapter files on a signed-in client against the
// stand-in.

#include "JobsFixture.h"
#include "TreeTestHelpers.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

int runChapterModelTests(int argc, char** argv);
int runVolumeModelTests(int argc, char** argv);
int runTreeControllerTests(int argc, char** argv);
int runChapterFileTests(int argc, char** argv);

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
    qRegisterMetaType<T_Book*>();
    qRegisterMetaType<T_Chapter*>();
    QTranslator translator;
    if (translator.load(QStringLiteral(":/res/client.qm")))
        QCoreApplication::installTranslator(&translator);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runChapterModelTests(argc, argv);
    failures += runVolumeModelTests(argc, argv);
    failures += runTreeControllerTests(argc, argv);
    failures += runChapterFileTests(argc, argv);
    server.stop();
    return failures;
}
