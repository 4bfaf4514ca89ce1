// The writing window's tools as the author reaches them: the chapter tree's
// menu, the recycle bin's menu, focus mode and the floating parts, themes,
// keys and sounds, and how the window fits the screen.

#include "JobsFixture.h"

#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

int runTreeAndBinTests(int argc, char** argv);
int runFocusAndFloatingTests(int argc, char** argv);
int runThemeAndKeyTests(int argc, char** argv);
int runWindowFitTests(int argc, char** argv);

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
    // The themes the program loads at start, so that skins really switch.
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->setQssStyle(StyleKraft, QStringLiteral(":/res/qss/kraft.qss"));
    qss->setQssStyle(StyleCustom, QStringLiteral(":/res/qss/custom.qss"));
    qss->applyStyle(StyleLight);

    int failures = 0;
    failures += runTreeAndBinTests(argc, argv);
    failures += runFocusAndFloatingTests(argc, argv);
    failures += runThemeAndKeyTests(argc, argv);
    failures += runWindowFitTests(argc, argv);
    server.stop();
    return failures;
}
