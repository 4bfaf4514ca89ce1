#pragma once

class QWidget;

// Whether the window system blends translucent windows with what lies below
// them. Without a compositing manager (a plain X server, some remote
// desktops) the transparent parts of a window show black, so frameless
// windows then draw no shadow and are painted opaque.
class WindowCompositing
{
public:
    static bool isAvailable();
    // Tests: 1 or 0 stand for the window system's answer, -1 asks it again.
    static void setOverrideForTest(int state);
    // Makes the top-level window of content opaque and, when content sits
    // directly in that window's layout, drops the margin kept around it for
    // a shadow. Does nothing and returns false while compositing runs.
    static bool settleOpaque(QWidget* content);
};
