// One executable for the memos: the stand-in is started once, the client
// pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runMemoManagerTests(int argc, char** argv);
int runMemoWindowTests(int argc, char** argv);
int runMemoListTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runMemoManagerTests, runMemoWindowTests, runMemoListTests});
}
