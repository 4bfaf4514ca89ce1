// The settings dialog against a signed-in demo author of the stand-in.

#include "AreaMain.h"

int runSettingTests(int argc, char** argv);
int runUpdateOnlineTests(int argc, char** argv);
int runPrivateFilesTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runSettingTests, runUpdateOnlineTests, runPrivateFilesTests});
}
