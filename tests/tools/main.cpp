// One executable for the chapter history tools: the stand-in is started once,
// the client pointed at it, then each test class runs in turn.

#include "AreaMain.h"

int runTimeMachineTests(int argc, char** argv);
int runRecycleBinTests(int argc, char** argv);
int runSensitiveWordsPanelTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runTimeMachineTests, runRecycleBinTests, runSensitiveWordsPanelTests},
                   Catalogue::Program);
}
