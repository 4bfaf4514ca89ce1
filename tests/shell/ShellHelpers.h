#pragma once

#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Stores the demo author's lock settings before the client starts on the file.
inline bool storeLockSettings(int type, int seconds, const QString& password, int isTray = 0)
{
    T_UserConf conf;
    conf.uid = StandinServer::demoUid();
    conf.systemConf.pwdLockType = type;
    conf.systemConf.pwdLockTime = seconds;
    conf.systemConf.pwdLockPwd = password;
    conf.systemConf.isTray = isTray;
    return CTessaneDb::instance()->updateUserConf(conf);
}

// Modal dialogs run their own event loop, so a test answers them from a
// timer: each time a modal widget of type T is up, the step runs on it.
// Steps run in order; the helper stops when all ran.
template <typename T>
class ModalAnswerer : public QObject
{
public:
    using Step = std::function<void(T*)>;
    explicit ModalAnswerer(QList<Step> steps) : m_steps(std::move(steps))
    {
        auto* timer = new QTimer(this);
        QObject::connect(timer, &QTimer::timeout, this, [this]() { poll(); });
        timer->start(50);
    }
    int done() const { return m_done; }

private:
    void poll()
    {
        if (m_done >= m_steps.size())
            return;
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_steps.at(m_done++)(dialog);
    }
    QList<Step> m_steps;
    int m_done = 0;
};

// Starts the client on the fixture's file, answering the start lock with the password.
template <typename Dialog>
bool startThroughLock(JobsFixture& fixture, const QString& password)
{
    ModalAnswerer<Dialog> answer({[password](Dialog* d) {
        d->lineEditPwd()->setText(password);
        d->unlock();
    }});
    return fixture.start() && answer.done() == 1;
}
