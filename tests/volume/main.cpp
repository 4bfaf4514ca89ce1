// One executable for the volume/chapter tree: the models on their own, then
// the controller and the chapter files on a signed-in client against the
// stand-in.

#include "AreaMain.h"
#include "TreeTestHelpers.h"

int runChapterModelTests(int argc, char** argv);
int runVolumeModelTests(int argc, char** argv);
int runTreeControllerTests(int argc, char** argv);
int runChapterFileTests(int argc, char** argv);

namespace {
void registerRecordTypes()
{
    qRegisterMetaType<T_Book*>();
    qRegisterMetaType<T_Chapter*>();
}
}

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runChapterModelTests, runVolumeModelTests, runTreeControllerTests, runChapterFileTests},
                   Catalogue::Program, registerRecordTypes);
}
