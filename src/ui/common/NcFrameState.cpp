#include "ui/common/NcFrameState.h"

#include <QHoverEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWidget>

NcFrameState::NcFrameState(NcFramelessHelperPrivate* priv, QWidget* w)
    : d(priv), m_widget(w)
{
    m_oldFlags = w->windowFlags();
    const bool visible = w->isVisible();
    w->setAttribute(Qt::WA_MouseTracking, true);
    w->setWindowFlags(m_oldFlags | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                      | Qt::WindowMinimizeButtonHint);
    w->setAttribute(Qt::WA_Hover, true);
    updateOutline();
    // Changing the window flags hides a window.
    w->setVisible(visible);
}

NcFrameState::~NcFrameState()
{
    const bool visible = m_widget->isVisible();
    m_widget->setAttribute(Qt::WA_MouseTracking, false);
    m_widget->setWindowFlags(m_oldFlags);
    m_widget->setAttribute(Qt::WA_Hover, false);
    m_widget->setVisible(visible);
    delete m_outline;
}

void NcFrameState::updateOutline()
{
    if (!d->outlineOnMove && !d->outlineOnResize) {
        delete m_outline;
        m_outline = nullptr;
    } else if (!m_outline) {
        m_outline = new QRubberBand(QRubberBand::Rectangle);
    }
}

QRect NcFrameState::frameRect() const
{
    return m_widget->frameGeometry();
}

void NcFrameState::handleEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mousePress(event);
        break;
    case QEvent::MouseButtonRelease:
        mouseRelease(event);
        break;
    case QEvent::MouseMove:
        mouseMove(event);
        break;
    case QEvent::Leave:
        if (!m_buttonDown)
            m_widget->unsetCursor();
        break;
    case QEvent::HoverMove:
        hoverMove(event);
        break;
    default:
        break;
    }
}

void NcFrameState::mousePress(QEvent* event)
{
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() != Qt::LeftButton)
        return;
    m_buttonDown = true;
    const QRect frame = frameRect();
    const QPoint pos = m_screenCoordinates ? e->globalPos()
                                           : m_widget->mapToParent(e->pos());
    m_pressTest = NcEdgeTest::test(pos, frame);
    m_dragOffset = e->globalPos() - frame.topLeft();
    if (m_outline && ((m_pressTest.onEdges && d->outlineOnResize)
                      || (!m_pressTest.onEdges && d->outlineOnMove))) {
        m_outline->setGeometry(frame);
        m_outline->show();
    }
}

void NcFrameState::mouseRelease(QEvent* event)
{
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() != Qt::LeftButton)
        return;
    m_buttonDown = false;
    m_pressTest = NcEdgeTest();
    if (m_outline && m_outline->isVisible()) {
        m_outline->hide();
        m_widget->setGeometry(m_outline->geometry());
    }
}

void NcFrameState::mouseMove(QEvent* event)
{
    auto* e = static_cast<QMouseEvent*>(event);
    const QPoint pos = m_screenCoordinates ? e->globalPos()
                                           : m_widget->mapToParent(e->pos());
    if (m_buttonDown) {
        if (d->resizable && m_pressTest.onEdges)
            resizeTo(pos);
        else if (d->movable)
            moveTo(e->globalPos());
    } else if (d->resizable) {
        updateCursor(pos);
    }
}

void NcFrameState::hoverMove(QEvent* event)
{
    if (!d->resizable)
        return;
    auto* e = static_cast<QHoverEvent*>(event);
    const QPoint pos = m_screenCoordinates ? m_widget->mapToGlobal(e->pos())
                                           : m_widget->mapToParent(e->pos());
    updateCursor(pos);
}

void NcFrameState::moveTo(const QPoint& globalPos)
{
    const QPoint target = globalPos - m_dragOffset;
    if (d->outlineOnMove && m_outline)
        m_outline->move(target);
    else
        m_widget->move(target);
}

void NcFrameState::resizeTo(const QPoint& p)
{
    const bool onOutline = d->outlineOnResize && m_outline;
    const QRect old = onOutline ? m_outline->frameGeometry() : frameRect();
    int left = old.left();
    int top = old.top();
    int right = old.right();
    int bottom = old.bottom();
    const int minWidth = m_widget->minimumWidth();
    const int minHeight = m_widget->minimumHeight();

    if (m_pressTest.topLeft) {
        left = p.x();
        top = p.y();
    } else if (m_pressTest.bottomLeft) {
        left = p.x();
        bottom = p.y();
    } else if (m_pressTest.topRight) {
        right = p.x();
        top = p.y();
    } else if (m_pressTest.bottomRight) {
        right = p.x();
        bottom = p.y();
    } else if (m_pressTest.left) {
        left = p.x();
    } else if (m_pressTest.right) {
        right = p.x();
    } else if (m_pressTest.top) {
        top = p.y();
    } else if (m_pressTest.bottom) {
        bottom = p.y();
    }

    QRect rect(QPoint(left, top), QPoint(right, bottom));
    if (!rect.isValid())
        return;
    // Below the minimum the dragged edge stays where it was.
    if (rect.width() < minWidth) {
        if (left == old.left())
            rect.setRight(old.right());
        else
            rect.setLeft(old.left());
    }
    if (rect.height() < minHeight) {
        if (top == old.top())
            rect.setBottom(old.bottom());
        else
            rect.setTop(old.top());
    }
    if (onOutline)
        m_outline->setGeometry(rect);
    else
        m_widget->setGeometry(rect);
}

void NcFrameState::updateCursor(const QPoint& pos)
{
    if (m_widget->isFullScreen() || m_widget->isMaximized()) {
        if (m_cursorSet) {
            m_widget->unsetCursor();
            m_cursorSet = false;
        }
        return;
    }
    m_hoverTest = NcEdgeTest::test(pos, frameRect());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_hoverTest.topLeft || m_hoverTest.bottomRight)
        shape = Qt::SizeFDiagCursor;
    else if (m_hoverTest.topRight || m_hoverTest.bottomLeft)
        shape = Qt::SizeBDiagCursor;
    else if (m_hoverTest.left || m_hoverTest.right)
        shape = Qt::SizeHorCursor;
    else if (m_hoverTest.top || m_hoverTest.bottom)
        shape = Qt::SizeVerCursor;

    if (shape != Qt::ArrowCursor) {
        m_widget->setCursor(shape);
        m_cursorSet = true;
        return;
    }
    if (m_cursorSet) {
        m_widget->unsetCursor();
        m_cursorSet = false;
    }
    m_widget->setCursor(m_cursor);
}
