// The writing editor lays its chapter out itself. These tests hold it to what
// Qt's own document layout gives for a copy of the same document: every line
// in the same place, through what the author does (the tool bar's line
// spacing, focus mode, opening a long chapter, a narrower window, the caret
// keys), also while the paragraphs of a long chapter are still being laid out.

#include "CreationFixture.h"

#include "manager/CUiManager.h"
#include "ui/creation/ChapterLayout.h"
#include "ui/creation/Createtion_TextEdit_VScroll.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"

#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QWheelEvent>

#include <memory>

namespace {

// Paragraphs of the kinds a chapter holds: indented prose, an empty line, a
// Latin word longer than a line, a character outside the basic plane, a tab.
QString mixedChapter(int paragraphs)
{
    const QStringList kinds{QStringLiteral("　　他回头看了一眼，山路上只剩他一个人。").repeated(9),
                            QString(),
                            QStringLiteral("Supercalifragilistic").repeated(12),
                            QStringLiteral("　　\U00020000字仍在，\t风从谷底吹上来。").repeated(3),
                            QStringLiteral("　　她没有回答。")};
    QStringList text;
    for (int i = 0; i < paragraphs; ++i)
        text << kinds.at(i % kinds.size());
    return text.join(QLatin1Char('\n'));
}

// Qt's own layout of a copy of the editor's document, at the same page width.
std::unique_ptr<QTextDocument> laidOutByQt(const QTextDocument* source)
{
    std::unique_ptr<QTextDocument> copy(source->clone());
    copy->setDefaultFont(source->defaultFont());
    copy->setDefaultTextOption(source->defaultTextOption());
    copy->setIndentWidth(source->indentWidth());
    copy->rootFrame()->setFrameFormat(source->rootFrame()->frameFormat());
    copy->setPageSize(source->pageSize());
    copy->documentLayout();
    return copy;
}

}

class ChapterLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void placesEveryLineAsQtDoes_data();
    void placesEveryLineAsQtDoes();
    void longChapterOpensAtItsEndAndStaysThereWhileLaidOut();
    void largePasteLeavesTheCaretInView_data();
    void largePasteLeavesTheCaretInView();
    void viewAtTheEndStaysThereWhenTheTextAboveShrinks();
    void viewMovedAwayAfterOpeningStaysThere_data();
    void viewMovedAwayAfterOpeningStaysThere();
    void caretKeysWalkLinesOfParagraphsNotLaidOutYet();
    void anyRunOfEditsEndsWhereQtWouldPutIt();

private:
    ChapterLayout* layout() const;
    // Every paragraph and line of the editor where Qt would put it.
    void compareWithQt();
    // The chapter shown afresh from its record, as opening it does.
    void openChapterWith(const QString& text);
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void ChapterLayoutTest::initTestCase()
{
    m_f = new CreationFixture();
    m_book = m_f->start(QStringLiteral("排版"));
    QVERIFY(m_book);
    m_f->window()->resize(1200, 800);
}

void ChapterLayoutTest::cleanupTestCase()
{
    delete m_f;
}

void ChapterLayoutTest::init()
{
    // Focus mode off: it recentres the caret's line, which moves the view.
    m_f->pane()->creation_command(33, QString(), QString());
}

ChapterLayout* ChapterLayoutTest::layout() const
{
    return qobject_cast<ChapterLayout*>(m_f->editor()->document()->documentLayout());
}

void ChapterLayoutTest::openChapterWith(const QString& text)
{
    m_f->editor()->setPlainText(text);
    CUiManager::instance()->showChapter(m_book, m_f->pane()->currentChapter());
}

void ChapterLayoutTest::compareWithQt()
{
    QTextDocument* document = m_f->editor()->document();
    ChapterLayout* ours = layout();
    QVERIFY(ours);
    QTRY_VERIFY(ours->isComplete());
    const std::unique_ptr<QTextDocument> copy = laidOutByQt(document);
    QAbstractTextDocumentLayout* qt = copy->documentLayout();
    QCOMPARE(ours->documentSize(), qt->documentSize());
    QTextBlock mine = document->firstBlock();
    QTextBlock theirs = copy->firstBlock();
    for (; mine.isValid() && theirs.isValid(); mine = mine.next(), theirs = theirs.next()) {
        QCOMPARE(ours->blockBoundingRect(mine), qt->blockBoundingRect(theirs));
        const QTextLayout* a = mine.layout();
        const QTextLayout* b = theirs.layout();
        QCOMPARE(a->lineCount(), b->lineCount());
        for (int i = 0; i < a->lineCount(); ++i) {
            QCOMPARE(a->lineAt(i).textStart(), b->lineAt(i).textStart());
            QCOMPARE(a->lineAt(i).position(), b->lineAt(i).position());
        }
    }
    QVERIFY(!mine.isValid() && !theirs.isValid());
    // A click lands where Qt's layout would put the caret.
    for (const QPointF point : {QPointF(200, 300), QPointF(640, 1234.5), QPointF(90, 2000), QPointF(300, 1e6)})
        QCOMPARE(ours->hitTest(point, Qt::FuzzyHit), qt->hitTest(point, Qt::FuzzyHit));
}

