#pragma once

class QWidget;

// Keeps a top-level window above every other window, or releases it,
// without moving, resizing or re-creating it.
class WindowPlacement
{
public:
    // False when the window has no native window yet or the platform has no
    // notion of it; the toolkit's stays-on-top hint is set either way.
    static bool setAlwaysOnTop(QWidget* window, bool on);
};
