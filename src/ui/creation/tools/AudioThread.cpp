#include "AudioThread.h"

#include "common/WorkerThreads.h"

#include <QSoundEffect>

Worker::Worker(bool audible) : m_effect(audible ? new QSoundEffect(this) : nullptr) {}

void Worker::setSource(const QUrl& url)
{
    m_source = url;
    if (m_effect != nullptr)
        m_effect->setSource(url);
}

void Worker::play()
{
    ++m_plays;
    if (m_effect != nullptr)
        m_effect->play();
}

AudioThread::AudioThread(bool audible) : m_worker(new Worker(audible))
{
    // The worker and its sound effect belong to the thread from here on;
    // nothing else touches them.
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(this, &AudioThread::setSource, m_worker, &Worker::setSource, Qt::QueuedConnection);
    connect(this, &AudioThread::play, m_worker, &Worker::play, Qt::QueuedConnection);
    // Nothing deletes the program's players: the quit stops and waits for
    // the thread before the application and the audio back end go.
    WorkerThreads::adopt(&m_thread);
    m_thread.start(QThread::InheritPriority);
}

AudioThread::~AudioThread()
{
    m_thread.quit();
    m_thread.wait();
}
