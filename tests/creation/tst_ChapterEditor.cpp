// The chapter editor's key rules and the tool bar's commands on the message bus.

#include "CreationFixture.h"

#include "common/CMessageDispatcher.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QQuickWidget>
#include <QTest>

namespace {
const QString kIndent = QString(2, QChar(0x3000));

T_CreationConf& conf()
{
    return CPublicManager::instance()->userConf.creationConf;
}
}

class ChapterEditorTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void marksArePairedWithTheCaretInside_data();
    void marksArePairedWithTheCaretInside();
    void enterFollowsIndentAndBlankLineSettings_data();
    void enterFollowsIndentAndBlankLineSettings();
    void firstCharacterOfAnEmptyChapterIsIndented();
    void typingMarksActivityOnlyWithFocus();
    void busFontSizeIsAtLeastTen();
    void busBoldAppliesToTheWholeTextAndIsStored();
    void busCuttingLineAndClipboard();
    void pasteWithEmptyClipboardDoesNothing();
    void hotKeysArePassedOnOnlyForCtrlAndFunctionKeys();
    void textWithPercentOneIsStyledAsIs();
    void f3OpensTheOutlinePanelOverThePane();

private:
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void ChapterEditorTest::initTestCase()
{
    m_f = new CreationFixture();
    m_book = m_f->start(QStringLiteral("编辑器"));
    QVERIFY(m_book);
}

void ChapterEditorTest::init()
{
    conf() = T_CreationConf();
    m_f->editor()->clear();
    m_f->editor()->setFocus();
}

void ChapterEditorTest::cleanupTestCase()
{
    delete m_f;
}

void ChapterEditorTest::marksArePairedWithTheCaretInside_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("committed");
    QTest::addColumn<int>("autoPunctuation");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");
    QTest::newRow("parenthesis") << QStringLiteral("(") << true << QString() << 1 << QStringLiteral("()") << 1;
    // A character typed before the timer fires lands before the closing mark.
    QTest::newRow("typed on at once") << QStringLiteral("[a") << false << QString() << 1 << QStringLiteral("[a]") << 2;
    QTest::newRow("apostrophe") << QStringLiteral("'") << false << QString() << 1 << QStringLiteral("''") << 1;
    QTest::newRow("input method opening mark") << QString() << false << QStringLiteral("《") << 1 << QStringLiteral("《》") << 1;
    QTest::newRow("input method closing mark") << QString() << false << QStringLiteral("’") << 1 << QStringLiteral("‘’") << 1;
    QTest::newRow("setting off") << QStringLiteral("(") << true << QString() << 0 << QStringLiteral("(") << 1;
}

void ChapterEditorTest::marksArePairedWithTheCaretInside()
{
    QFETCH(QString, keys);
    QFETCH(bool, shift);
    QFETCH(QString, committed);
    QFETCH(int, autoPunctuation);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    conf().isIndent = 0;
    conf().isAutoPunctuation = autoPunctuation;
    QTest::keyClicks(m_f->editor(), keys, shift ? Qt::ShiftModifier : Qt::NoModifier);
    if (!committed.isEmpty())
        m_f->type(committed);
    // The closing mark follows on a short timer; with the setting off no
    // timer runs and the text stands as typed.
    QTRY_COMPARE(m_f->editor()->toPlainText(), expected);
    QTRY_COMPARE(m_f->editor()->textCursor().position(), caret);
}

void ChapterEditorTest::enterFollowsIndentAndBlankLineSettings_data()
{
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("spaces");
    QTest::addColumn<QString>("expected");
    QTest::newRow("indent only") << 1 << 0 << (QStringLiteral("a\n") + kIndent);
    QTest::newRow("both") << 1 << 1 << (QStringLiteral("a\n\n") + kIndent);
    QTest::newRow("blank line only") << 0 << 1 << QStringLiteral("a\n\n");
    QTest::newRow("neither") << 0 << 0 << QStringLiteral("a\n");
}

void ChapterEditorTest::enterFollowsIndentAndBlankLineSettings()
{
    QFETCH(int, indent);
    QFETCH(int, spaces);
    QFETCH(QString, expected);
    conf().isIndent = 0;
    m_f->editor()->setPlainText(QStringLiteral("a"));
    m_f->editor()->moveCursor(QTextCursor::End);
    conf().isIndent = indent;
    conf().isSpaces = spaces;
    QTest::keyClick(m_f->editor(), Qt::Key_Return);
    QCOMPARE(m_f->editor()->toPlainText(), expected);
}

void ChapterEditorTest::firstCharacterOfAnEmptyChapterIsIndented()
{
    QTest::keyClicks(m_f->editor(), QStringLiteral("ab"));
    QCOMPARE(m_f->editor()->toPlainText(), kIndent + QStringLiteral("ab"));
}

void ChapterEditorTest::typingMarksActivityOnlyWithFocus()
{
    T_WritingCounters& writing = CPublicManager::instance()->writing;
    writing.started = writing.active = false;
    CUiManager::instance()->setIdleSeconds(42);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(m_f->editor(), &out);
    QTest::keyClick(m_f->editor(), Qt::Key_A);
    QCOMPARE(CUiManager::instance()->idleSeconds(), 0);
    QVERIFY(!writing.active);
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(m_f->editor(), &in);
    QTest::keyClick(m_f->editor(), Qt::Key_Left);
    QVERIFY(!writing.active);
    QTest::keyClick(m_f->editor(), Qt::Key_A);
    QVERIFY(writing.active);
    QVERIFY(writing.started);
}

