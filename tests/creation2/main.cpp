// One executable for the writing window's side parts: the stand-in is started
// once, the client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runEditorPartsTests(int argc, char** argv);
int runFastPathsTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runEditorPartsTests, runFastPathsTests}, Catalogue::Program);
}
