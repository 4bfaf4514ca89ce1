#include "ui/common/NcFramelessHelper.h"

#include "ui/common/NcFrameState.h"

#include <QEvent>
#include <QWidget>

NcEdgeTest NcEdgeTest::test(const QPoint& p, const QRect& frame)
{
    const int x = frame.x();
    const int y = frame.y();
    const int fw = frame.width();
    const int fh = frame.height();
    NcEdgeTest t;
    t.left = p.x() >= x && p.x() <= x + kEdgeZone;
    t.right = p.x() >= x + fw - kEdgeZone && p.x() <= x + fw;
    t.top = p.y() >= y && p.y() <= y + kEdgeZone;
    t.bottom = p.y() >= y + fh - kEdgeZone && p.y() <= y + fh;
    t.topLeft = t.top && t.left;
    t.bottomLeft = t.bottom && t.left;
    t.topRight = t.top && t.right;
    t.bottomRight = t.bottom && t.right;
    t.onEdges = t.left || t.right || t.top || t.bottom;
    return t;
}

NcFramelessHelper::NcFramelessHelper(QObject* parent)
    : QObject(parent)
{
}

NcFramelessHelper::~NcFramelessHelper()
{
    const auto states = d.states;
    d.states.clear();
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        it.key()->removeEventFilter(this);
        delete it.value();
    }
}

void NcFramelessHelper::activateOn(QWidget* w)
{
    if (!w)
        return;
    if (NcFrameState* state = d.states.value(w)) {
        state->setCursorShape(d.cursor);
        return;
    }
    auto* state = new NcFrameState(&d, w);
    state->setScreenCoordinates(d.screenCoordinates);
    state->setCursorShape(d.cursor);
    d.states.insert(w, state);
    w->installEventFilter(this);
}

void NcFramelessHelper::removeFrom(QWidget* w)
{
    NcFrameState* state = d.states.take(w);
    if (!state)
        return;
    w->removeEventFilter(this);
    delete state;
}

void NcFramelessHelper::setWidgetMovable(bool movable)
{
    d.movable = movable;
}

void NcFramelessHelper::setWidgetResizable(bool resizable)
{
    d.resizable = resizable;
}

void NcFramelessHelper::useRubberBandOnMove(bool use)
{
    d.outlineOnMove = use;
    for (NcFrameState* state : qAsConst(d.states))
        state->updateOutline();
}

void NcFramelessHelper::useRubberBandOnResize(bool use)
{
    d.outlineOnResize = use;
    for (NcFrameState* state : qAsConst(d.states))
        state->updateOutline();
}

bool NcFramelessHelper::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Leave:
    case QEvent::HoverMove:
        if (NcFrameState* state = d.states.value(static_cast<QWidget*>(watched)))
            state->handleEvent(event);
        break;
    default:
        break;
    }
    return false;
}
