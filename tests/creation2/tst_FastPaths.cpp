// The writing window's shortcuts for long chapters give exactly what the plain
// ways give: the word count kept per edit against a count of the whole text,
// a treatment edited in place against the word-by-word replacement.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/SensitiveWordMatcher.h"
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
    void treatmentInPlaceGivesTheWordByWordText_data();
    void treatmentInPlaceGivesTheWordByWordText();

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

void FastPathsTest::treatmentInPlaceGivesTheWordByWordText_data()
{
    QTest::addColumn<int>("treatment");
    QTest::newRow("pinyin") << 2;
    QTest::newRow("stars") << 3;
    QTest::newRow("dashes") << 4;
}

void FastPathsTest::treatmentInPlaceGivesTheWordByWordText()
{
    QFETCH(int, treatment);
    SensitiveWordMatcher& matcher = CPublicManager::instance()->sensitiveMatcher;
    // Words inside longer ones, neighbours and repeats, across paragraphs.
    matcher.setWords(QStringLiteral("仙侠、侠、魔头、头目、大侠"));
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("　　第%1回，大侠与魔头目送仙侠，侠客。\n").arg(i);
    m_f->editor()->clear();
    m_f->type(text);
    const QString before = m_f->editor()->toPlainText();
    QVERIFY(CUiManager::instance()->countSensitiveWords(SensitiveWordMatcher::RegularList) > 300);
    const QString expected = matcher.applyTreatmentWordByWord(before, matcher.results(), treatment);
    CUiManager::instance()->sensitiveWordsAction(treatment);
    QCOMPARE(m_f->editor()->toPlainText(), expected);
    QVERIFY(countsAgree("treated"));
    matcher.setWords(QString());
    // Dashed words hold later words, so that treatment is set as a whole
    // text; the others are one step the author can undo.
    if (treatment == SensitiveWordMatcher::SeparateByDash)
        return;
    m_f->editor()->undo();
    QCOMPARE(m_f->editor()->toPlainText(), before);
    QVERIFY(countsAgree("undone"));
}

int runFastPathsTests(int argc, char** argv)
{
    FastPathsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FastPaths.moc"
