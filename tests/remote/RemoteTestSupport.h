#pragma once

#include "ReplyCatcher.h"
#include "StandinServer.h"

// The one stand-in shared by every test class of this executable; main()
// starts it and points the client at it before any test runs.
StandinServer& standin();
