#include "AudioThread.h"

#include "common/WorkerThreads.h"
#include "platform/SoundServer.h"

#include <QSoundEffect>

namespace {
// A sound server on this machine answers at once; one that takes longer is
// as good as none for a key's sound.
constexpr int kServerPatienceMs = 5000;
}

Worker::~Worker()
{
    release();
}

void Worker::setSource(int kind, const QUrl& url)
{
    m_sources.insert(kind, url);
    if (m_output == Output::Present)
        load(kind);
}

void Worker::play(int kind)
{
    ++m_plays;
    if (m_output == Output::Unchecked)
        check();
    if (QSoundEffect* effect = m_effects.value(kind))
        effect->play();
}

void Worker::check()
{
    if (m_output == Output::Present)
        return;
    m_output = SoundServer::answers(kServerPatienceMs) ? Output::Present : Output::Missing;
    if (m_output == Output::Present) {
        for (auto it = m_sources.constBegin(); it != m_sources.constEnd(); ++it)
            load(it.key());
    }
    emit outputKnown(m_output == Output::Present);
}

void Worker::load(int kind)
{
    QSoundEffect*& effect = m_effects[kind];
    if (effect == nullptr) {
        effect = new QSoundEffect(this);
        connect(effect, &QSoundEffect::statusChanged, this, &Worker::countReady);
    }
    effect->setSource(m_sources.value(kind));
}

void Worker::countReady()
{
    int ready = 0;
    for (const QSoundEffect* effect : qAsConst(m_effects))
        ready += effect->status() == QSoundEffect::Ready ? 1 : 0;
    m_ready = ready;
}

void Worker::release()
{
    // Each effect hangs up its stream as it goes, while the connection it
    // came through still stands.
    const QList<QSoundEffect*> effects = m_effects.values();
    m_effects.clear();
    qDeleteAll(effects);
    m_ready = 0;
}

AudioThread::AudioThread() : m_worker(new Worker)
{
    // The worker belongs to the thread from here on; it makes its sound
    // effects there.
    m_worker->moveToThread(&m_thread);
    // Emitted on the audio thread as its last act: the effects go there,
    // before the thread and the audio library's connection end.
    connect(&m_thread, &QThread::finished, m_worker, &Worker::release, Qt::DirectConnection);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater, Qt::DirectConnection);
    connect(this, &AudioThread::setSource, m_worker, &Worker::setSource, Qt::QueuedConnection);
    connect(this, &AudioThread::play, m_worker, &Worker::play, Qt::QueuedConnection);
    connect(this, &AudioThread::check, m_worker, &Worker::check, Qt::QueuedConnection);
    connect(m_worker, &Worker::outputKnown, this, &AudioThread::outputKnown, Qt::QueuedConnection);
    // Nothing deletes the program's player: the quit stops and waits for the
    // thread before the application and the audio library go.
    WorkerThreads::adopt(&m_thread);
    m_thread.start(QThread::InheritPriority);
}

AudioThread::~AudioThread()
{
    m_thread.quit();
    m_thread.wait();
}
