// The sensitive-word check as the author runs it: F7 in the writing window,
// the panel's own list edited and saved, the check button, then a treatment
// chosen and confirmed; what the editor shows and what the tick stores.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_SensitiveWords.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

namespace {
const QColor kMark(255, 0, 0, 128);

void commit(QWidget* target, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

QPushButton* button(Widget_SensitiveWords* panel, const char* page, const char* name)
{
    return panel->findChild<QWidget*>(QLatin1String(page))->findChild<QPushButton*>(QLatin1String(name));
}
}

class SensitiveWordsWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void checkCountsAndMarksTheHitsInTheEditor();
    void treatmentReplacesTheWordsAndTheTickStoresIt_data();
    void treatmentReplacesTheWordsAndTheTickStoresIt();
    void checkWithBothListsOffFindsNothingAndOnlyClearsMarks();

private:
    // F7, as the author opens the check.
    Widget_SensitiveWords* openPanel();
    // "检测" on the first page; the result label's text.
    QString check(Widget_SensitiveWords* panel);
    void treat(Widget_SensitiveWords* panel, int treatment);
    bool markedAt(int position) const;
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void SensitiveWordsWindowTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->onlineBook(QStringLiteral("敏感"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
    // The platform's list arrives at sign-in; the author's own list is typed in the panel.
    CPublicManager::instance()->sensitiveMatcher.setWords(QStringLiteral("仙侠、侠"));
    CPublicManager::instance()->userConf.systemConf.sensitiveStatus = 3;
    m_f->window()->move(420, 300);
    Widget_SensitiveWords* panel = openPanel();
    QVERIFY(panel);
    // It opens over the writing window, not in a corner of the screen.
    QVERIFY(m_f->window()->frameGeometry().contains(panel->geometry().center()));
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("btnEdit")), Qt::LeftButton);
    auto* own = panel->findChild<QTextEdit*>(QStringLiteral("textEdit"));
    own->clear();
    commit(own, QStringLiteral("魔头"));
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("btnSaveEdit")), Qt::LeftButton);
    QCOMPARE(CPublicManager::instance()->sensitiveMatcher.customText(), QStringLiteral("魔头"));
    panel->hide();
}

void SensitiveWordsWindowTest::cleanupTestCase()
{
    CPublicManager::instance()->sensitiveMatcher.setWords(QString());
    CPublicManager::instance()->sensitiveMatcher.setCustomWords(QString());
    delete m_f;
}

void SensitiveWordsWindowTest::init()
{
    m_f->editor()->clear();
    m_f->editor()->setFocus();
    CPublicManager::instance()->userConf.systemConf.sensitiveStatus = 3;
}

Widget_SensitiveWords* SensitiveWordsWindowTest::openPanel()
{
    QKeyEvent f7(QEvent::KeyPress, Qt::Key_F7, Qt::NoModifier);
    QApplication::sendEvent(m_f->window(), &f7);
    auto* panel = m_f->pane()->findChild<Widget_SensitiveWords*>();
    return panel != nullptr && panel->isVisible() ? panel : nullptr;
}

QString SensitiveWordsWindowTest::check(Widget_SensitiveWords* panel)
{
    QTest::mouseClick(button(panel, "pageSetting", "btnConfirm"), Qt::LeftButton);
    return panel->findChild<QLabel*>(QStringLiteral("labelResult"))->text();
}

void SensitiveWordsWindowTest::treat(Widget_SensitiveWords* panel, int treatment)
{
    const char* radios[] = {"radioButton", "radioButton_2", "radioButton_3", "radioButton_4"};
    QTest::mouseClick(panel->findChild<QRadioButton*>(QLatin1String(radios[treatment - 1])), Qt::LeftButton);
    QTest::mouseClick(button(panel, "pageResult", "btnConfirm"), Qt::LeftButton);
}

bool SensitiveWordsWindowTest::markedAt(int position) const
{
    for (const QTextEdit::ExtraSelection& mark : m_f->editor()->extraSelections()) {
        if (mark.format.background().color() == kMark && mark.cursor.selectionStart() <= position
            && position < mark.cursor.selectionEnd())
            return true;
    }
    return false;
}

