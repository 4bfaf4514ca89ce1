// Find and replace in the open chapter, and search marks on a long chapter
// typed into the search dialog: the same matches as the document's own find,
// painted for the part in view and following the view, without touching the
// text, its undo history or the chapter's save state.

#include "CreationFixture.h"
#include "ScrollAreaProbe.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/EditorMarks.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
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

}

class SearchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void occurrencesDoNotOverlapAndAreCaseSensitive();
    void steppingWrapsAround();
    void replacingTheCurrentShiftsTheLaterOnes();
    void replacingTheOnlyOccurrenceSaves();
    void replacementIsTextNotMarkup();
    void pastedReplacementLosesControlCharacters();
    void replaceAllAsksAndDeletesWithAnEmptyReplacement();
    void onlyUserEditsSearchAndClosingRemovesMarks();
    void typedQueryMarksWhatFindFindsInViewOnly_data();
    void typedQueryMarksWhatFindFindsInViewOnly();
    void closingPaneWithMarksNeverAsksTheDyingEditor();
    void hitsInViewStayMarkedWhenTheLineSpacingGrowsUnderTheCaret();

private:
    void setText(const QString& text);
    // Painted colour over a position (the last mark covering it), transparent when none.
    QColor backgroundAt(int position) const;
    // Painted background marks (the focus line has none).
    int marks() const;
    // Matches shown in the editor's viewport that no mark paints.
    int unmarkedMatchesInView() const;
    Widget_Creation_Content* pane() const { return m_f->pane(); }
    Dialog_Search* dialog();
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void SearchTest::initTestCase()
{
    m_f = new CreationFixture();
    m_book = m_f->start(QStringLiteral("查找"));
    QVERIFY(m_book);
}

void SearchTest::cleanupTestCase()
{
    delete m_f;
}

void SearchTest::init()
{
    pane()->setReplaceAllConfirmer(nullptr);
}

void SearchTest::setText(const QString& text)
{
    m_f->editor()->setPlainText(text);
}

QColor SearchTest::backgroundAt(int position) const
{
    QColor colour(0, 0, 0, 0);
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections()) {
        if (mark.format.hasProperty(QTextFormat::BackgroundBrush) && mark.cursor.selectionStart() <= position
            && position < mark.cursor.selectionEnd())
            colour = mark.format.background().color();
    }
    return colour;
}

int SearchTest::marks() const
{
    int count = 0;
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections())
        count += mark.format.hasProperty(QTextFormat::BackgroundBrush) ? 1 : 0;
    return count;
}

int SearchTest::unmarkedMatchesInView() const
{
    const QRect view = m_f->editor()->viewport()->rect();
    const int top = m_f->editor()->cursorForPosition(view.topLeft()).position();
    const int bottom = m_f->editor()->cursorForPosition(view.bottomRight()).position();
    int unmarked = 0;
    for (const int end : m_f->pane()->matchEnds())
        unmarked += end > top && end <= bottom && backgroundAt(end - 1).alpha() == 0 ? 1 : 0;
    return unmarked;
}

Dialog_Search* SearchTest::dialog()
{
    CUiManager::instance()->creationWindow()->getContent()->openSearch();
    return pane()->searchDialog();
}

