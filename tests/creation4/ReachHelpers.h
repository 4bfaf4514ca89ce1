#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs handle on the first modal window of type T once it is up, from inside
// the modal loop that shows it; the handler must close the window.
template <typename T>
void whenModal(const std::function<void(T*)>& handle)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, handle]() {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        handle(window);
    });
    poll->start();
}
