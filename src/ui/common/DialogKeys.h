#pragma once

class QPushButton;
class QWidget;

// How the keyboard meets a dialog or tool window: when it opens (not when it
// only comes back into sight with the rest of the program), its first field
// takes the keys, a line edit's text selected so that typing replaces it; and
// Enter that no field takes presses its default button. The title bar's
// buttons never take the keys (CBaseTitleBar), so the dialog's own fields and
// buttons are all that Tab and Enter reach.
namespace DialogKeys {
// firstField is skipped while it is hidden or disabled (another page shows);
// defaultButton may be null where the focused button is the one Enter presses.
// Called again, the window's first field and default button are replaced.
// A first field that is one of an exclusive group of buttons hands the keys
// to the group's chosen button, where the arrow keys move the choice.
void setUp(QWidget* window, QWidget* firstField, QPushButton* defaultButton = nullptr);
// A page of one of the window's QStackedWidgets (the page's parent) that is
// the whole of what the window shows: whenever it becomes the shown page, and
// when the window shows with it, its first field takes the keys and Enter
// presses its own default button; where it names none, the window's apply.
void setUpPage(QWidget* window, QWidget* page, QWidget* firstField, QPushButton* defaultButton = nullptr);
// The same for a page that is only a part of the window (the covers under a
// name, the page beside the settings' tabs): it takes the keys when the
// author changes to it, by mouse or keys; when the window shows, its own
// first field takes them (the page's where the window's is not shown).
void setUpPart(QWidget* window, QWidget* page, QWidget* firstField, QPushButton* defaultButton = nullptr);
// A button drawn as a link or a tab: Enter never presses it, even while it
// has the keys (it goes to the page's default); Space does. A tab the arrow
// keys reach hands the keys on to the page it brings up.
void setLink(QPushButton* button);
}
