// One executable for the login pages: the stand-in is started once and the
// client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runSignInPageTests(int argc, char** argv);
int runRegisterPageTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runSignInPageTests, runRegisterPageTests});
}
