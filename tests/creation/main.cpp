// One executable for the writing window: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "JobsFixture.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

int runWritingSaveTests(int argc, char** argv);
int runWritingTickTests(int argc, char** argv);
int runChapterEditorTests(int argc, char** argv);
int runToolBarTests(int argc, char** argv);
int runBottomBarTests(int argc, char** argv);
int runToastTests(int argc, char** argv);
int runSearchTests(int argc, char** argv);
int runSearchMarksTests(int argc, char** argv);
int runFullScreenTests(int argc, char** argv);

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
    failures += runWritingSaveTests(argc, argv);
    failures += runWritingTickTests(argc, argv);
    failures += runChapterEditorTests(argc, argv);
    failures += runToolBarTests(argc, argv);
    failures += runBottomBarTests(argc, argv);
    failures += runToastTests(argc, argv);
    failures += runSearchTests(argc, argv);
    failures += runSearchMarksTests(argc, argv);
    failures += runFullScreenTests(argc, argv);
    server.stop();
    return failures;
}
