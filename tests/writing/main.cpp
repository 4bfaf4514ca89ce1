// The writing window against deletes, recycles, failed saves and the change
// feed: the stand-in is started once, then each test class runs in turn.

#include "AreaMain.h"

int runNeverLoseWordsTests(int argc, char** argv);
int runWritingWalkTests(int argc, char** argv);
int runElsewhereChangesTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runNeverLoseWordsTests, runWritingWalkTests, runElsewhereChangesTests});
}
