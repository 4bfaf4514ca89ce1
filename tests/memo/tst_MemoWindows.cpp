// The memo windows offscreen: creation by the first text, saving on focus
// out or close, the colour palette, pinning to the open chapter, moving, the
// context menu and the text limit.

#include "FeedFixture.h"
#include "MemoFixture.h"

#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/memo/MemoColorPallet.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFocusEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kEdit = QStringLiteral("/memo/editMemo");

void focusOut(MemoItemWidget* window)
{
    QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(window->textEdit(), &event);
}
}

class MemoWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { MemoItemManager::instance()->closeAll(); }
    void newWindowsStepThroughThePaletteWithTheMemoCounter();
    void clearedTextCreatesNothingFirstTextCreatesTheMemo();
    void typingChangesMemoryAtOnceAndTheRowOnFocusOut();
    void closingSavesUnsavedTextAndForgetsTheWindow();
    void paletteColourGoesToWindowMemoRowAndPlatform();
    void greyColourSwitchesToTheDarkObjectNames();
    void pinningTakesTheOpenChapterAndThePositionAndTogglesBack();
    void movingTheWindowWritesNothing();
    void contextMenuFollowsSelectionAndClipboard();
    void editorStopsAtTenThousandCharacters();
    void memoDeletedElsewhereLeavesTheWindowHarmless();
};

void MemoWindowTest::newWindowsStepThroughThePaletteWithTheMemoCounter()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemManager* memos = MemoItemManager::instance();
    const int counter = CPublicManager::instance()->userConf.systemConf.memoCount;
    MemoItemWidget* first = memos->creatItemWidget();
    QCOMPARE(first->color(), memos->colorAt(counter % 6));
    first->textEdit()->setPlainText(QStringLiteral("一"));
    QVERIFY(first->memo());
    MemoItemWidget* second = memos->creatItemWidget();
    QCOMPARE(second->color(), memos->colorAt((counter + 1) % 6));
    QVERIFY(second->color() != first->color());
    QCOMPARE(memos->openWindows().size(), 2);
    QCOMPARE(memos->colorAt(6), QString());
    QCOMPARE(memos->indexOfColor(QStringLiteral("#C9C3C3")), 5);
}

void MemoWindowTest::clearedTextCreatesNothingFirstTextCreatesTheMemo()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    CPublicManager* model = CPublicManager::instance();
    const int before = model->memoList.size();
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    const int counter = model->userConf.systemConf.memoCount;
    window->textEdit()->setPlainText(QString());
    QCOMPARE(model->memoList.size(), before);
    QVERIFY(!window->memo());

    window->textEdit()->setPlainText(QStringLiteral("他说\"别'动'\" %1 %2 100% 完"));
    QCOMPARE(model->memoList.size(), before + 1);
    const T_Memo* memo = window->memo();
    QVERIFY(memo);
    QCOMPARE(memo->color, window->color());
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("他说\"别'动'\" %1 %2 100% 完"));
    QCOMPARE(memoRow(memo->localId).color, window->color());
    QCOMPARE(model->userConf.systemConf.memoCount, counter + 1);
    // The text goes out as typed, quotes and placeholder included.
    QVERIFY(waitFor([]() { return bodiesTo(QStringLiteral("/memo/addMemo")).size() == 1; }));
    const QJsonObject body = bodiesTo(QStringLiteral("/memo/addMemo")).first();
    QCOMPARE(body.value(QStringLiteral("content")).toString(), QStringLiteral("他说\"别'动'\" %1 %2 100% 完"));
    QCOMPARE(body.value(QStringLiteral("color")).toString(), window->color());
}

void MemoWindowTest::typingChangesMemoryAtOnceAndTheRowOnFocusOut()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("旧的"));
    QVERIFY(memo);
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    QCOMPARE(window->textEdit()->toPlainText(), QStringLiteral("旧的"));
    QVERIFY(!window->hasUnsavedText());

    window->textEdit()->setPlainText(QStringLiteral("新的'引号'"));
    QCOMPARE(memo->content, QStringLiteral("新的'引号'"));
    QVERIFY(window->hasUnsavedText());
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("旧的"));
    QTest::qWait(100);
    QVERIFY(bodiesTo(kEdit).isEmpty());

    focusOut(window);
    QVERIFY(!window->hasUnsavedText());
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("新的'引号'"));
    QVERIFY(waitFor([]() { return bodiesTo(kEdit).size() == 1; }));
    QCOMPARE(bodiesTo(kEdit).first().value(QStringLiteral("content")).toString(), QStringLiteral("新的'引号'"));
}

void MemoWindowTest::closingSavesUnsavedTextAndForgetsTheWindow()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("关窗前"));
    QVERIFY(memo);
    MemoItemManager* memos = MemoItemManager::instance();
    MemoItemWidget* window = memos->creatItemWidget();
    window->setMemo(memo);
    QVERIFY(memos->isItemOpen(memo->localId));
    window->textEdit()->setPlainText(QStringLiteral("关窗时写的"));
    window->closeButton()->click();
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("关窗时写的"));
    QVERIFY(!memos->isItemOpen(memo->localId));
    QVERIFY(!memos->openWindows().contains(window));
}

