// The writing window's tools: panels, tool commands, writing settings and the
// sensitive-word window, on one stand-in platform.

#include "AreaMain.h"

int runToolPanelTests(int argc, char** argv);
int runWritingSettingsTests(int argc, char** argv);
int runSensitiveWordsWindowTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runToolPanelTests, runWritingSettingsTests, runSensitiveWordsWindowTests},
                   Catalogue::Program);
}
