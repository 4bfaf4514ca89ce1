#pragma once

#include <QObject>

class QSocketNotifier;

// The ways a session ends a program from outside (logout and shutdown,
// Ctrl+C in a terminal, a closed terminal) arrive here as one signal on the
// event loop, so the program can quit the way its own quit does instead of
// dying with unsaved words. One object at a time; the handling it found
// comes back when it is destroyed.
class SessionEndSignals : public QObject
{
    Q_OBJECT
public:
    explicit SessionEndSignals(QObject* parent = nullptr);
    ~SessionEndSignals() override;

    // The quit is under way and no event loop is left to hear a signal: from
    // now on, to the process's end, the signals handled here are ignored
    // rather than ending it midway (the handling found at the start does not
    // come back).
    static void ignoreFromNowOn();

signals:
    // Emitted on the event loop, once per signal received.
    void endRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};
