#pragma once

#include <QObject>
#include <QThread>
#include <QUrl>

class QSoundEffect;

// Lives on an AudioThread's thread; owns the sound effect there.
class Worker : public QObject
{
    Q_OBJECT
public:
    // Without audio the worker keeps its queue but makes no sound effect:
    // the audio library aborts the process when no sound server answers.
    explicit Worker(bool audible);
    QSoundEffect* effect() const { return m_effect; }
    // What reached this thread: the source set and the plays asked for.
    QUrl source() const { return m_source; }
    int plays() const { return m_plays; }

public slots:
    void setSource(const QUrl& url);
    void play();

private:
    QSoundEffect* m_effect = nullptr;
    QUrl m_source;
    int m_plays = 0;
};

// One typing sound on its own thread. The GUI thread only emits the two
// signals; queued connections carry them to the worker, so a slow audio
// back end never holds up typing.
class AudioThread : public QObject
{
    Q_OBJECT
public:
    explicit AudioThread(bool audible = true);
    ~AudioThread() override;
    QThread* thread_() { return &m_thread; }
    Worker* worker() const { return m_worker; }

signals:
    void setSource(const QUrl& url);
    void play();

private:
    QThread m_thread;
    Worker* m_worker = nullptr;
};