void MemoWindowTest::paletteColourGoesToWindowMemoRowAndPlatform()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("调色"), QStringLiteral("#C6C6FC"));
    QVERIFY(memo);
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    window->palletButton()->click();
    QVERIFY(window->pallet());
    QVERIFY(waitFor([&]() { return window->pallet()->isVisible(); }, 2000));
    QCOMPARE(window->pallet()->buttons()->checkedId(), 0);

    window->pallet()->buttons()->button(3)->click();
    QCOMPARE(window->color(), QStringLiteral("#FFE9B5"));
    QCOMPARE(memo->color, QStringLiteral("#FFE9B5"));
    QCOMPARE(memoRow(memo->localId).color, QStringLiteral("#FFE9B5"));
    QVERIFY(window->findChild<QWidget*>(QStringLiteral("MemoItemWidget_Bg"))->styleSheet().contains(
        QStringLiteral("#FFE9B5")));
    QVERIFY(waitFor([]() { return bodiesTo(kEdit).size() == 1; }));
    QCOMPARE(bodiesTo(kEdit).first().value(QStringLiteral("color")).toString(), QStringLiteral("#FFE9B5"));

    window->pallet()->close();
    QVERIFY(!window->palletButton()->isChecked());
}

void MemoWindowTest::greyColourSwitchesToTheDarkObjectNames()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setColor(QStringLiteral("#C9C3C3"));
    QCOMPARE(window->addButton()->objectName(), QStringLiteral("btnAddMemoDark"));
    QCOMPARE(window->textEdit()->objectName(), QStringLiteral("textEditDark"));
    QCOMPARE(window->chapterLabel()->objectName(), QStringLiteral("labelMemoDark"));
    window->setColor(QStringLiteral("#B5E6FF"));
    QCOMPARE(window->closeButton()->objectName(), QStringLiteral("btnCloseLight"));
    QCOMPARE(window->dingButton()->objectName(), QStringLiteral("btnDingLight"));
    QCOMPARE(window->bookLabel()->objectName(), QStringLiteral("labelMemoLight"));
}

void MemoWindowTest::pinningTakesTheOpenChapterAndThePositionAndTogglesBack()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    CJobManager::instance()->getChapters(CPublicManager::instance()->findBookByLocalId(book.localBookId));
    T_Memo* memo = addSyncedMemo(QStringLiteral("钉在第二章"));
    QVERIFY(memo);
    CUiManager::instance()->setMemoChapter(book.localBookId, book.localChapter2);
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    window->move(210, 140);

    window->toggleDing();
    QVERIFY(memo->isHold);
    QCOMPARE(memo->localChapterId, book.localChapter2);
    QCOMPARE(memo->x, 210.0f);
    QCOMPARE(memo->y, 140.0f);
    QCOMPARE(window->chapterLabel()->text(), QStringLiteral("第二章"));
    QVERIFY(window->bookLabel()->text().contains(QStringLiteral("示例作品")));
    QCOMPARE(memoRow(memo->localId).isHold, 1);

    window->toggleDing();
    QVERIFY(!memo->isHold);
    QCOMPARE(memo->localChapterId, 0);
    QCOMPARE(memo->x, 0.0f);
    QCOMPARE(memoRow(memo->localId).isHold, 0);
    CUiManager::instance()->setMemoChapter(0, 0);
}

void MemoWindowTest::movingTheWindowWritesNothing()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("移动"));
    QVERIFY(memo);
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    standin().clearJournal();
    window->move(400, 300);
    window->resize(360, 400);
    QTest::qWait(100);
    QCOMPARE(memo->x, 0.0f);
    QCOMPARE(memo->width, 0);
    QVERIFY(memoJobs(memo->localId).isEmpty());
    QVERIFY(JobsFixture::queueJournal().isEmpty());
}

void MemoWindowTest::contextMenuFollowsSelectionAndClipboard()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->textEdit()->setPlainText(QStringLiteral("剪切复制粘贴"));
    window->updateMenuActions();
    QVERIFY(!window->cutAction()->isEnabled());
    QVERIFY(!window->copyAction()->isEnabled());

    QTextCursor cursor = window->textEdit()->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    window->textEdit()->setTextCursor(cursor);
    window->updateMenuActions();
    QVERIFY(window->cutAction()->isEnabled());
    window->copyAction()->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("复制"));
    window->cutAction()->trigger();
    QCOMPARE(window->textEdit()->toPlainText(), QStringLiteral("剪切粘贴"));
    window->updateMenuActions();
    QVERIFY(window->pasteAction()->isEnabled());
    window->pasteAction()->trigger();
    QCOMPARE(window->textEdit()->toPlainText(), QStringLiteral("剪切复制粘贴"));
}

void MemoWindowTest::editorStopsAtTenThousandCharacters()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    QCOMPARE(window->textEdit()->maxLength(), 10000);
    window->textEdit()->insertPlainText(QString(10010, QLatin1Char('a')));
    QCOMPARE(window->textEdit()->toPlainText().size(), 10000);
}

void MemoWindowTest::memoDeletedElsewhereLeavesTheWindowHarmless()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("别处删除"));
    QVERIFY(memo);
    const int localId = memo->localId;
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    TC_Memo_Del del;
    del.header.localMemoId = localId;
    del.header.memoId = memo->memoId;
    QVERIFY(CJobManager::instance()->memoDel(del));
    QVERIFY(!window->memo());
    window->textEdit()->setPlainText(QStringLiteral("还在打字"));
    focusOut(window);
    QVERIFY(!memoRow(localId).found);
}

int runMemoWindowTests(int argc, char** argv)
{
    MemoWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MemoWindows.moc"
