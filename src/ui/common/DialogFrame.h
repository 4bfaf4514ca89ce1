#pragma once

#include <QString>

class CBaseTitleBar;
class QVBoxLayout;
class QWidget;

// The frame of our small frameless dialogs and panels: a 10-pixel margin
// kept for the shadow, the themed background ("CommonWidgetBg") and the
// common title bar at the top of the background's column.
struct DialogFrame
{
    QWidget* background = nullptr;
    QVBoxLayout* column = nullptr;
    CBaseTitleBar* title = nullptr;
};

DialogFrame buildDialogFrame(QWidget* window, const QString& title, int titleHeight, int bottomMargin);
