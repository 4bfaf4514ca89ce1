// One executable for the remote area: the API client against the stand-in.

#include "AreaMain.h"

int runRequestIdentityTests(int argc, char** argv);
int runReplyParserTests(int argc, char** argv);
int runHttpTransportTests(int argc, char** argv);
int runApiOperationTests(int argc, char** argv);

int main(int argc, char** argv)
{
    return runArea(argc, argv,
                   {runRequestIdentityTests,
                    runReplyParserTests,
                    runHttpTransportTests,
                    runApiOperationTests});
}
