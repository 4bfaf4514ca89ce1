// Saving what the author writes: the tick's pause save, chapter switches,
// closing the window, hostile texts and a long chapter.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

class WritingSaveTest : public QObject
{
    Q_OBJECT
private slots:
    void typingThenPauseSavesOnceAndSends();
    void activeWritingSavesOnlyAfterSixtySeconds();
    void switchingChaptersSavesThePreviousOne();
    void choosingTheShownChapterKeepsWhatWasTyped();
    void deletingAloneIsSavedAtThePause();
    void closingTheWindowSaves();
    void closeEventSavesBeforeTheWindowGoes();
    void hostileTextsAreStoredAsTyped();
    void longChapterIsNotSavedAgainWhenUnchanged();
    void reloadFromRecordDiscardsEditorText();
    void unreadableChapterKeepsThePreviousOneShown();
    void wordsTypedWhileThePauseSaveCommitsAreSavedNext();
    void platformChangeArrivingWhileThePauseSaveCommitsKeepsTheText();
};

void WritingSaveTest::typingThenPauseSavesOnceAndSends()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("连载"), true);
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QCOMPARE(f.pane()->currentChapter(), chapter);
    standin().clearJournal();

    f.editor()->setFocus();
    QTest::keyClicks(f.editor(), QStringLiteral("abc"));
    f.tick();
    QVERIFY(CPublicManager::instance()->writing.active);
    QCOMPARE(CreationFixture::pendingSaves(), 0);

    f.pause();
    f.tick();  // the writing window closes
    QVERIFY(!CPublicManager::instance()->writing.active);
    QCOMPARE(CreationFixture::pendingSaves(), 0);
    f.tick();  // the pause save
    const QString typed = f.pane()->toPlainText();
    QVERIFY(typed.endsWith(QStringLiteral("abc")));
    QCOMPARE(CreationFixture::storedText(chapter), typed);
    QCOMPARE(CreationFixture::pendingSaves(), 1);
    QCOMPARE(chapter->content, typed);

    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/editChapter")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("content")).toString(),
             typed);
    f.tick(5);
    QTest::qWait(300);
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/editChapter")), 1);
}

void WritingSaveTest::activeWritingSavesOnlyAfterSixtySeconds()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("持续"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    f.editor()->setFocus();
    // The counter of active ticks is one per program: run it past a save
    // first, so that what follows starts from a known point.
    QTest::keyClicks(f.editor(), QStringLiteral("x"));
    bool savedOnce = false;
    for (int i = 0; i < 62 && !savedOnce; ++i) {
        CPublicManager::instance()->writing.lastChangeTime = int(QDateTime::currentSecsSinceEpoch());
        QTest::keyClicks(f.editor(), QStringLiteral("y"));
        f.tick();
        savedOnce = CreationFixture::storedText(chapter) == f.pane()->toPlainText();
    }
    QVERIFY(savedOnce);
    // From a save, 60 further active ticks pass before the next one.
    for (int i = 0; i < 59; ++i) {
        CPublicManager::instance()->writing.lastChangeTime = int(QDateTime::currentSecsSinceEpoch());
        QTest::keyClicks(f.editor(), QStringLiteral("z"));
        f.tick();
        QVERIFY(CreationFixture::storedText(chapter) != f.pane()->toPlainText());
    }
    CPublicManager::instance()->writing.lastChangeTime = int(QDateTime::currentSecsSinceEpoch());
    f.tick();
    QCOMPARE(CreationFixture::storedText(chapter), f.pane()->toPlainText());
    QCOMPARE(CreationFixture::pendingSaves(), 1);
}

void WritingSaveTest::switchingChaptersSavesThePreviousOne()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("换章"));
    QVERIFY(book);
    T_Chapter* first = book->chapterList.at(0);
    T_Chapter* second = book->chapterList.at(1);
    // A fresh book opens on its last chapter.
    QCOMPARE(f.pane()->currentChapter(), second);
    f.editor()->setFocus();
    f.type(QStringLiteral("第二章的字"));
    CUiManager::instance()->selectChapter(book, first);
    QCOMPARE(f.pane()->currentChapter(), first);
    QVERIFY(CreationFixture::storedText(second).endsWith(QStringLiteral("第二章的字")));
    QCOMPARE(CreationFixture::pendingSaves(), 1);
    QCOMPARE(book->lastEditChapterId, second->localId);
    QCOMPARE(f.pane()->toPlainText(), first->content);
}