void ChapterEditorTest::busFontSizeIsAtLeastTen()
{
    CMessageDispatcher::instance()->PostBkMessage(1004, 8);
    QCOMPARE(conf().fontSize, 10);
    CMessageDispatcher::instance()->PostBkMessage(1004, 18);
    QCOMPARE(conf().fontSize, 18);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select fontSize from tb_creation_conf")).toInt(), 18);
}

void ChapterEditorTest::busBoldAppliesToTheWholeTextAndIsStored()
{
    conf().isIndent = 0;
    Creation_TextEdit* edit = m_f->editor();
    edit->setPlainText(QStringLiteral("第一段\n第二段"));
    QTextCursor caret = edit->textCursor();
    caret.setPosition(1);
    caret.setPosition(2, QTextCursor::KeepAnchor);
    edit->setTextCursor(caret);
    CMessageDispatcher::instance()->PostBkMessage(1001);
    QCOMPARE(conf().isBlod, 1);
    QTextCursor probe(edit->document());
    probe.setPosition(6);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(edit->textCursor().anchor(), 1);
    QCOMPARE(edit->textCursor().position(), 2);
    CMessageDispatcher::instance()->PostBkMessage(1001);
    QCOMPARE(conf().isBlod, 0);
    // 1007 has no action of its own but still selects, stores and restores.
    CMessageDispatcher::instance()->PostBkMessage(1007);
    QCOMPARE(edit->textCursor().position(), 2);
}

void ChapterEditorTest::busCuttingLineAndClipboard()
{
    conf().isIndent = 0;
    Creation_TextEdit* edit = m_f->editor();
    edit->setPlainText(QStringLiteral("上下"));
    QTextCursor caret = edit->textCursor();
    caret.setPosition(1);
    edit->setTextCursor(caret);
    CMessageDispatcher::instance()->PostBkMessage(1010);
    QCOMPARE(edit->toPlainText(), QStringLiteral("上\n") + QString(38, QLatin1Char('-')) + QStringLiteral("\n下"));

    edit->setPlainText(QStringLiteral("复制这段"));
    caret = edit->textCursor();
    caret.setPosition(2);
    caret.setPosition(4, QTextCursor::KeepAnchor);
    edit->setTextCursor(caret);
    CMessageDispatcher::instance()->PostBkMessage(1011);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("这段"));
    CMessageDispatcher::instance()->PostBkMessage(1013);
    QCOMPARE(edit->toPlainText(), QStringLiteral("复制"));
}

void ChapterEditorTest::pasteWithEmptyClipboardDoesNothing()
{
    T_Chapter* chapter = m_f->pane()->currentChapter();
    QVERIFY(chapter);
    QApplication::clipboard()->clear();
    const int all = CPublicManager::instance()->statistics.wordCountAll;
    const QString before = BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1")
                                                    .arg(chapter->localId)).toString();
    m_f->editor()->setPlainText(before);
    CMessageDispatcher::instance()->PostBkMessage(1012);
    QCOMPARE(m_f->editor()->toPlainText(), before);
    QCOMPARE(CPublicManager::instance()->statistics.wordCountAll, all);

    QApplication::clipboard()->setText(QStringLiteral("粘贴的字"));
    CMessageDispatcher::instance()->PostBkMessage(1012);
    // Pasting saves at once, so the pasted words are already in the database.
    QVERIFY(CreationFixture::storedText(chapter).contains(QStringLiteral("粘贴的字")));
}

void ChapterEditorTest::hotKeysArePassedOnOnlyForCtrlAndFunctionKeys()
{
    QList<int> passed;
    auto connection = connect(CUiManager::instance(), &CUiManager::sig_Creation_HotKey_Press, this,
                              [&passed](QKeyEvent* event) { passed.append(event->key()); });
    auto press = [this](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(m_f->window(), &event);
    };
    press(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_F5, Qt::ShiftModifier);
    QVERIFY(passed.isEmpty());
    press(Qt::Key_F12, Qt::NoModifier);
    press(Qt::Key_F, Qt::ControlModifier);
    disconnect(connection);
    QCOMPARE(passed, (QList<int>{Qt::Key_F12, Qt::Key_F}));
}

void ChapterEditorTest::textWithPercentOneIsStyledAsIs()
{
    conf().fontFamily = QStringLiteral("%1 字体");
    CUiManager::instance()->showChapter(m_book, m_f->pane()->currentChapter());
    QVERIFY(m_f->editor()->styleSheet().contains(QStringLiteral("font-family:\"%1 字体\";")));
}

void ChapterEditorTest::f3OpensTheOutlinePanelOverThePane()
{
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
    QApplication::sendEvent(m_f->window(), &f3);
    QWidget* panel = COutlineController::instance()->getWidget();
    QVERIFY(panel);
    QCOMPARE(panel->parentWidget(), static_cast<QWidget*>(m_f->pane()));
    QVERIFY(panel->isVisible());
    QCOMPARE(COutlineController::instance()->currentBook(), m_book);
}

int runChapterEditorTests(int argc, char** argv)
{
    ChapterEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterEditor.moc"
