// Every window of the client, as an author on a Chinese desktop sees it.

#include "AreaMain.h"

int runEveryWindowFitsTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv, {runEveryWindowFitsTests}, Catalogue::Program);
}
