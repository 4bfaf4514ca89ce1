#pragma once

#include "StandinServer.h"

#include <initializer_list>

class QObject;

// The stand-in this executable started; the areas' fixtures reach it here.
StandinServer& standin();

using TestRunner = int (*)(int argc, char** argv);

// Whether the author's texts read as in the program or as in the source.
enum class Catalogue { Source, Program };

// The start-up every area executable shares: an application, the stand-in
// started once with the client pointed at it, then each test class in turn.
// setUp runs once the application exists. Returns the number of failures.
// Takes the program's catalogue out (false) or puts it back (true), in an
// executable started with Catalogue::Program: what a build without the
// catalogue, or a catalogue without the text, falls back to.
void useProgramCatalogue(bool on);

int runArea(int argc, char** argv, std::initializer_list<TestRunner> runners,
            Catalogue catalogue = Catalogue::Source, void (*setUp)() = nullptr);

// Runs a test class as QTest::qExec does; with AREA_PART=k/n set and no test
// function named on the command line, only every n-th of its functions from
// the k-th on (counted from 1), so that CTest can run one long class as
// several runs side by side.
int runPart(QObject* test, int argc, char** argv);
