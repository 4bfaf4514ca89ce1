#pragma once

#include <QCursor>
#include <QHash>
#include <QObject>
#include <QRect>

class NcFrameState;
class QWidget;

// Where a point lies against a window's frame: on which edges and corners of
// the zone in which a drag resizes the window.
struct NcEdgeTest
{
    bool onEdges = false;
    bool left = false;
    bool right = false;
    bool top = false;
    bool bottom = false;
    bool topLeft = false;
    bool bottomLeft = false;
    bool topRight = false;
    bool bottomRight = false;

    // Width of the resize zone inside each edge, in pixels.
    static constexpr int kEdgeZone = 10;
    // All bounds inclusive; right and bottom lie one pixel beyond the frame.
    static NcEdgeTest test(const QPoint& p, const QRect& frame);
};

// The options shared by every widget a helper serves.
struct NcFramelessHelperPrivate
{
    QHash<QWidget*, NcFrameState*> states;
    bool movable = true;
    bool resizable = true;
    bool outlineOnResize = false;
    bool outlineOnMove = false;
    bool screenCoordinates = true;
    QCursor cursor;
};

// Lets the user move a frameless window by dragging anywhere on it and resize
// it by dragging near its edges. Works as an event filter on the widgets it is
// attached to and never consumes their events.
class NcFramelessHelper : public QObject
{
    Q_OBJECT
public:
    explicit NcFramelessHelper(QObject* parent = nullptr);
    ~NcFramelessHelper() override;

    // Makes the widget frameless and draggable; attaching twice keeps one state.
    void activateOn(QWidget* w);
    // Gives the widget its old window flags back; nothing when not attached.
    void removeFrom(QWidget* w);

    void setWidgetMovable(bool movable);
    void setWidgetResizable(bool resizable);
    bool isWidgetMovable() const { return d.movable; }
    bool isWidgetResizable() const { return d.resizable; }

    // Drag a rubber-band outline instead of the window, applied on release.
    void useRubberBandOnMove(bool use);
    void useRubberBandOnResize(bool use);

    bool isAttached(QWidget* w) const { return d.states.contains(w); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NcFramelessHelperPrivate d;
};
