// The writing window's tools as the author reaches them: the chapter tree's
// menu, the recycle bin's menu, focus mode and the floating parts, themes,
// keys and sounds, and how the window fits the screen.

#include "AreaMain.h"

#include "common/StyleType.h"
#include "manager/CQssManager.h"

int runTreeAndBinTests(int argc, char** argv);
int runFocusAndFloatingTests(int argc, char** argv);
int runThemeAndKeyTests(int argc, char** argv);
int runWindowFitTests(int argc, char** argv);

namespace {
// The themes the program loads at start, so that skins really switch.
void loadThemes()
{
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->setQssStyle(StyleKraft, QStringLiteral(":/res/qss/kraft.qss"));
    qss->setQssStyle(StyleCustom, QStringLiteral(":/res/qss/custom.qss"));
    qss->applyStyle(StyleLight);
}
}

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runTreeAndBinTests, runFocusAndFloatingTests, runThemeAndKeyTests, runWindowFitTests},
                   Catalogue::Program, loadThemes);
}
