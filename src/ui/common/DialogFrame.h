#pragma once

#include <QString>

class CBaseTitleBar;
class QSize;
class QVBoxLayout;
class QWidget;

// The frame of our small frameless dialogs and panels: a 10-pixel margin
// kept for the shadow, the themed background ("CommonWidgetBg") and the
// common title bar at the top of the background's column (its height given
// at 100 %).
struct DialogFrame
{
    QWidget* background = nullptr;
    QVBoxLayout* column = nullptr;
    CBaseTitleBar* title = nullptr;
};

DialogFrame buildDialogFrame(QWidget* window, const QString& title, int titleHeight, int bottomMargin);

// Fixes the size of a dialog drawn at 100 % as designSize: grown by the
// display scale, and never smaller than its built contents need (texts grow
// with the screen's fonts as well).
void fixDialogSize(QWidget* window, const QSize& designSize);
