// One executable for the bookshelf: the stand-in is started once, the client
// pointed at it, then each test class runs in turn.

#include "AreaMain.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

int runBookListModelTests(int argc, char** argv);
int runBookshelfWindowTests(int argc, char** argv);

namespace {
void themes()
{
    DPIAdapter::instance()->setScaleForTest(1.0);
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->applyStyle(StyleLight);
}
}

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runBookListModelTests, runBookshelfWindowTests}, Catalogue::Program, themes);
}
