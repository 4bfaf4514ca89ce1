// The writing window's tool bar: hot keys, line spacing, the editor's answers
// on the message bus and the chapter tabs.

#include "CreationFixture.h"

#include "common/CMessageDispatcher.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CTabButton.h"
#include "ui/common/FontColorButton.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"

#include <QComboBox>
#include <QLabel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

class ToolBarTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void ctrlF1TogglesBoldAndTheEditorFollows();
    void ctrlF6PostsLayoutWithoutTouchingItsButton();
    void lineSpacingIsShownAndStored();
    void emptyFontColourPaintsTheDefaultSwatch();
    void copyAndUndoFollowTheEditor();
    void sixthChapterTakesOverTheCurrentTab();
    void closingTheCurrentTabOpensTheNextOne();

private:
    void hotKey(int key);
    Widget_Creation_Top* top() const { return m_f->window()->getTop(); }
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void ToolBarTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("工具栏"));
    QVERIFY(m_book);
    T_Volume* volume = m_book->volumeList.first();
    for (int order = 3; order <= 7; ++order) {
        TC_Chapter_Add chapter(m_book->localId, 0, volume->localId, 0, 1700000000, order,
                               QStringLiteral("第%1章").arg(order));
        chapter.header.synStep = 1;
        QVERIFY(CBookJobManager::instance()->chapter_add(chapter));
    }
    QCOMPARE(m_book->chapterList.size(), 7);
    QVERIFY(m_f->open(m_book));
}

void ToolBarTest::cleanupTestCase()
{
    delete m_f;
}

void ToolBarTest::hotKey(int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::ControlModifier);
    QApplication::sendEvent(m_f->window(), &event);
}

void ToolBarTest::ctrlF1TogglesBoldAndTheEditorFollows()
{
    const int before = CPublicManager::instance()->userConf.creationConf.isBlod;
    QPushButton* bold = top()->button(QStringLiteral("btnBold"));
    const bool checked = bold->isChecked();
    hotKey(Qt::Key_F1);
    QCOMPARE(bold->isChecked(), !checked);
    // The message is queued: the editor pane carries it out on the next pass.
    QTRY_COMPARE(CPublicManager::instance()->userConf.creationConf.isBlod, before ? 0 : 1);
    hotKey(Qt::Key_F5);
    QCOMPARE(bold->isChecked(), !checked);
}

void ToolBarTest::ctrlF6PostsLayoutWithoutTouchingItsButton()
{
    const int centre = CPublicManager::instance()->userConf.creationConf.isCenter;
    const bool checked = top()->button(QStringLiteral("btnBespread"))->isChecked();
    hotKey(Qt::Key_F6);
    QTRY_COMPARE(CPublicManager::instance()->userConf.creationConf.isCenter, centre ? 0 : 1);
    QCOMPARE(top()->button(QStringLiteral("btnBespread"))->isChecked(), checked);
}

void ToolBarTest::lineSpacingIsShownAndStored()
{
    QComboBox* spacing = top()->combo(QStringLiteral("comLineWidth"));
    QCOMPARE(spacing->currentData().toString(), QStringLiteral("1.25"));
    QVERIFY(spacing->currentText().startsWith(QStringLiteral("1.25")));
    spacing->setCurrentIndex(spacing->count() - 1);
    QCOMPARE(CPublicManager::instance()->userConf.creationConf.lineSpacing, 3.0);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select lineSpacing from tb_creation_conf")).toDouble(), 3.0);
}

void ToolBarTest::emptyFontColourPaintsTheDefaultSwatch()
{
    auto* swatch = top()->findChild<FontColorButton*>(QStringLiteral("btnFontColor"));
    QVERIFY(swatch);
    CMessageDispatcher::instance()->PostBkMessage(1105, QStringLiteral("#ff0000"));
    QVERIFY(swatch->colorBar()->styleSheet().contains(QStringLiteral("#ff0000")));
    CMessageDispatcher::instance()->PostBkMessage(1105, QString());
    QVERIFY(swatch->colorBar()->styleSheet().contains(QStringLiteral("#424242")));
}

void ToolBarTest::copyAndUndoFollowTheEditor()
{
    Creation_TextEdit* edit = m_f->editor();
    edit->setPlainText(QStringLiteral("选中的字"));
    edit->selectAll();
    QVERIFY(top()->button(QStringLiteral("btnCopy"))->isEnabled());
    QVERIFY(top()->button(QStringLiteral("btnCut"))->isEnabled());
    edit->moveCursor(QTextCursor::End);
    QVERIFY(!top()->button(QStringLiteral("btnCopy"))->isEnabled());
    edit->insertPlainText(QStringLiteral("再"));
    QVERIFY(top()->button(QStringLiteral("btnUndo"))->isEnabled());
}

void ToolBarTest::sixthChapterTakesOverTheCurrentTab()
{
    CUiManager::instance()->openCreation(m_book);
    QCOMPARE(top()->visibleTabCount(), 1);
    for (int i = 0; i < 4; ++i)
        CUiManager::instance()->selectChapter(m_book, m_book->chapterList.at(i));
    QCOMPARE(top()->visibleTabCount(), 5);
    T_Chapter* sixth = m_book->chapterList.at(4);
    T_Chapter* shown = m_f->pane()->currentChapter();
    // A new tab is refused and nothing is shown ...
    CUiManager::instance()->selectChapter(m_book, sixth);
    QCOMPARE(m_f->pane()->currentChapter(), shown);
    // ... but opening it from the tree re-binds the current tab.
    CUiManager::instance()->openChapter(m_book, sixth);
    QCOMPARE(m_f->pane()->currentChapter(), sixth);
    QCOMPARE(top()->currentTab()->item(), sixth);
    QCOMPARE(top()->visibleTabCount(), 5);
}

void ToolBarTest::closingTheCurrentTabOpensTheNextOne()
{
    CUiManager::instance()->openCreation(m_book);
    CUiManager::instance()->selectChapter(m_book, m_book->chapterList.at(0));
    CUiManager::instance()->selectChapter(m_book, m_book->chapterList.at(1));
    QCOMPARE(top()->visibleTabCount(), 3);
    // Make the middle tab current, then close it.
    CTabButton* middle = top()->tabs().at(1);
    QCOMPARE(middle->item(), m_book->chapterList.at(0));
    CUiManager::instance()->openChapter(m_book, m_book->chapterList.at(0));
    QCOMPARE(top()->currentTab(), middle);
    emit middle->sig_close();
    QCOMPARE(top()->visibleTabCount(), 2);
    QCOMPARE(m_f->pane()->currentChapter(), m_book->chapterList.at(1));
    // The only tab left cannot be closed.
    emit top()->currentTab()->sig_close();
    QCOMPARE(top()->visibleTabCount(), 1);
    emit top()->currentTab()->sig_close();
    QCOMPARE(top()->visibleTabCount(), 1);
}

int runToolBarTests(int argc, char** argv)
{
    ToolBarTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ToolBar.moc"
