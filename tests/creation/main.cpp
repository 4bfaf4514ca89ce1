// One executable for the writing window: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runWritingSaveTests(int argc, char** argv);
int runWritingTickTests(int argc, char** argv);
int runChapterEditorTests(int argc, char** argv);
int runToolBarTests(int argc, char** argv);
int runSearchTests(int argc, char** argv);
int runChapterLayoutTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runWritingSaveTests, runWritingTickTests, runChapterEditorTests, runToolBarTests,
                    runSearchTests, runChapterLayoutTests},
                   Catalogue::Program);
}
