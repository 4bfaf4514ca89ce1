// The change feed and the system manager against the stand-in: started once,
// the client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runFeedTests(int argc, char** argv);
int runSystemManagerTests(int argc, char** argv);
int runFeedFaultTests(int argc, char** argv);
int runFeedConvergenceTests(int argc, char** argv);
int runFeedTwoMachinesTests(int argc, char** argv);
int runMachinesAgreeTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runFeedTests, runSystemManagerTests, runFeedFaultTests, runFeedTwoMachinesTests,
                    runFeedConvergenceTests, runMachinesAgreeTests});
}
