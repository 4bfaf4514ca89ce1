#include "common/CLCustomEvent.h"
#include "common/CMessageDispatcher.h"

#include <QtTest>

namespace {
// Records every bus event it receives.
class Receiver : public QObject
{
public:
    QList<QPair<quint16, QVariant>> received;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == CLCustomEvent::EventType) {
            auto* bus = static_cast<CLCustomEvent*>(event);
            received.append({bus->messageId(), bus->value()});
        }
    }
};
}

class TestMessageBus : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void postingAnUnregisteredIdFails();
    void synchronousPostDeliversBeforeReturning();
    void asynchronousPostDeliversThroughTheEventLoop();
    void unregisteringTheLastReceiverRetiresTheId();
    void destroyedReceiverIsSkipped();
};

void TestMessageBus::cleanup()
{
    // Each test registers its own receivers; ids left behind would leak into the next.
    CMessageDispatcher* bus = CMessageDispatcher::instance();
    for (quint16 id : {quint16(1001), quint16(1101), quint16(1105)})
        QCOMPARE(bus->receiverCount(id), 0);
}

void TestMessageBus::postingAnUnregisteredIdFails()
{
    QTest::ignoreMessage(QtDebugMsg, "-------PostMessage Message ID: 1001 Not Register!-------");
    QVERIFY(!CMessageDispatcher::instance()->PostBkMessage(1001));
    QTest::ignoreMessage(QtDebugMsg, "-------PostMessage Message ID: 1001 Not Register!-------");
    QVERIFY(!CMessageDispatcher::instance()->PostBkMessageAsync(1001));
}

void TestMessageBus::synchronousPostDeliversBeforeReturning()
{
    Receiver a, b;
    CMessageDispatcher* bus = CMessageDispatcher::instance();
    bus->Register(1101, &a);
    bus->Register(1101, &b);
    QVERIFY(bus->PostBkMessage(1101, true));
    QCOMPARE(a.received.size(), 1);
    QCOMPARE(b.received.size(), 1);
    QCOMPARE(a.received.first().first, quint16(1101));
    QCOMPARE(a.received.first().second, QVariant(true));
    bus->UnRegister(1101, &a);
    bus->UnRegister(1101, &b);
}

void TestMessageBus::asynchronousPostDeliversThroughTheEventLoop()
{
    Receiver a;
    CMessageDispatcher* bus = CMessageDispatcher::instance();
    bus->Register(1105, &a);
    QVERIFY(bus->PostBkMessageAsync(1105, QStringLiteral("#ff0000")));
    QVERIFY(a.received.isEmpty());
    QTRY_COMPARE(a.received.size(), 1);
    QCOMPARE(a.received.first().second.toString(), QStringLiteral("#ff0000"));
    bus->UnRegister(1105, &a);
}

void TestMessageBus::unregisteringTheLastReceiverRetiresTheId()
{
    Receiver a;
    CMessageDispatcher* bus = CMessageDispatcher::instance();
    bus->Register(1001, &a);
    bus->UnRegister(1001, &a);
    QTest::ignoreMessage(QtDebugMsg, "-------PostMessage Message ID: 1001 Not Register!-------");
    QVERIFY(!bus->PostBkMessage(1001));
}

void TestMessageBus::destroyedReceiverIsSkipped()
{
    Receiver alive;
    auto* doomed = new Receiver;
    CMessageDispatcher* bus = CMessageDispatcher::instance();
    bus->Register(1001, doomed);
    bus->Register(1001, &alive);
    delete doomed;
    QTest::ignoreMessage(QtCriticalMsg, "-------The Reciver is NULL!-------");
    QVERIFY(bus->PostBkMessage(1001, 7));
    QCOMPARE(alive.received.size(), 1);
    // The dead entry matches no live address; removing it takes a null.
    bus->UnRegister(1001, nullptr);
    bus->UnRegister(1001, &alive);
}

QTEST_MAIN(TestMessageBus)
#include "tst_messagebus.moc"
