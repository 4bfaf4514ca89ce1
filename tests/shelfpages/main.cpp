// The bookshelf as an author works it: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "ShelfHelpers.h"

int runShelfButtonsTests(int argc, char** argv);
int runBookInfoDialogTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runShelfButtonsTests, runBookInfoDialogTests}, Catalogue::Program, shelfSetUp);
}
