// One executable for text import and export: the stand-in is started once
// (the add-book request of an import goes to it), then each class runs.

#include "AreaMain.h"

int runBookImportTests(int argc, char** argv);
int runBookImportBadInputTests(int argc, char** argv);
int runBookExportTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runBookImportTests, runBookImportBadInputTests, runBookExportTests}, Catalogue::Program);
}
