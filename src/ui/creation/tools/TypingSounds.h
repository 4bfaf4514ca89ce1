#pragma once

#include <QObject>

class AudioThread;

// The typing sounds of the writing window, played on the program's one
// audio thread, which is made at the first sound or when the author switches
// sounds on. Kinds: 1 enter, 2 delete, 3 writing. GUI thread only.
class TypingSounds : public QObject
{
    Q_OBJECT
public:
    enum class Output { Unknown, Present, Missing };
    Q_ENUM(Output)

    // Queues the sound and returns at once.
    void play(int kind);
    // Where sounds are switched on: makes the audio thread, which finds out
    // whether this machine has sound output (again, when it had none).
    void prepare();
    // Null until the first sound or prepare.
    AudioThread* player() const { return m_player; }
    // What the audio thread last found; Unknown until it has looked.
    Output output() const { return m_output; }

    // The kind of sound for a key, from its scan code: Enter, Backspace or
    // Delete, anything else.
    static int kindOfScanCode(int scanCode);

signals:
    // The audio thread found out whether the machine has sound output.
    void outputChanged();

private:
    AudioThread* ensurePlayer();

    AudioThread* m_player = nullptr;
    Output m_output = Output::Unknown;
};
