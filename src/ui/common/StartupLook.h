#pragma once

class QSize;

// The look the client starts with: the display scale from the settings file,
// the skins' style sheets composed at that scale, and the fonts. The program
// and the layout test start through these two steps, so the test measures
// the windows an author sees.
namespace StartupLook {

// Before the application object exists: the scale named in the settings file
// beside the executable (Qt's own scaling must be chosen this early).
void beforeApplication(const char* argv0);

// Once the application object exists: a scale whose windows the screen cannot
// hold is dropped, every skin's sheet is composed at the scale kept, the light
// skin applied, and the application font set.
void apply();

// Every skin's sheet composed at the current scale, the light one applied.
void loadSkins();

// Whether the screen's available area holds the largest window the client
// opens at the current scale; when it does not, the scale counts as absent
// (1.0) and a line says so in the log. Returns whether the scale was kept.
bool keepScaleThatFits(const QSize& screen, const QSize& available);

} // namespace StartupLook
