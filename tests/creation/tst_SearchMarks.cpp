// Search marks on a long chapter, typed into the search dialog: the same
// matches as the document's own find, painted for the part in view and
// following the view, without touching the text, its undo history or the
// chapter's save state.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

namespace {
const QColor kCurrent(QStringLiteral("#17B978"));
const QColor kOther(QStringLiteral("#81DCB5"));

// A chapter of real sentences, with line ends, a character outside the basic
// plane and runs of the searched character.
QString longChapter()
{
    const QStringList lines{QStringLiteral("　　他回头看了一眼，山路上只剩他一个人。"),
                            QStringLiteral("　　风从谷底吹上来，他他他连说三声好，\U00020000字仍在。"),
                            QStringLiteral("　　她没有回答，只把灯递给了他。")};
    QString text;
    for (int i = 0; text.size() < 60000; ++i)
        text += lines.at(i % lines.size()) + QLatin1Char('\n');
    return text;
}

void commit(QWidget* target, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}
}

class SearchMarksTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void typedQueryMarksWhatFindFindsInViewOnly_data();
    void typedQueryMarksWhatFindFindsInViewOnly();

private:
    // Painted colour over a position, transparent when none.
    QColor paintedAt(int position) const;
    // Painted background marks (the focus line has none).
    int marks() const;
    CreationFixture* m_f = nullptr;
};

void SearchMarksTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    T_Book* book = m_f->offlineBook(QStringLiteral("长章"));
    QVERIFY(book);
    QVERIFY(m_f->open(book));
}

void SearchMarksTest::cleanupTestCase()
{
    delete m_f;
}

QColor SearchMarksTest::paintedAt(int position) const
{
    QColor colour(0, 0, 0, 0);
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections()) {
        if (mark.format.hasProperty(QTextFormat::BackgroundBrush) && mark.cursor.selectionStart() <= position
            && position < mark.cursor.selectionEnd())
            colour = mark.format.background().color();
    }
    return colour;
}

int SearchMarksTest::marks() const
{
    int count = 0;
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections())
        count += mark.format.hasProperty(QTextFormat::BackgroundBrush) ? 1 : 0;
    return count;
}

void SearchMarksTest::typedQueryMarksWhatFindFindsInViewOnly_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("one character, runs of it") << QStringList{QStringLiteral("他")};
    QTest::newRow("a further keystroke") << QStringList{QStringLiteral("他"), QStringLiteral("他")};
    QTest::newRow("outside the basic plane") << QStringList{QStringLiteral("\U00020000字")};
    QTest::newRow("across a line end") << QStringList{QStringLiteral("人。\n")};
}

void SearchMarksTest::typedQueryMarksWhatFindFindsInViewOnly()
{
    QFETCH(QStringList, keys);
    m_f->editor()->setPlainText(longChapter());
    QTextDocument* document = m_f->editor()->document();
    const int undoSteps = document->availableUndoSteps();
    const quint64 serial = m_f->editor()->editSerial();
    m_f->pane()->openSearch();
    QLineEdit* box = m_f->pane()->searchDialog()->searchEdit();
    box->clear();
    for (const QString& key : keys)
        commit(box, key);
    const QString query = keys.join(QString());

    // The plain way: the document's own find, occurrences not overlapping.
    // It cannot look across a line end, the plain text can.
    QList<int> expected;
    const QString plain = m_f->pane()->toPlainText();
    for (int p = plain.indexOf(query); p >= 0; p = plain.indexOf(query, p + query.size()))
        expected.append(p + query.size());
    if (!query.contains(QLatin1Char('\n'))) {
        QList<int> found;
        for (QTextCursor c = document->find(query); !c.isNull(); c = document->find(query, c))
            found.append(c.selectionEnd());
        QCOMPARE(found, expected);
    }
    QCOMPARE(m_f->pane()->matchEnds(), expected);
    QVERIFY(expected.size() > 100);

    // The first match is current, the caret at its end; a later one in view is marked too.
    QCOMPARE(m_f->editor()->textCursor().position(), expected.first());
    QTRY_COMPARE(paintedAt(expected.first() - 1), kCurrent);
    QTRY_COMPARE(paintedAt(expected.at(1) - 1), kOther);
    QVERIFY(paintedAt(expected.first()) != kCurrent || expected.at(1) == expected.first() + query.size());
    // Only what is in view is painted, and the marks follow the view.
    QVERIFY(marks() < expected.size() / 4);
    QScrollBar* bar = m_f->editor()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QTRY_COMPARE(paintedAt(expected.last() - 1), kOther);
    // Looking changed nothing: no edit, nothing to undo, nothing to save.
    QCOMPARE(m_f->editor()->editSerial(), serial);
    QCOMPARE(document->availableUndoSteps(), undoSteps);
    QCOMPARE(m_f->pane()->toPlainText(), plain);

    m_f->pane()->searchDialog()->closeSearch();
    QCOMPARE(marks(), 0);
}

int runSearchMarksTests(int argc, char** argv)
{
    SearchMarksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SearchMarks.moc"
