// The writing tick's counting rules: speed windows, pasted text, deletions,
// pauses and versions.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QTest>

class WritingTickTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void speedIsWordsPerWindowTimes360Averaged();
    void pastedTextCountsOnlyTowardsAllWords();
    void deletingWordsLowersNetIncrease();
    void ideographicSpacesAreNoWords();
    void pauseCountingStopsAfter301Seconds();
    void versionAfter300ChangedWordsButNotOfAnEmptyText();
    void wordGoalWaitsForTheFirstSpeedWindow();

private:
    void append(CreationFixture& f, const QString& text);
    T_WritingCounters& writing() { return CPublicManager::instance()->writing; }
    T_Statistics& today() { return CPublicManager::instance()->statistics; }
};

void WritingTickTest::init()
{
    CPublicManager::instance()->writing = T_WritingCounters();
    CPublicManager::instance()->statistics = T_Statistics();
}

void WritingTickTest::append(CreationFixture& f, const QString& text)
{
    QTextCursor cursor = f.editor()->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void WritingTickTest::speedIsWordsPerWindowTimes360Averaged()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("速度")));
    writing().speed = 0;
    writing().tickCount = 0;
    for (int i = 0; i < 10; ++i) {
        append(f, QStringLiteral("一二三四五"));
        f.tick();
    }
    QCOMPARE(writing().speed, 18000);
    QCOMPARE(today().writeSpeed, 18000);
    QCOMPARE(today().wordCount, 50);
    for (int i = 0; i < 10; ++i) {
        append(f, QStringLiteral("六七"));
        f.tick();
    }
    QCOMPARE(writing().speed, (7200 + 18000) / 2);
    QCOMPARE(today().writeSpeed, 18000);
}

void WritingTickTest::pastedTextCountsOnlyTowardsAllWords()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("粘贴")));
    append(f, QString(40, QChar(0x5B57)));
    f.tick();
    QCOMPARE(today().wordCountAll, 40);
    QCOMPARE(today().wordCount, 0);
    QCOMPARE(today().netIncrease, 0);
    QCOMPARE(writing().bucketWords, 0);
    QCOMPARE(f.pane()->currentChapter()->wordCount, 40);
}

void WritingTickTest::deletingWordsLowersNetIncrease()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("删字")));
    append(f, QString(20, QChar(0x5B57)));
    f.tick();
    const int net = today().netIncrease;
    const int changed = writing().changedWords;
    QTextCursor cursor = f.editor()->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 7);
    cursor.removeSelectedText();
    f.tick();
    QCOMPARE(today().netIncrease, net - 7);
    QCOMPARE(writing().changedWords, changed + 7);
    QCOMPARE(writing().lastWordCount, 13);
}

// Paragraphs begin with two ideographic spaces, typed like any character.
void WritingTickTest::ideographicSpacesAreNoWords()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("全角空格"));
    QVERIFY(book);
    f.type(QStringLiteral("\u3000\u3000他说\u3000好"));
    f.tick();
    QCOMPARE(f.pane()->currentChapter()->wordCount, 3);
    QCOMPARE(today().wordCount, 3);
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select wordCount from tb_chapter where localId = %1")
                                      .arg(f.pane()->currentChapterId()))
                 .toInt(),
             3);
}

void WritingTickTest::pauseCountingStopsAfter301Seconds()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("停顿")));
    append(f, QStringLiteral("字"));
    f.tick();
    QVERIFY(writing().active);
    f.pause();
    f.tick();
    QVERIFY(!writing().active);
    const int paused = writing().pausedSeconds;
    f.tick(400);
    QCOMPARE(writing().pausedSeconds, paused + 301);
    QCOMPARE(CreationFixture::pendingSaves(), 1);
}

void WritingTickTest::versionAfter300ChangedWordsButNotOfAnEmptyText()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("版本")));
    append(f, QString(300, QChar(0x5B57)));
    f.tick();
    QCOMPARE(writing().changedWords, 0);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where jobType = 1019")).toInt(), 1);

    f.editor()->clear();
    f.tick();
    QCOMPARE(writing().changedWords, 300);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where jobType = 1019")).toInt(), 1);
}

void WritingTickTest::wordGoalWaitsForTheFirstSpeedWindow()
{
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("字数锁")));
    T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
    lock.lockType = 1;
    lock.lockWords = 1000;
    writing().speed = 0;
    writing().tickCount = 0;
    for (int i = 0; i < 9; ++i) {
        append(f, QStringLiteral("一二三"));
        f.tick();
    }
    QCOMPARE(lock.writeWords, 0);
    append(f, QStringLiteral("一二三"));
    f.tick();  // the window closes after this tick's words were counted
    QVERIFY(writing().speed > 0);
    append(f, QStringLiteral("四五"));
    f.tick();
    QCOMPARE(lock.writeWords, 2);
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
}

int runWritingTickTests(int argc, char** argv)
{
    WritingTickTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingTick.moc"
