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
    Worker();
    QSoundEffect* effect() const { return m_effect; }

public slots:
    void setSource(const QUrl& url);
    void play();

private:
    QSoundEffect* m_effect = nullptr;
};

// One typing sound on its own thread. The GUI thread only emits the two
// signals; queued connections carry them to the worker, so a slow audio
// back end never holds up typing.
class AudioThread : public QObject
{
    Q_OBJECT
public:
    AudioThread();
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