void ChapterLayoutTest::placesEveryLineAsQtDoes_data()
{
    QTest::addColumn<int>("spacing");
    QTest::addColumn<bool>("focus");
    QTest::newRow("narrowest line spacing") << 0 << false;
    QTest::newRow("widest line spacing") << -1 << false;
    QTest::newRow("focus mode margins") << 1 << true;
}

void ChapterLayoutTest::placesEveryLineAsQtDoes()
{
    QFETCH(int, spacing);
    QFETCH(bool, focus);
    openChapterWith(mixedChapter(60));
    if (focus)
        m_f->pane()->creation_command(34, QString(), QString());
    QComboBox* box = m_f->window()->getTop()->combo(QStringLiteral("comLineWidth"));
    const int index = spacing < 0 ? box->count() - 1 : spacing;
    box->setCurrentIndex(index);
    const qreal height = box->itemData(index).toString().toDouble() * 100;
    QTRY_COMPARE(m_f->editor()->document()->lastBlock().blockFormat().lineHeight(), height);
    compareWithQt();
    // A paragraph typed in the middle moves what follows as Qt would.
    QTextCursor middle(m_f->editor()->document()->findBlockByNumber(20));
    m_f->editor()->setTextCursor(middle);
    m_f->type(QStringLiteral("新的一段，很长很长。").repeated(8) + QLatin1Char('\n'));
    compareWithQt();
}

void ChapterLayoutTest::longChapterOpensAtItsEndAndStaysThereWhileLaidOut()
{
    Creation_TextEdit* editor = m_f->editor();
    openChapterWith(mixedChapter(4000));
    // Shown at its end before the rest of the chapter is laid out.
    QVERIFY(!layout()->isComplete());
    QCOMPARE(editor->textCursor().position(), editor->document()->characterCount() - 1);
    QVERIFY(editor->viewport()->rect().contains(editor->cursorRect()));
    // Typing meanwhile, in view, goes where the caret is.
    m_f->type(QStringLiteral("完"));
    QVERIFY(editor->toPlainText().endsWith(QStringLiteral("完")));
    QTRY_VERIFY(layout()->isComplete());
    // The paragraphs above got their real heights; the view stayed at the end.
    QVERIFY(editor->viewport()->rect().contains(editor->cursorRect()));
    QCOMPARE(editor->verticalScrollBar()->value(), editor->verticalScrollBar()->maximum());
    compareWithQt();
}

void ChapterLayoutTest::largePasteLeavesTheCaretInView_data()
{
    QTest::addColumn<bool>("focus");
    QTest::addColumn<bool>("menu");
    // Focus mode first, while the paste's heights are still poorly estimated.
    for (bool focus : {true, false})
        for (bool menu : {false, true})
            QTest::addRow("%s%s", focus ? "focus mode, " : "", menu ? "the menu's paste" : "ctrl+v") << focus << menu;
}

