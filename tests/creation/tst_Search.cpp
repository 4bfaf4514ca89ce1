// Find and replace in the open chapter.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

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
    void replaceAllAsksAndDeletesWithAnEmptyReplacement();
    void onlyUserEditsSearchAndClosingRemovesMarks();

private:
    void setText(const QString& text);
    QColor backgroundAt(int position) const;
    Widget_Creation_Content* pane() const { return m_f->pane(); }
    Dialog_Search* dialog();
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void SearchTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("查找"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
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
    // What the editor paints over the character: the last mark covering it.
    QColor colour(0, 0, 0, 0);
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections()) {
        if (mark.format.hasProperty(QTextFormat::BackgroundBrush) && mark.cursor.selectionStart() <= position
            && position < mark.cursor.selectionEnd())
            colour = mark.format.background().color();
    }
    return colour;
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
    QCOMPARE(backgroundAt(0), QColor(QStringLiteral("#17B978")));
    QCOMPARE(backgroundAt(2), QColor(QStringLiteral("#81DCB5")));
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
    QCOMPARE(backgroundAt(4), QColor(QStringLiteral("#17B978")));
    QCOMPARE(backgroundAt(0), QColor(QStringLiteral("#81DCB5")));
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
    QCOMPARE(backgroundAt(2), QColor(QStringLiteral("#17B978")));
    search->closeSearch();
    QCOMPARE(backgroundAt(2).alpha(), 0);
    QVERIFY(search->searchEdit()->text().isEmpty());
}

int runSearchTests(int argc, char** argv)
{
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Search.moc"
