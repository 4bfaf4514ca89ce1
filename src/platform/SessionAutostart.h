#pragma once

#include <QString>

// Starting the program with the desktop session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart) that runs this
// executable by its absolute path.
namespace SessionAutostart {
// The entry's file for the running executable.
QString entryPath();
// Writes (on) or removes (off) the entry; false when that failed.
bool setEnabled(bool on);
bool isEnabled();
}
