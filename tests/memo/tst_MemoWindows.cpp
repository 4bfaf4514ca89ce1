// The memo windows offscreen: creation by the first text, saving on close,
// pinning to the open chapter, and a memo deleted elsewhere.

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
    void clearedTextCreatesNothingFirstTextCreatesTheMemo();
    void closingSavesUnsavedTextAndForgetsTheWindow();
    void pinningTakesTheOpenChapterAndThePositionAndTogglesBack();
    void memoDeletedElsewhereLeavesTheWindowHarmless();
};

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