void ChapterLayoutTest::largePasteLeavesTheCaretInView()
{
    QFETCH(bool, focus);
    QFETCH(bool, menu);
    Creation_TextEdit* editor = m_f->editor();
    openChapterWith(QStringLiteral("　　开头。"));
    if (focus)
        m_f->pane()->creation_command(34, QString(), QString());
    QTRY_VERIFY(layout()->isComplete());
    // 2000 paragraphs, 200,000 characters: more than is laid out at once.
    QStringList pasted;
    for (int i = 0; i < 2000; ++i)
        pasted << QStringLiteral("　　第%1段").arg(i).leftJustified(99, QChar(0x5B57));
    QApplication::clipboard()->setText(QLatin1Char('\n') + pasted.join(QLatin1Char('\n')));
    QApplication::setActiveWindow(m_f->window());
    editor->setFocus();
    QTRY_VERIFY(editor->hasEditorFocus());
    if (menu) {
        editor->refreshMenu();
        for (QAction* entry : editor->contextMenu()->actions()) {
            if (entry->text() == QCoreApplication::translate("Creation_TextEdit", "Paste"))
                entry->trigger();
        }
    } else
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor->textCursor().position(), editor->document()->characterCount() - 1);
    QVERIFY(editor->viewport()->rect().contains(editor->cursorRect()));
    // The paragraphs above get their real heights while focus mode scrolls
    // the caret's line to the middle: all along, the scroll ends with the
    // caret in view; once both are done, the caret is in view.
    auto* bar = qobject_cast<Createtion_TextEdit_VScroll*>(editor->verticalScrollBar());
    QList<int> missed;
    QVERIFY(QTest::qWaitFor([&]() {
        // What the scroll passes over is drawn, as on the author's screen.
        editor->viewport()->repaint();
        const int target = bar->scrollTarget();
        const int caret = editor->cursorRect().center().y() + bar->value() - target;
        if (target >= 0 && (caret < 0 || caret > editor->viewport()->height()))
            missed << caret;
        return layout()->isComplete() && target < 0;
    }, 30000));
    QCOMPARE(missed, QList<int>());
    QVERIFY(editor->viewport()->rect().contains(editor->cursorRect()));
}

void ChapterLayoutTest::viewMovedAwayAfterOpeningStaysThere_data()
{
    QTest::addColumn<bool>("focus");
    QTest::addColumn<bool>("wheel");
    for (bool focus : {false, true})
        for (bool wheel : {false, true})
            QTest::addRow("%s%s", focus ? "focus mode, " : "", wheel ? "wheel" : "scroll bar") << focus << wheel;
}

void ChapterLayoutTest::viewMovedAwayAfterOpeningStaysThere()
{
    QFETCH(bool, focus);
    QFETCH(bool, wheel);
    if (focus)
        m_f->pane()->creation_command(34, QString(), QString());
    Creation_TextEdit* editor = m_f->editor();
    QScrollBar* bar = editor->verticalScrollBar();
    // The window takes its size as it opens on the chapter; its floating
    // parts are placed a moment later.
    const int width = editor->width();
    m_f->window()->resize(m_f->window()->width() == 1200 ? 1210 : 1200, 800);
    QTRY_VERIFY(editor->width() != width);
    openChapterWith(mixedChapter(4000));
    // The author moves the view up at once, while the chapter is laid out.
    if (wheel) {
        const QPoint at = editor->viewport()->rect().center();
        QWheelEvent up(at, editor->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        for (int i = 0; i < 100; ++i)
            QApplication::sendEvent(editor->viewport(), &up);
    } else {
        bar->setSliderDown(true);
        bar->setSliderPosition(bar->maximum() / 3);
        bar->setSliderDown(false);
    }
    const int top = editor->cursorForPosition(QPoint(0, 0)).position();
    QVERIFY(top < editor->document()->characterCount() - 2000);
    // Once the chapter is laid out, the view shows the text the author moved it to.
    QTRY_VERIFY(layout()->isComplete());
    const int shown = editor->cursorForPosition(QPoint(0, 0)).position();
    QVERIFY2(qAbs(shown - top) < 300, qPrintable(QStringLiteral("%1 shown, %2 left").arg(shown).arg(top)));
    if (focus)
        m_f->pane()->creation_command(33, QString(), QString());
}

// Latin paragraphs above Chinese ones: estimated from the Chinese lines laid
// out at the end, the Latin ones are taken for longer than they are, and the
// document shrinks as they are laid out under a view at its end.
void ChapterLayoutTest::viewAtTheEndStaysThereWhenTheTextAboveShrinks()
{
    Creation_TextEdit* editor = m_f->editor();
    const QString latin = QStringLiteral("narrow letters fill a line with many more characters ").repeated(4);
    const QString chinese = QStringLiteral("　　宽的字一行放得少，估计的行数就多。").repeated(8);
    QStringList paragraphs;
    for (int i = 0; i < 700; ++i)
        paragraphs << latin;
    for (int i = 0; i < 80; ++i)
        paragraphs << chinese;
    openChapterWith(paragraphs.join(QLatin1Char('\n')));
    QVERIFY(!layout()->isComplete());
    QScrollBar* bar = editor->verticalScrollBar();
    const int estimatedEnd = bar->maximum();
    QCOMPARE(bar->value(), estimatedEnd);
    QTRY_VERIFY(layout()->isComplete());
    QVERIFY(bar->maximum() < estimatedEnd);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(editor->viewport()->rect().contains(editor->cursorRect()));
}

void ChapterLayoutTest::caretKeysWalkLinesOfParagraphsNotLaidOutYet()
{
    Creation_TextEdit* editor = m_f->editor();
    openChapterWith(mixedChapter(4000));
    QTRY_VERIFY(layout()->isComplete());
    // A narrower editor, as the window's layout gives it: every paragraph
    // breaks anew, and none below the caret is laid out before the keys.
    editor->resize(editor->width() - 230, editor->height());
    QVERIFY(!layout()->isComplete());
    const std::unique_ptr<QTextDocument> copy = laidOutByQt(editor->document());
    QTextCursor expected(copy.get());
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(editor->textCursor().position(), 0);
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(editor, Qt::Key_Down);
        expected.movePosition(QTextCursor::Down);
        QCOMPARE(editor->textCursor().position(), expected.position());
    }
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(editor, Qt::Key_Up);
        expected.movePosition(QTextCursor::Up);
        QCOMPARE(editor->textCursor().position(), expected.position());
    }
    compareWithQt();

    // Wider again, and the author drags the scroll bar to the middle: the
    // text at the top of the view stays there while the paragraphs above it
    // get their real heights.
    editor->resize(editor->width() + 230, editor->height());
    QVERIFY(!layout()->isComplete());
    QScrollBar* bar = editor->verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum() / 2);
    bar->setSliderDown(false);
    const int top = editor->cursorForPosition(QPoint(0, 0)).position();
    QVERIFY(top > 0);
    QTRY_VERIFY(layout()->isComplete());
    QCOMPARE(editor->cursorForPosition(QPoint(0, 0)).position(), top);
    compareWithQt();
}

