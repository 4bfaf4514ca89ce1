// One executable for the book operations: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runBookOperationTests(int argc, char** argv);
int runChapterOperationTests(int argc, char** argv);
int runVolumeOutlineTests(int argc, char** argv);
int runBookReplyTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runBookOperationTests,
                    runChapterOperationTests,
                    runVolumeOutlineTests,
                    runBookReplyTests}, Catalogue::Program);
}
