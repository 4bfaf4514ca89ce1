// Typing sounds: made on the first key, queued to their own threads, never
// heard here (no audio device is needed). Which key plays which sound is
// tested from the writing window's keys (creation4).

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/tools/AudioThread.h"
#include "ui/creation/tools/TypingSounds.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSoundEffect>
#include <QTest>

namespace {
TypingSounds& sounds()
{
    return CPublicManager::instance()->typingSounds;
}

// Read on the player's own thread, after everything queued before.
QUrl sourceOf(AudioThread* player)
{
    QUrl url;
    QMetaObject::invokeMethod(player->worker(), [&url, player]() { url = player->worker()->source(); },
                              Qt::BlockingQueuedConnection);
    return url;
}

int playsOf(AudioThread* player)
{
    int plays = 0;
    QMetaObject::invokeMethod(player->worker(), [&plays, player]() { plays = player->worker()->plays(); },
                              Qt::BlockingQueuedConnection);
    return plays;
}
}

class TypingSoundTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void soundResourcesAreBundledWaves();
    void withSoundOffNoPlayerIsCreated();
    void firstSoundCreatesAllThreePlayersOnTheirOwnThreads();
    void aBurstOfKeysIsQueuedWithoutWaiting();

private:
    CreationFixture* m_f = nullptr;
};

void TypingSoundTest::initTestCase()
{
    // Chosen and queued, never heard: no sound server is needed.
    TypingSounds::setAudible(false);
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    T_Book* book = m_f->offlineBook(QStringLiteral("声音"));
    QVERIFY(book);
    QVERIFY(m_f->open(book));
    m_f->editor()->setFocus();
    QTRY_VERIFY(m_f->editor()->hasFocus());
}

void TypingSoundTest::cleanupTestCase()
{
    delete m_f;
}

void TypingSoundTest::soundResourcesAreBundledWaves()
{
    for (const char* name : {"writing", "delete", "enter"}) {
        QFile file(QStringLiteral(":/res/sound/creation/%1.wav").arg(QString::fromLatin1(name)));
        QVERIFY2(file.open(QIODevice::ReadOnly), name);
        const QByteArray head = file.read(12);
        QVERIFY(head.startsWith("RIFF") && head.endsWith("WAVE"));
    }
}

void TypingSoundTest::withSoundOffNoPlayerIsCreated()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 0;
    QTest::keyClick(m_f->editor(), Qt::Key_A);
    QTest::keyClick(m_f->editor(), Qt::Key_Return);
    QVERIFY(!sounds().created);
    QVERIFY(!sounds().writing && !sounds().deleting && !sounds().enter);
}

void TypingSoundTest::firstSoundCreatesAllThreePlayersOnTheirOwnThreads()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QTest::keyClick(m_f->editor(), Qt::Key_Backspace);
    QVERIFY(sounds().created);
    QList<AudioThread*> players{sounds().writing, sounds().deleting, sounds().enter};
    for (AudioThread* player : players) {
        QVERIFY(player);
        QVERIFY(player->thread_()->isRunning());
        QCOMPARE(player->worker()->thread(), player->thread_());
        QVERIFY(player->worker()->thread() != QThread::currentThread());
    }
    QVERIFY(players.at(0)->thread_() != players.at(1)->thread_());
    // Each source was set before the first play, in the worker's queue.
    QCOMPARE(sourceOf(sounds().writing), QUrl(QStringLiteral("qrc:/res/sound/creation/writing.wav")));
    QCOMPARE(sourceOf(sounds().deleting), QUrl(QStringLiteral("qrc:/res/sound/creation/delete.wav")));
    QCOMPARE(sourceOf(sounds().enter), QUrl(QStringLiteral("qrc:/res/sound/creation/enter.wav")));
}

void TypingSoundTest::aBurstOfKeysIsQueuedWithoutWaiting()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    // The worker is held busy; keys must still go through at once.
    static QSemaphore release;
    QMetaObject::invokeMethod(sounds().writing->worker(), []() { release.acquire(); }, Qt::QueuedConnection);
    QSignalSpy writing(sounds().writing, &AudioThread::play);
    Creation_TextEdit* edit = m_f->editor();
    edit->clear();
    for (int i = 0; i < 200; ++i)
        QTest::keyClick(edit, Qt::Key_A);
    QCOMPARE(writing.count(), 200);
    QCOMPARE(edit->toPlainText().count(QLatin1Char('a')), 200);
    release.release();
    QVERIFY(playsOf(sounds().writing) >= 200);
    edit->clear();
}

int runTypingSoundTests(int argc, char** argv)
{
    TypingSoundTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TypingSounds.moc"
