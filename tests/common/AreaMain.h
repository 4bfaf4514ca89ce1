#pragma once

#include "StandinServer.h"

#include <initializer_list>

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
