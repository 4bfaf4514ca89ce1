#pragma once

#include <QString>

// Where the running executable lives, known before any Qt application object
// exists (the settings file and DPI scale are read that early).
namespace ProgramPath {
// The folder holding the executable, from the kernel's view of the process;
// falls back to the folder of argv0 when that view is unavailable.
QString executableDir(const char* argv0 = nullptr);
// "<program directory>/data/config/setting.ini".
QString settingsFile(const char* argv0 = nullptr);
}
