// Typing sounds: chosen by key kind, queued to their own threads, never
// heard here (no audio device is needed).

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
    void keyKindsChooseTheirSound_data();
    void keyKindsChooseTheirSound();
    void soundResourcesAreBundledWaves();
    void withSoundOffNoPlayerIsCreated();
    void firstSoundCreatesAllThreePlayersOnTheirOwnThreads();
    void eachKeyQueuesItsOwnPlayerOnly();
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

void TypingSoundTest::keyKindsChooseTheirSound_data()
{
    QTest::addColumn<int>("scanCode");
    QTest::addColumn<int>("kind");
    QTest::newRow("enter") << 0x1C << 1;
    QTest::newRow("keypad enter") << (0x1C | 0x100) << 1;
    QTest::newRow("backspace") << 0x0E << 2;
    QTest::newRow("delete") << (0x53 | 0x100) << 2;
    QTest::newRow("keypad point is writing") << 0x53 << 3;
    QTest::newRow("letter a") << 0x1E << 3;
    QTest::newRow("auto-repeated letter") << (0x1E | 0x4000) << 3;
}

void TypingSoundTest::keyKindsChooseTheirSound()
{
    QFETCH(int, scanCode);
    QFETCH(int, kind);
    QCOMPARE(TypingSounds::kindOfScanCode(scanCode), kind);
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
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x1E);
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x1C);
    QVERIFY(!sounds().created);
    QVERIFY(!sounds().writing && !sounds().deleting && !sounds().enter);
}

void TypingSoundTest::firstSoundCreatesAllThreePlayersOnTheirOwnThreads()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x0E);
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

void TypingSoundTest::eachKeyQueuesItsOwnPlayerOnly()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QSignalSpy writing(sounds().writing, &AudioThread::play);
    QSignalSpy deleting(sounds().deleting, &AudioThread::play);
    QSignalSpy enter(sounds().enter, &AudioThread::play);
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x1C);
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x0E);
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x1E);
    emit CUiManager::instance()->sig_GlobalKeyPressed(0x1F);
    QCOMPARE(enter.count(), 1);
    QCOMPARE(deleting.count(), 1);
    QCOMPARE(writing.count(), 2);
    // Unknown kinds play nothing.
    sounds().play(7);
    QCOMPARE(writing.count() + deleting.count() + enter.count(), 4);
    QVERIFY(playsOf(sounds().enter) >= 1);
}

void TypingSoundTest::aBurstOfKeysIsQueuedWithoutWaiting()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    // The worker is held busy; keys must still go through at once.
    static QSemaphore release;
    QMetaObject::invokeMethod(sounds().writing->worker(), []() { release.acquire(); }, Qt::QueuedConnection);
    QSignalSpy writing(sounds().writing, &AudioThread::play);
    Creation_TextEdit* edit = m_f->editor();
    for (int i = 0; i < 200; ++i)
        emit CUiManager::instance()->sig_GlobalKeyPressed(0x1E);
    QCOMPARE(writing.count(), 200);
    QTest::keyClick(edit, Qt::Key_A);
    QTRY_VERIFY(edit->toPlainText().contains(QLatin1Char('a')));
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
