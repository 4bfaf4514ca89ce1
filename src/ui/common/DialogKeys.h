#pragma once

class QPushButton;
class QWidget;

// How the keyboard meets a dialog or tool window: each time it shows, its
// first field takes the keys (a line edit's text selected, so that typing
// replaces it), and Enter that no field takes presses its default button. The
// title bar's buttons never take the keys (CBaseTitleBar), so the dialog's own
// fields and buttons are all that Tab and Enter reach.
namespace DialogKeys {
// firstField is skipped while it is hidden or disabled (another page shows);
// defaultButton may be null where the focused button is the one Enter presses.
// Called again, the window's first field and default button are replaced.
void setUp(QWidget* window, QWidget* firstField, QPushButton* defaultButton = nullptr);
}
