#pragma once

#include <QHash>
#include <QObject>
#include <QThread>
#include <QUrl>

#include <atomic>

class QSoundEffect;

// Lives on the AudioThread's thread and owns every sound effect of the
// program there. The audio library keeps one connection to the sound
// server for the whole process and takes it apart behind the back of any
// other thread using it, so its objects are made, used and destroyed here
// only; nothing else touches them.
class Worker : public QObject
{
    Q_OBJECT
public:
    Worker() = default;
    ~Worker() override;
    // Counts for whoever watches the thread, readable from any thread: the
    // plays this thread took, and the sounds loaded into the sound server.
    int plays() const { return m_plays.load(); }
    int ready() const { return m_ready.load(); }

public slots:
    void setSource(int kind, const QUrl& url);
    // Plays the kind's sound; silent while no sound server answers.
    void play(int kind);
    // Asks the sound server whether it answers, unless it did already.
    void check();
    // Destroys every sound effect; at the latest when the thread ends.
    void release();

signals:
    // Whether a sound server answered, after each check.
    void outputKnown(bool present);

private:
    enum class Output { Unchecked, Present, Missing };
    void load(int kind);
    void countReady();

    Output m_output = Output::Unchecked;
    QHash<int, QUrl> m_sources;
    QHash<int, QSoundEffect*> m_effects;
    std::atomic<int> m_plays{0};
    std::atomic<int> m_ready{0};
};

// The program's one audio thread, made at the first sound. The GUI thread
// only emits its signals; queued connections carry them to the worker, so a
// slow sound server never holds up typing, and nothing on the GUI thread
// ever waits for this thread while the program runs.
class AudioThread : public QObject
{
    Q_OBJECT
public:
    AudioThread();
    ~AudioThread() override;
    QThread* thread_() { return &m_thread; }
    Worker* worker() const { return m_worker; }

signals:
    // Numbered sounds: the source of a number, then plays of it.
    void setSource(int kind, const QUrl& url);
    void play(int kind);
    void check();
    // On the GUI thread: whether the machine has sound output.
    void outputKnown(bool present);

private:
    QThread m_thread;
    Worker* m_worker = nullptr;
};
