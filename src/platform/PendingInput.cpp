#include "PendingInput.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {
// How long the window system may take to hand back a mark sent to ourselves.
constexpr int kBoundMs = 2000;
// How long an action waits behind input still on its way before it runs anyway.
constexpr int kAfterInputMs = 100;

// A window of our own that no one sees: the mark is sent to it.
struct Mailbox
{
    xcb_window_t window = XCB_NONE;
    xcb_atom_t type = XCB_NONE;
    quint32 serial = 0;
};

bool openMailbox(xcb_connection_t* connection, Mailbox& box)
{
    if (box.window != XCB_NONE)
        return true;
    const QByteArray name("_CLIENT_PENDING_INPUT_MARK");
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (atom == nullptr)
        return false;
    box.type = atom->atom;
    free(atom);
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, QX11Info::appRootWindow(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    box.window = window;
    return true;
}

// Notes the mark when the event queue reaches it; the mark goes no further.
class MarkWatch : public QAbstractNativeEventFilter
{
public:
    explicit MarkWatch(const Mailbox& box) : m_box(box) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override
    {
        Q_UNUSED(result)
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* mark = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (mark->window != m_box.window || mark->type != m_box.type)
            return false;
        if (mark->data.data32[0] == m_box.serial)
            reached = true;
        return true;
    }
    bool reached = false;

private:
    const Mailbox& m_box;
};
}

bool PendingInput::deliver()
{
    // Keys reach only a window that shows: with none of ours, none are on their way.
    const QWindowList windows = QGuiApplication::topLevelWindows();
    if (!QX11Info::isPlatformX11()
        || std::none_of(windows.cbegin(), windows.cend(), [](const QWindow* w) { return w->isVisible(); }))
        return true;
    xcb_connection_t* connection = QX11Info::connection();
    static Mailbox box;
    if (connection == nullptr || xcb_connection_has_error(connection) || !openMailbox(connection, box))
        return false;
    // The window system sends events in order: once the mark sent now comes
    // back through the queue, whatever it had sent before has come too. Qt
    // hands the input on in the same pass as it reads the mark.
    ++box.serial;
    MarkWatch watch(box);
    QCoreApplication::instance()->installNativeEventFilter(&watch);
    xcb_client_message_event_t mark = {};
    mark.response_type = XCB_CLIENT_MESSAGE;
    mark.format = 32;
    mark.window = box.window;
    mark.type = box.type;
    mark.data.data32[0] = box.serial;
    xcb_send_event(connection, 0, box.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&mark));
    xcb_flush(connection);
    const QDeadlineTimer bound(kBoundMs);
    while (!watch.reached && !bound.hasExpired() && !xcb_connection_has_error(connection)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers);
        if (!watch.reached)
            QThread::msleep(1);
    }
    QCoreApplication::instance()->removeNativeEventFilter(&watch);
    return watch.reached;
}

namespace {
void runAfterInput(const QPointer<QObject>& context, const std::function<void()>& action, const QDeadlineTimer& bound)
{
    QMetaObject::invokeMethod(
        context.data(),
        [context, action, bound]() {
            // Events the window system handed over are read and sent on
            // before queued calls run again: while any still wait, so does
            // the action, a turn at a time.
            QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
            if (dispatcher != nullptr && dispatcher->hasPendingEvents() && !bound.hasExpired()) {
                runAfterInput(context, action, bound);
                return;
            }
            action();
        },
        Qt::QueuedConnection);
}
}

void PendingInput::afterInput(QObject* context, std::function<void()> action)
{
    if (context == nullptr || !action)
        return;
    // Queued, it comes after the window system's events read in the same
    // pass as the call: Qt hands those on before it runs queued calls again.
    runAfterInput(context, action, QDeadlineTimer(kAfterInputMs));
}
