// The writing window's tools: panels, tool commands, writing settings and
// typing sounds, on one stand-in platform.

#include "AreaMain.h"

int runToolPanelTests(int argc, char** argv);
int runWritingSettingsTests(int argc, char** argv);
int runTypingSoundTests(int argc, char** argv);
int runSensitiveWordsWindowTests(int argc, char** argv);

int main(int argc, char** argv)
{
    // Sounds first: their players are made by the first key of the run.
    return runArea(argc, argv,
                   {runTypingSoundTests, runToolPanelTests, runWritingSettingsTests, runSensitiveWordsWindowTests},
                   Catalogue::Program);
}
