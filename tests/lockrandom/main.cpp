// The writing lock, the reboot dialog and the random-name panel: the
// stand-in is started once for the signed-in cases, then each class runs.

#include "AreaMain.h"

int runRebootTests(int argc, char** argv);
int runRandomNameTests(int argc, char** argv);
int runLockModeTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runRebootTests,
                    runRandomNameTests,
                    runLockModeTests}, Catalogue::Program);
}
