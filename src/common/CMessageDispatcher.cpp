#include "CMessageDispatcher.h"

#include "CLCustomEvent.h"

#include <QCoreApplication>
#include <QDebug>

namespace {
constexpr quint16 kFirstValidId = 1000;

// Created by static initialisation, before main runs, so that every window can
// register with it whenever it is built.
CMessageDispatcher* const g_dispatcher = CMessageDispatcher::instance();
}

CMessageDispatcher::CMessageDispatcher(QObject* parent) : QObject(parent) {}

CMessageDispatcher* CMessageDispatcher::instance()
{
    static CMessageDispatcher* dispatcher = new CMessageDispatcher();
    return dispatcher;
}

void CMessageDispatcher::Register(quint16 messageId, QObject* receiver)
{
    if (messageId < kFirstValidId) {
        qDebug() << "-------Register Message ID:" << messageId << "Is Invalid!-------";
        return;
    }
    m_registry[messageId].append(QPointer<QObject>(receiver));
}

void CMessageDispatcher::UnRegister(quint16 messageId, QObject* receiver)
{
    if (messageId < kFirstValidId) {
        qDebug() << "-------UnRegister Message ID:" << messageId << "Is Invalid!-------";
        return;
    }
    auto it = m_registry.find(messageId);
    if (it == m_registry.end())
        return;
    auto& receivers = it.value();
    for (int i = 0; i < receivers.size(); ++i) {
        if (receivers.at(i).data() == receiver) {
            receivers.removeAt(i);
            break;
        }
    }
    if (receivers.isEmpty())
        m_registry.erase(it);
}

int CMessageDispatcher::receiverCount(quint16 messageId) const
{
    return m_registry.value(messageId).size();
}

template <typename Deliver>
bool CMessageDispatcher::post(quint16 messageId, Deliver deliver)
{
    auto it = m_registry.constFind(messageId);
    if (it == m_registry.constEnd()) {
        qDebug() << "-------PostMessage Message ID:" << messageId << "Not Register!-------";
        return false;
    }
    // A handler may register or unregister while we deliver; walk a copy.
    const QVector<QPointer<QObject>> receivers = it.value();
    for (const QPointer<QObject>& receiver : receivers) {
        if (receiver.isNull()) {
            qCritical() << "-------The Reciver is NULL!-------";
            continue;
        }
        deliver(receiver.data());
    }
    return true;
}

bool CMessageDispatcher::PostBkMessage(quint16 messageId, const QVariant& value)
{
    CLCustomEvent event(messageId, value);
    return post(messageId, [&event](QObject* receiver) {
        QCoreApplication::sendEvent(receiver, &event);
    });
}

bool CMessageDispatcher::PostBkMessageAsync(quint16 messageId, const QVariant& value)
{
    return post(messageId, [messageId, &value](QObject* receiver) {
        QCoreApplication::postEvent(receiver, new CLCustomEvent(messageId, value),
                                    Qt::NormalEventPriority);
    });
}
