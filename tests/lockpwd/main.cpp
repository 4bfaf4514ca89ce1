// The lock-password dialog, alone and through the settings page, against a
// signed-in demo author of the stand-in.

#include "AreaMain.h"

int runChangeLockPwdTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runChangeLockPwdTests});
}