void SearchTest::occurrencesDoNotOverlapAndAreCaseSensitive()
{
    setText(QStringLiteral("aaaa"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("aa"));
    QCOMPARE(pane()->matchEnds(), (QList<int>{2, 4}));
    QCOMPARE(m_f->editor()->textCursor().position(), 2);
    QCOMPARE(backgroundAt(0), kCurrent);
    QCOMPARE(backgroundAt(2), kOther);
    setText(QStringLiteral("ab"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("Ab"));
    QVERIFY(pane()->matchEnds().isEmpty());
}

void SearchTest::steppingWrapsAround()
{
    setText(QStringLiteral("猫 猫 猫"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("猫"));
    emit dialog()->sig_sreach_btn(SreachPrevious, QString());
    QCOMPARE(pane()->currentMatch(), 2);
    QCOMPARE(backgroundAt(4), kCurrent);
    QCOMPARE(backgroundAt(0), kOther);
    emit dialog()->sig_sreach_btn(SreachNext, QString());
    QCOMPARE(pane()->currentMatch(), 0);
}

void SearchTest::replacingTheCurrentShiftsTheLaterOnes()
{
    setText(QStringLiteral("cat cat cat"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("cat"));
    emit dialog()->sig_sreach_btn(SreachNext, QString());
    QCOMPARE(pane()->currentMatch(), 1);
    emit dialog()->sig_sreach_btn(SreachReplaceCurrent, QStringLiteral("tiger"));
    QCOMPARE(m_f->editor()->toPlainText(), QStringLiteral("cat tiger cat"));
    QCOMPARE(pane()->matchEnds(), (QList<int>{3, 13}));
    QCOMPARE(pane()->currentMatch(), 1);
    QCOMPARE(CreationFixture::storedText(pane()->currentChapter()), QStringLiteral("cat tiger cat"));
    // The marks moved with the text: the last "cat" is marked where it now
    // stands, and nothing of "tiger" is.
    const EditorMarks* held = m_f->editor()->findChild<EditorMarks*>();
    QVERIFY(held);
    QList<int> starts;
    for (const EditorMarks::Mark& mark : held->marks())
        starts << mark.start << mark.end;
    QCOMPARE(starts, (QList<int>{0, 3, 10, 13}));
    QTRY_COMPARE(backgroundAt(12), kCurrent);
    for (int position = 4; position < 10; ++position)
        QCOMPARE(backgroundAt(position).alpha(), 0);
}

void SearchTest::replacingTheOnlyOccurrenceSaves()
{
    setText(QStringLiteral("只有一处错字"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("错字"));
    emit dialog()->sig_sreach_btn(SreachReplaceCurrent, QStringLiteral("对字"));
    QVERIFY(pane()->matchEnds().isEmpty());
    QCOMPARE(CreationFixture::storedText(pane()->currentChapter()), QStringLiteral("只有一处对字"));
}

void SearchTest::replacementIsTextNotMarkup()
{
    setText(QStringLiteral("甲乙"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("乙"));
    const QString hostile = QStringLiteral("<b>&amp;\"%1\"</b>");
    emit dialog()->sig_sreach_btn(SreachReplaceCurrent, hostile);
    QCOMPARE(m_f->editor()->toPlainText(), QStringLiteral("甲") + hostile);
    QCOMPARE(CreationFixture::storedText(pane()->currentChapter()), QStringLiteral("甲") + hostile);
}

void SearchTest::pastedReplacementLosesControlCharacters()
{
    Dialog_Search* search = dialog();
    auto* replacement = search->findChild<QLineEdit*>(QStringLiteral("lineEditReplace"));
    QVERIFY(replacement);
    pane()->setReplaceAllConfirmer([](const QString&) { return true; });
    const struct
    {
        const char* button;
        QString expected;
    } cases[] = {{"btnReplaceCur", QStringLiteral("甲丙\t丁乙")}, {"btnReplaceAll", QStringLiteral("甲丙\t丁丙\t丁")}};
    for (const auto& c : cases) {
        setText(QStringLiteral("甲乙乙"));
        emit search->sig_sreach_btn(SreachSearch, QStringLiteral("乙"));
        QApplication::clipboard()->setText(QStringLiteral("丙\u0001\t\u0000丁\u0085"));
        replacement->clear();
        replacement->setFocus();
        QTest::keyClick(replacement, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(replacement->text().contains(QChar(1)));
        QTest::mouseClick(search->findChild<QPushButton*>(QLatin1String(c.button)), Qt::LeftButton);
        QCOMPARE(m_f->editor()->toPlainText(), c.expected);
        QCOMPARE(CreationFixture::storedText(pane()->currentChapter()), c.expected);
    }
}

void SearchTest::replaceAllAsksAndDeletesWithAnEmptyReplacement()
{
    QString asked;
    bool answer = false;
    pane()->setReplaceAllConfirmer([&](const QString& question) {
        asked = question;
        return answer;
    });
    setText(QStringLiteral("嗯，好的，嗯。"));
    emit dialog()->sig_sreach_btn(SreachSearch, QStringLiteral("嗯"));
    emit dialog()->sig_sreach_btn(SreachReplaceAll, QString());
    QVERIFY(asked.contains(QStringLiteral("空")));
    QCOMPARE(m_f->editor()->toPlainText(), QStringLiteral("嗯，好的，嗯。"));
    answer = true;
    emit dialog()->sig_sreach_btn(SreachReplaceAll, QString());
    QCOMPARE(m_f->editor()->toPlainText(), QStringLiteral("，好的，。"));
    QCOMPARE(CreationFixture::storedText(pane()->currentChapter()), QStringLiteral("，好的，。"));
    QVERIFY(pane()->matchEnds().isEmpty());
}

void SearchTest::onlyUserEditsSearchAndClosingRemovesMarks()
{
    setText(QStringLiteral("山山水水"));
    Dialog_Search* search = dialog();
    QSignalSpy spy(search, QOverload<Widget_Sreach_Btn, const QString&>::of(&Dialog_Search::sig_sreach_btn));
    search->searchEdit()->setText(QStringLiteral("山"));
    QCOMPARE(spy.count(), 0);
    QTest::keyClicks(search->searchEdit(), QStringLiteral("x"));
    QCOMPARE(spy.count(), 1);
    search->searchEdit()->clear();
    emit search->sig_sreach_btn(SreachSearch, QStringLiteral("水"));
    QCOMPARE(backgroundAt(2), kCurrent);
    search->closeSearch();
    QCOMPARE(backgroundAt(2).alpha(), 0);
    QVERIFY(search->searchEdit()->text().isEmpty());
}

void SearchTest::typedQueryMarksWhatFindFindsInViewOnly_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("one character, runs of it") << QStringList{QStringLiteral("他")};
    QTest::newRow("a further keystroke") << QStringList{QStringLiteral("他"), QStringLiteral("他")};
    QTest::newRow("outside the basic plane") << QStringList{QStringLiteral("\U00020000字")};
    QTest::newRow("across a line end") << QStringList{QStringLiteral("人。\n")};
}

void SearchTest::typedQueryMarksWhatFindFindsInViewOnly()
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
        m_f->type(key, box);
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
    QTRY_COMPARE(backgroundAt(expected.first() - 1), kCurrent);
    QTRY_COMPARE(backgroundAt(expected.at(1) - 1), kOther);
    QVERIFY(backgroundAt(expected.first()) != kCurrent || expected.at(1) == expected.first() + query.size());
    // Only what is in view is painted, and the marks follow the view.
    QVERIFY(marks() < expected.size() / 4);
    // The author drags the scroll bar to the end, over any recentring under way.
    QScrollBar* bar = m_f->editor()->verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum());
    bar->setSliderDown(false);
    QTRY_COMPARE(backgroundAt(expected.last() - 1), kOther);
    // Looking changed nothing: no edit, nothing to undo, nothing to save.
    QCOMPARE(m_f->editor()->editSerial(), serial);
    QCOMPARE(document->availableUndoSteps(), undoSteps);
    QCOMPARE(m_f->pane()->toPlainText(), plain);

    m_f->pane()->searchDialog()->closeSearch();
    QCOMPARE(marks(), 0);
}

// The marks watch the editor's viewport, which still sends events while the
// editor is being destroyed; by then the editor must not be asked anything.
void SearchTest::closingPaneWithMarksNeverAsksTheDyingEditor()
{
    auto* pane = new Widget_Creation_Content();
    pane->resize(800, 600);
    pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(pane));
    auto* edit = pane->findChild<Creation_TextEdit*>();
    QVERIFY(edit);
    edit->setEnabled(true);
    edit->setPlainText(longChapter());
    pane->openSearch();
    emit pane->searchDialog()->sig_sreach_btn(SreachSearch, QStringLiteral("他"));
    QVERIFY(!pane->matchEnds().isEmpty());
    const int before = scrollAreasAskedWhileDestroyed();
    delete pane;
    QCOMPARE(scrollAreasAskedWhileDestroyed(), before);
}

// In focus mode with the caret at the end of the chapter, a wider line spacing
// moves neither the caret nor the view, yet brings thousands of characters
// from above into view: only the layout tells the marks.
void SearchTest::hitsInViewStayMarkedWhenTheLineSpacingGrowsUnderTheCaret()
{
    const QSize size = m_f->window()->size();
    m_f->window()->resize(1600, 4000);
    // Focus mode on the caret's line, as the author starts out.
    m_f->pane()->creation_command(34, QString(), QString());
    const QString paragraph = QStringLiteral("I still tilt lit lilies, ill left. ").repeated(20).trimmed();
    setText((paragraph + QLatin1Char('\n')).repeated(40).chopped(1));
    CUiManager::instance()->showChapter(m_book, pane()->currentChapter());
    QComboBox* spacing = m_f->window()->getTop()->combo(QStringLiteral("comLineWidth"));
    spacing->setCurrentIndex(0);
    QTRY_COMPARE(m_f->editor()->document()->firstBlock().blockFormat().lineHeight(), 75.0);
    // The last match ends the chapter: stepping back to it puts the caret at
    // the end, in the middle of the view.
    Dialog_Search* search = dialog();
    emit search->sig_sreach_btn(SreachSearch, QStringLiteral("left."));
    emit search->sig_sreach_btn(SreachPrevious, QString());
    QCOMPARE(m_f->editor()->textCursor().position(), pane()->toPlainText().size());
    QScrollBar* bar = m_f->editor()->verticalScrollBar();
    QTRY_COMPARE(bar->value(), bar->maximum());
    QTRY_COMPARE(unmarkedMatchesInView(), 0);
    spacing->setCurrentIndex(1);
    QTRY_COMPARE(m_f->editor()->document()->firstBlock().blockFormat().lineHeight(), 100.0);
    QTRY_COMPARE(unmarkedMatchesInView(), 0);
    search->closeSearch();
    m_f->window()->resize(size);
}

int runSearchTests(int argc, char** argv)
{
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Search.moc"
