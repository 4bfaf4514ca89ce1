#include "PanelSetup.h"

#include "CreationControlItemDelegate.h"
#include "CreationControlItemModel.h"

#include "platform/WindowCompositing.h"

#include <QListView>

namespace creation_panel {

void setupWindow(QWidget* panel)
{
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    WindowCompositing::settleOpaque(panel);
}

void attach(QListView* list, CreationControlItemModel* model, CreationControlItemDelegate* delegate, int spacing)
{
    list->viewport()->setCursor(Qt::PointingHandCursor);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    delegate->setItemList(&model->items());
    list->setItemDelegate(delegate);
    list->setMouseTracking(true);
    list->viewport()->installEventFilter(delegate);
    list->setSpacing(spacing);
    list->setModel(model);
}

} // namespace creation_panel