// Edits of every shape, undone and redone, some of them large enough to be
// laid out in slices, with keys typed while paragraphs are still estimated:
// the paragraphs the layout keeps stay in step with the document's.
void ChapterLayoutTest::anyRunOfEditsEndsWhereQtWouldPutIt()
{
    Creation_TextEdit* editor = m_f->editor();
    openChapterWith(mixedChapter(80));
    QTRY_VERIFY(layout()->isComplete());
    QTextDocument* document = editor->document();
    QRandomGenerator random(20261207);
    const QStringList pieces{QStringLiteral("字"), QStringLiteral("\n"), QStringLiteral("一句话。\n第二段"),
                             QStringLiteral("\n\n"), QStringLiteral("Latin words wrap somewhere")};
    editor->setFocus();
    for (int step = 0; step < 160; ++step) {
        QTextCursor cursor(document);
        const int length = document->characterCount() - 1;
        cursor.setPosition(random.bounded(length + 1));
        switch (random.bounded(8)) {
        case 0:
        case 1:
            cursor.insertText(pieces.at(random.bounded(pieces.size())).repeated(1 + random.bounded(3)));
            break;
        case 2:
            cursor.setPosition(qMin(length, cursor.position() + random.bounded(300)), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        case 3:
            editor->setTextCursor(cursor);
            QTest::keyClick(editor, random.bounded(2) ? Qt::Key_Return : Qt::Key_Backspace);
            break;
        case 4:
            document->undo();
            break;
        case 5:
            document->redo();
            break;
        case 6: {
            cursor.setPosition(qMin(length, cursor.position() + random.bounded(2000)), QTextCursor::KeepAnchor);
            QTextBlockFormat spacing;
            spacing.setLineHeight(75 + 25 * random.bounded(6), QTextBlockFormat::ProportionalHeight);
            spacing.setTopMargin(random.bounded(30));
            cursor.mergeBlockFormat(spacing);
            break;
        }
        default:
            break;
        }
        // Now and then a paste large enough to be laid out in slices, with
        // the next edits arriving before it is.
        if (step % 80 == 7) {
            cursor.insertText(mixedChapter(1500));
            QVERIFY(!layout()->isComplete());
        }
        if (step % 20 == 19) {
            compareWithQt();
            if (QTest::currentTestFailed())
                return;
        }
    }
    compareWithQt();
}

int runChapterLayoutTests(int argc, char** argv)
{
    ChapterLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterLayout.moc"
