// The user-information and import-rules dialogs against a signed-in demo
// author of the stand-in.

#include "AreaMain.h"

int runUserDialogTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runUserDialogTests}, Catalogue::Program);
}
