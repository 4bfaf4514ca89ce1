#pragma once

#include "ui/common/NcFramelessHelper.h"

#include <QCursor>
#include <QPoint>

class QEvent;
class QRubberBand;
class QWidget;

// What the frameless helper keeps for one widget: the drag in progress, the
// cursor it set, and the window flags to give back when it lets go.
class NcFrameState
{
public:
    NcFrameState(NcFramelessHelperPrivate* d, QWidget* w);
    ~NcFrameState();
    NcFrameState(const NcFrameState&) = delete;
    NcFrameState& operator=(const NcFrameState&) = delete;

    void handleEvent(QEvent* event);
    void updateOutline();
    void setCursorShape(const QCursor& cursor) { m_cursor = cursor; }
    void setScreenCoordinates(bool on) { m_screenCoordinates = on; }

private:
    void mousePress(QEvent* event);
    void mouseRelease(QEvent* event);
    void mouseMove(QEvent* event);
    void hoverMove(QEvent* event);
    void moveTo(const QPoint& globalPos);
    void resizeTo(const QPoint& pos);
    void updateCursor(const QPoint& pos);
    QRect frameRect() const;

    NcFramelessHelperPrivate* d;
    QRubberBand* m_outline = nullptr;
    bool m_buttonDown = false;
    QWidget* m_widget;
    QPoint m_dragOffset;
    NcEdgeTest m_pressTest;
    NcEdgeTest m_hoverTest;
    bool m_cursorSet = false;
    Qt::WindowFlags m_oldFlags;
    bool m_screenCoordinates = true;
    QCursor m_cursor;
};
