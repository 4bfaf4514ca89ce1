#pragma once

class QListView;
class QWidget;
class CreationControlItemModel;
class CreationControlItemDelegate;

namespace creation_panel {
// The frame both pop-up panels share: frameless, translucent, no shadow.
void setupWindow(QWidget* panel);
// Model and delegate on the list view, the delegate watching presses.
void attach(QListView* list, CreationControlItemModel* model, CreationControlItemDelegate* delegate, int spacing);
}
