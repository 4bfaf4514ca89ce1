#pragma once

#include <QEvent>
#include <QVariant>

// The message-bus event: one message id and one value, delivered to every
// object registered for the id.
class CLCustomEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = static_cast<QEvent::Type>(QEvent::User + 1);

    CLCustomEvent(quint16 messageId, const QVariant& value)
        : QEvent(EventType), m_messageId(messageId), m_value(value) {}
    ~CLCustomEvent() override = default;

    quint16 messageId() const { return m_messageId; }
    const QVariant& value() const { return m_value; }

private:
    quint16 m_messageId;
    QVariant m_value;
};
