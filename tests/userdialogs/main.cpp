// The user-information and import-rules dialogs against a signed-in demo
// author of the stand-in.

#include "AreaMain.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

int runUserDialogTests(int argc, char** argv);

namespace {
void lightSkinAtScaleOne()
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
    return runArea(argc, argv, {runUserDialogTests}, Catalogue::Program, lightSkinAtScaleOne);
}
