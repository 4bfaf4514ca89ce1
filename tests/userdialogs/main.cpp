// The user-information and import-rules dialogs against a signed-in demo
// author of the stand-in.

#include "JobsFixture.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTranslator>

int runUserDialogTests(int argc, char** argv);

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
    // The texts the author sees, as in the program.
    QTranslator translator;
    if (translator.load(QStringLiteral(":/res/client.qm")))
        app.installTranslator(&translator);
    DPIAdapter::instance()->setScaleForTest(1.0);
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->applyStyle(StyleLight);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();

    int failures = 0;
    failures += runUserDialogTests(argc, argv);
    server.stop();
    return failures;
}
