// The window manager's shell: application lock, boss key, tray, themes and
// text services, on a signed-in start against the stand-in.

#include "AreaMain.h"

int runAppLockTests(int argc, char** argv);
int runShellWindowTests(int argc, char** argv);
int runThemeAndTextTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runAppLockTests, runShellWindowTests, runThemeAndTextTests});
}
