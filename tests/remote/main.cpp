// One executable for the remote area: the API client against the stand-in.

#include "AreaMain.h"

int runReplyParserTests(int argc, char** argv);
int runHttpTransportTests(int argc, char** argv);
int runApiOperationTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runReplyParserTests,
                    runHttpTransportTests,
                    runApiOperationTests});
}
