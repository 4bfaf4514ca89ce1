#pragma once

#include <QCursor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

// A window's request answered in a nested event loop (the blocking requests
// of the job manager's facade). While one is out the window takes no second
// one and shows that it waits: the controls given are disabled (fields are
// made read-only) and a busy cursor shows over it. Held on the stack around the request:
//
//     WindowWait wait(this, {m_btnSubmit});
//     if (!wait.started())
//         return;
//     ...the request...
//     if (!wait.resumed())
//         return;
class WindowWait
{
public:
    explicit WindowWait(QWidget* window, const QList<QWidget*>& controls = {});
    ~WindowWait();
    WindowWait(const WindowWait&) = delete;
    WindowWait& operator=(const WindowWait&) = delete;

    // False when the window already waits for a reply: nothing may be sent.
    bool started() const { return m_started; }
    // After the wait: the window still exists and nobody signed out or in
    // meanwhile. Otherwise the reply is for nobody and the caller drops it.
    bool resumed() const;
    // Whether the window waits for a reply now; its own checks keep its
    // controls disabled meanwhile.
    static bool isWaiting(const QWidget* window);

private:
    QPointer<QWidget> m_window;
    QList<QPair<QPointer<QWidget>, bool>> m_controls;
    bool m_hadCursor = false;
    QCursor m_cursor;
    int m_session = 0;
    bool m_started = false;
};
