// One executable for the job queue: the stand-in is started once, the client
// pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runJobDrainTests(int argc, char** argv);
int runJobReplyTests(int argc, char** argv);
int runJobFacadeTests(int argc, char** argv);
int runJobFaultTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runJobDrainTests, runJobReplyTests, runJobFacadeTests, runJobFaultTests});
}
