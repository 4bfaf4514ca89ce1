// One executable for the outline panel: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runOutlineModelTests(int argc, char** argv);
int runOutlineControllerTests(int argc, char** argv);
int runOutlinePanelTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runOutlineModelTests,
                    runOutlineControllerTests,
                    runOutlinePanelTests}, Catalogue::Program);
}
