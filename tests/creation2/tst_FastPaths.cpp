// The writing window's shortcuts for long chapters give exactly what the plain
// ways give: the word count kept per edit against a count of the whole text.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QTest>
#include <QTextCursor>

class FastPathsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void keptWordCountEqualsACountOfTheWholeText();

private:
    // The tick's word count of the chapter against a count of the editor text.
    bool countsAgree(const char* step);
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void FastPathsTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("捷径"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
}

void FastPathsTest::cleanupTestCase()
{
    delete m_f;
}

bool FastPathsTest::countsAgree(const char* step)
{
    m_f->tick();
    const int kept = m_f->pane()->currentChapter()->wordCount;
    const int counted = T_Chapter::countWords(m_f->editor()->toPlainText());
    if (kept != counted)
        qWarning() << step << "kept" << kept << "counted" << counted;
    return kept == counted;
}

void FastPathsTest::keptWordCountEqualsACountOfTheWholeText()
{
    Creation_TextEdit* edit = m_f->editor();
    edit->setFocus();
    m_f->type(QStringLiteral("他说：“天下大势，分久必合。”"));
    QVERIFY(countsAgree("commit"));
    QTest::keyClicks(edit, QStringLiteral("ab c"));
    QTest::keyClick(edit, Qt::Key_Return);
    m_f->type(QStringLiteral("第二段\u00a0文字"));
    QVERIFY(countsAgree("enter and a no-break space"));
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    m_f->type(QStringLiteral("换行"));
    QVERIFY(countsAgree("line separator"));
    // Backspace at a paragraph's start joins two paragraphs.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QVERIFY(countsAgree("joined paragraphs"));
    // A selection over paragraphs typed over.
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    m_f->type(QStringLiteral("终"));
    QVERIFY(countsAgree("selection replaced"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(countsAgree("undo"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(countsAgree("redo"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QVERIFY(countsAgree("everything deleted"));
    QCOMPARE(m_f->pane()->currentChapter()->wordCount, 0);
    // A chapter shown anew is counted from its text.
    m_f->type(QStringLiteral("一二三\n四五"));
    QVERIFY(m_f->pane()->saveChapter(true));
    T_Chapter* shown = m_f->pane()->currentChapter();
    T_Chapter* other = m_book->chapterList.first() == shown ? m_book->chapterList.last() : m_book->chapterList.first();
    QVERIFY(other != shown);
    QVERIFY(m_f->pane()->showChapter(m_book, other, false));
    QVERIFY(m_f->pane()->showChapter(m_book, shown, false));
    QVERIFY(countsAgree("shown again"));
    QCOMPARE(m_f->pane()->currentChapter()->wordCount, 5);
}

int runFastPathsTests(int argc, char** argv)
{
    FastPathsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FastPaths.moc"
