// One executable for the account jobs: the stand-in is started once and the
// client pointed at it, then each test class runs in turn.

#include "AccountFixture.h"
#include "AreaMain.h"

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runSignInTests, runProfileUpdateTests, runAccountReplyTests, runPictureAndStatisticsTests});
}
