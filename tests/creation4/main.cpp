// The writing window's tools as the author reaches them: the chapter tree's
// menu, the recycle bin's menu, focus mode and the floating parts, themes,
// keys and sounds, and how the window fits the screen.

#include "AreaMain.h"

#include "common/DPIAdapter.h"
#include "ui/common/StartupLook.h"

int runTreeAndBinTests(int argc, char** argv);
int runFocusAndFloatingTests(int argc, char** argv);
int runThemeAndKeyTests(int argc, char** argv);
int runWindowFitTests(int argc, char** argv);

// The skins the program loads at start, so that they really switch.
int main(int argc, char** argv)
{
    // A run at another scale (CTest gives it), before any window is built.
    const double scale = qEnvironmentVariable("TEST_DPI_SCALE").toDouble();
    if (scale > 0)
        DPIAdapter::instance()->setScaleForTest(scale);
    return runArea(argc, argv,
                   {runTreeAndBinTests, runFocusAndFloatingTests, runThemeAndKeyTests, runWindowFitTests},
                   Catalogue::Program, StartupLook::loadSkins);
}