void WritingSaveTest::choosingTheShownChapterKeepsWhatWasTyped()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("再选"));
    QVERIFY(book);
    T_Chapter* shown = f.pane()->currentChapter();
    f.type(QStringLiteral("刚写的"));
    CUiManager::instance()->showChapter(book, shown);
    QVERIFY(f.pane()->toPlainText().endsWith(QStringLiteral("刚写的")));
    QVERIFY(CreationFixture::storedText(shown).endsWith(QStringLiteral("刚写的")));
}

void WritingSaveTest::deletingAloneIsSavedAtThePause()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("只删"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.last();
    chapter->content = QStringLiteral("一二三四五");
    chapter->contentLoaded = true;
    chapter->calcWordCount();
    QVERIFY(f.open(book));
    QCOMPARE(f.pane()->currentChapter(), chapter);
    // Keys count as writing in the editor that has the keyboard focus.
    QApplication::setActiveWindow(f.window());
    f.editor()->setFocus();
    QTRY_VERIFY(f.editor()->hasEditorFocus());
    f.editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(f.editor(), Qt::Key_Backspace);
    QTest::keyClick(f.editor(), Qt::Key_Backspace);
    f.tick();
    f.pause();
    f.tick(2);
    QCOMPARE(CreationFixture::storedText(chapter), QStringLiteral("一二三"));
}

void WritingSaveTest::closingTheWindowSaves()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("关窗"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    f.editor()->setFocus();
    f.type(QStringLiteral("最后几个字"));
    CUiManager::instance()->closeCreation();
    QVERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("最后几个字")));
    QVERIFY(!f.window()->isVisible());
    QVERIFY(!f.pane()->isTickRunning());
    QCOMPARE(f.pane()->currentChapter(), static_cast<T_Chapter*>(nullptr));
    // The bookshelf, when there is one, is the main window again.
    QVERIFY(CUiManager::instance()->currentWindow().data() != static_cast<QWidget*>(f.window()));
    QVERIFY(CUiManager::instance()->isBookshelfMode());
}

void WritingSaveTest::closeEventSavesBeforeTheWindowGoes()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("直接关"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    f.editor()->setFocus();
    f.type(QStringLiteral("没保存的字"));
    CPublicManager::instance()->userConf.systemConf.isTray = 1;
    f.window()->close();
    CPublicManager::instance()->userConf.systemConf.isTray = 0;
    QVERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("没保存的字")));

    // A writing lock refuses the close and keeps the window.
    f.window()->show();
    CPublicManager::instance()->userConf.writeLock.lockType = 1;
    QVERIFY(!f.window()->close());
    QVERIFY(f.window()->isVisible());
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
}

void WritingSaveTest::hostileTextsAreStoredAsTyped()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("引号'\"%1"), true);
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    standin().clearJournal();
    const QString text = QStringLiteral("　　他说：“%1”，'; drop table tb_chapter; --\n　　\"%2\" 100% \\n 𠀀龘");
    f.editor()->setPlainText(text);
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(CreationFixture::storedText(chapter), text);
    QCOMPARE(chapter->content, text);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/editChapter")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("content")).toString(),
             text);
    QCOMPARE(chapter->wordCount, CUiManager::wordCount(text));
}

void WritingSaveTest::longChapterIsNotSavedAgainWhenUnchanged()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("长章"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    QString text;
    const QString line = QStringLiteral("　　天色渐晚，山路上只剩他一个人，风从谷底吹上来，带着松脂的气味。");
    while (text.size() < 200000)
        text += line + QLatin1Char('\n');
    text.truncate(200000);
    f.editor()->setPlainText(text);
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(CreationFixture::pendingSaves(), 1);
    const int revision = BooksFixture::scalar(QStringLiteral("select revision from tb_job where jobType = 1017")).toInt();

    // Many ticks through a pause: nothing changed, nothing is written.
    f.tick(3);
    f.pause();
    f.tick(5);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select revision from tb_job where jobType = 1017")).toInt(), revision);
    QCOMPARE(CreationFixture::storedText(chapter), text);

    // Moving the caret or re-styling is no change of text.
    f.editor()->moveCursor(QTextCursor::Start);
    f.pane()->saveChapter(true);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select revision from tb_job where jobType = 1017")).toInt(), revision);

    f.type(QStringLiteral("序"));
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(CreationFixture::storedText(chapter), QStringLiteral("序") + text);
    QCOMPARE(CreationFixture::pendingSaves(), 1);
    QVERIFY(BooksFixture::scalar(QStringLiteral("select revision from tb_job where jobType = 1017")).toInt() > revision);
}

