#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QVector>

// Process-wide dispatcher that lets widgets which do not know each other
// exchange small commands as CLCustomEvent. GUI thread only.
class CMessageDispatcher : public QObject
{
    Q_OBJECT
public:
    static CMessageDispatcher* instance();

    void Register(quint16 messageId, QObject* receiver);
    void UnRegister(quint16 messageId, QObject* receiver);

    // Delivers to every live receiver before returning.
    bool PostBkMessage(quint16 messageId, const QVariant& value = QVariant());
    // Queues one event per live receiver on its event loop.
    bool PostBkMessageAsync(quint16 messageId, const QVariant& value = QVariant());

    // Number of receivers registered for an id (dead ones included).
    int receiverCount(quint16 messageId) const;

private:
    explicit CMessageDispatcher(QObject* parent = nullptr);
    template <typename Deliver>
    bool post(quint16 messageId, Deliver deliver);

    // Receivers are guarded: one destroyed without unregistering reads as null.
    QMap<quint16, QVector<QPointer<QObject>>> m_registry;
};