void SensitiveWordsWindowTest::checkCountsAndMarksTheHitsInTheEditor()
{
    commit(m_f->editor(), QStringLiteral("仙侠与魔头，侠客。"));
    const QString text = m_f->pane()->toPlainText();
    Widget_SensitiveWords* panel = openPanel();
    QVERIFY(panel);
    // 仙侠, 侠 twice (once inside 仙侠), 魔头.
    QCOMPARE(check(panel), Widget_SensitiveWords::resultText(4));
    QVERIFY(panel->findChild<QRadioButton*>(QStringLiteral("radioButton"))->isChecked());
    const int undoSteps = m_f->editor()->document()->availableUndoSteps();
    treat(panel, 1);
    QCOMPARE(m_f->editor()->toPlainText(), text);
    for (const QString& word : {QStringLiteral("仙侠"), QStringLiteral("魔头"), QStringLiteral("侠客")}) {
        const int at = text.indexOf(word);
        QVERIFY(markedAt(at));
    }
    QVERIFY(!markedAt(text.indexOf(QStringLiteral("与"))));
    QVERIFY(!markedAt(text.indexOf(QStringLiteral("客"))));
    QCOMPARE(m_f->editor()->textCursor().position(), text.indexOf(QStringLiteral("仙侠")) + 2);
    // Marks are for looking: nothing to undo, and the next key takes them off.
    QCOMPARE(m_f->editor()->document()->availableUndoSteps(), undoSteps);
    QTest::keyClick(m_f->editor(), Qt::Key_Right);
    QVERIFY(!markedAt(text.indexOf(QStringLiteral("仙侠"))));
    panel->hide();
}

void SensitiveWordsWindowTest::treatmentReplacesTheWordsAndTheTickStoresIt_data()
{
    QTest::addColumn<int>("treatment");
    QTest::addColumn<QString>("treated");
    QTest::newRow("pinyin") << 2 << QStringLiteral("xianxia与motou，侠客。");
    QTest::newRow("stars") << 3 << QStringLiteral("**与**，*客。");
    QTest::newRow("dashes") << 4 << QStringLiteral("仙-侠与魔-头，侠客。");
}

void SensitiveWordsWindowTest::treatmentReplacesTheWordsAndTheTickStoresIt()
{
    QFETCH(int, treatment);
    QFETCH(QString, treated);
    // Stars and dashes also reach 侠 of 侠客; pinyin replaced 仙侠 first.
    if (treatment == 2)
        treated.replace(QStringLiteral("侠客"), QStringLiteral("xia客"));
    T_Chapter* chapter = m_f->pane()->currentChapter();
    QVERIFY(chapter);
    commit(m_f->editor(), QStringLiteral("仙侠与魔头，侠客。"));
    m_f->tick();
    // The author stops and the pause save stores what was typed: the
    // treatment below is the only change after it.
    m_f->pause();
    m_f->tick(2);
    const QString typed = m_f->pane()->toPlainText();
    QCOMPARE(CreationFixture::storedText(chapter), typed);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    const QString indent = typed.section(QStringLiteral("仙"), 0, 0);
    Widget_SensitiveWords* panel = openPanel();
    QVERIFY(panel);
    check(panel);
    treat(panel, treatment);
    const QString expected = indent + treated;
    QCOMPARE(m_f->editor()->toPlainText(), expected);
    // No key was pressed and stars keep every count, yet the tick stores the
    // treated text and sends it to the platform (a treatment that adds words
    // counts as writing and is stored at the pause).
    m_f->tick();
    m_f->pause();
    m_f->tick(2);
    QCOMPARE(CreationFixture::storedText(chapter), expected);
    QVERIFY(BooksFixture::waitUntil([&expected]() {
        return BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("content")).toString()
            == expected;
    }));
    panel->hide();
}

void SensitiveWordsWindowTest::checkWithBothListsOffFindsNothingAndOnlyClearsMarks()
{
    commit(m_f->editor(), QStringLiteral("仙侠"));
    const QString text = m_f->pane()->toPlainText();
    Widget_SensitiveWords* panel = openPanel();
    QVERIFY(panel);
    check(panel);
    treat(panel, 1);
    QVERIFY(markedAt(text.indexOf(QStringLiteral("仙侠"))));
    openPanel();
    QTest::mouseClick(panel->findChild<QWidget*>(QStringLiteral("checkBoxNormal")), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(panel->findChild<QWidget*>(QStringLiteral("checkBoxCustom")), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(CPublicManager::instance()->userConf.systemConf.sensitiveStatus, 0);
    QCOMPARE(check(panel), Widget_SensitiveWords::resultText(0));
    treat(panel, 3);
    QCOMPARE(m_f->editor()->toPlainText(), text);
    QVERIFY(!markedAt(text.indexOf(QStringLiteral("仙侠"))));
    panel->hide();
}

int runSensitiveWordsWindowTests(int argc, char** argv)
{
    SensitiveWordsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SensitiveWordsWindow.moc"