void WritingSaveTest::reloadFromRecordDiscardsEditorText()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("重载"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    f.editor()->setPlainText(QStringLiteral("编辑器里的字"));
    chapter->content = QStringLiteral("平台送来的字");
    // Words the editor has not stored are never discarded for the record's.
    CUiManager::instance()->chapterContent(book, chapter);
    QCOMPARE(f.pane()->toPlainText(), QStringLiteral("编辑器里的字"));
    QCOMPARE(CreationFixture::pendingSaves(), 0);
    // Once stored (the feed stores them before it applies a text), the
    // editor takes the platform's text.
    QVERIFY(f.pane()->saveChapter(false));
    chapter->content = QStringLiteral("平台送来的字");
    CUiManager::instance()->chapterContent(book, chapter);
    QCOMPARE(f.pane()->toPlainText(), QStringLiteral("平台送来的字"));
}

void WritingSaveTest::unreadableChapterKeepsThePreviousOneShown()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("读不出"));
    QVERIFY(book);
    T_Chapter* shown = f.pane()->currentChapter();
    f.editor()->setFocus();
    f.type(QStringLiteral("还在写"));
    const QString typed = f.pane()->toPlainText();

    T_Chapter ghost;
    ghost.localId = 987654;
    ghost.localBookId = book->localId;
    ghost.name = QStringLiteral("没有行的章");
    f.pane()->showChapter(book, &ghost, false);
    QCOMPARE(f.pane()->currentChapter(), shown);
    QCOMPARE(f.pane()->toPlainText(), typed);
    // What the author typed still goes to the chapter it belongs to.
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(CreationFixture::storedText(shown), typed);
}

int runWritingSaveTests(int argc, char** argv)
{
    WritingSaveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingSave.moc"

void WritingSaveTest::wordsTypedWhileThePauseSaveCommitsAreSavedNext()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("途中"), true);
    QVERIFY(book);
    const T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    standin().clearJournal();
    QSignalSpy saved(f.pane(), &Widget_Creation_Content::sig_chapterSaved);
    f.editor()->setFocus();
    f.type(QStringLiteral("先写的一句。"));
    f.tick();
    f.pause();
    f.tick(2);  // the pause save leaves for the worker
    const QString first = f.pane()->toPlainText();
    // Typed before the window heard that the save committed.
    f.type(QStringLiteral("后写的一句。"));
    QTRY_COMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toBool(), true);
    QCOMPARE(chapter->content, first);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/editChapter")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("content")).toString(),
             first);
    // The later words are not taken for saved: closing the book would drop
    // them, so the next pause stores them.
    QVERIFY(f.pane()->holdsUnsavedText());
    QVERIFY(!f.pane()->closeBook());
    f.tick();
    f.pause();
    f.tick(2);
    QTRY_COMPARE(saved.count(), 2);
    QVERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("先写的一句。后写的一句。")));
    QVERIFY(!f.pane()->holdsUnsavedText());
}

void WritingSaveTest::platformChangeArrivingWhileThePauseSaveCommitsKeepsTheText()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("并行"), true);
    QVERIFY(book);
    const T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    QTRY_VERIFY(book->bookId > 0 && chapter->chapterId > 0);
    QSignalSpy saved(f.pane(), &Widget_Creation_Content::sig_chapterSaved);
    f.editor()->setFocus();
    const QString typed = QStringLiteral("回复到来之前写下的一段话。");
    f.type(typed);
    f.tick();
    f.pause();
    f.tick(2);
    // A change from the platform, queued as a reply is, and so as a rule
    // ahead of the worker's word that the save committed: the chapter's
    // record is copied, changed and written back whole.
    const int bookId = book->bookId;
    const QJsonObject changed{{QStringLiteral("chapter_id"), chapter->chapterId},
                              {QStringLiteral("update_time"), 1700000123}};
    QMetaObject::invokeMethod(
        CBookJobManager::instance(), [bookId, changed]() { CBookJobManager::instance()->asynBackChapterContent(bookId, changed); },
        Qt::QueuedConnection);
    QTRY_COMPARE(chapter->updateTime, 1700000123);
    QTRY_COMPARE(saved.count(), 1);
    // The copy was taken after the save: neither the row nor the record
    // went back to the text from before it.
    QVERIFY(CreationFixture::storedText(chapter).endsWith(typed));
    QVERIFY(chapter->content.endsWith(typed));
    QVERIFY(!f.pane()->holdsUnsavedText());
}
