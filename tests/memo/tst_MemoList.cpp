// The memo list offscreen: double-click opening once, the delete question
// (also of a memo whose window holds refused words), and a memo deleted on
// the platform.

#include "WhenShown.h"
#include "FeedFixture.h"
#include "MemoFixture.h"
#include "WritingFaults.h"

#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/memo/CMemoListDelegate.h"
#include "ui/creation/memo/CMemoListModel.h"
#include "ui/creation/memo/CMemoListSortModel.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"

#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
MemoListWidget* openList()
{
    MemoItemManager::instance()->showMemoList(nullptr);
    return MemoItemManager::instance()->memoList();
}

int viewRowOf(MemoListWidget* list, int localId)
{
    const QAbstractItemModel* model = list->listView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().value<T_Memo>().localId == localId)
            return row;
    }
    return -1;
}

// Answers the next message box with the button of that text (empty: Escape).
void answerNextBox(const QString& buttonText)
{
    whenShown<BkMessageBox>([buttonText](BkMessageBox* box) {
        if (buttonText.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QPushButton* button : box->textButtons()) {
            if (button->text() == buttonText)
                button->click();
        }
    });
}
}

class MemoListTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { MemoItemManager::instance()->closeAll(); }
    void doubleClickOpensAMemoOnlyOnce();
    void deleteAsksFirstCancelKeepsOkDeletes();
    void memoDeletedOnThePlatformLeavesTheListWithoutRequest();
};

void MemoListTest::doubleClickOpensAMemoOnlyOnce()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("双击打开"));
    QVERIFY(memo);
    MemoListWidget* list = openList();
    QVERIFY(QTest::qWaitForWindowExposed(list));
    const int row = viewRowOf(list, memo->localId);
    const QRect rect = list->listView()->visualRect(list->listView()->model()->index(row, 0));
    QTest::mouseDClick(list->listView()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QVERIFY(MemoItemManager::instance()->isItemOpen(memo->localId));
    const int windows = MemoItemManager::instance()->openWindows().size();
    QTest::mouseDClick(list->listView()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QCOMPARE(MemoItemManager::instance()->openWindows().size(), windows);
    QVERIFY(!list->openRow(row));
    QVERIFY(!list->openRow(9999));
}

void MemoListTest::deleteAsksFirstCancelKeepsOkDeletes()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("右键删除"));
    QVERIFY(memo);
    const int localId = memo->localId;
    const int memoId = memo->memoId;
    MemoListWidget* list = openList();
    QMenu* menu = list->delegate()->contextMenu();
    menu->setProperty("localMemoId", localId);
    menu->setProperty("index", viewRowOf(list, localId));

    answerNextBox(QStringLiteral("Cancel"));
    list->delegate()->deleteFromMenu();
    QVERIFY(memoRow(localId).found);
    answerNextBox(QString());
    list->delegate()->deleteFromMenu();
    QVERIFY(memoRow(localId).found);

    // Its window holds words the database refused: they go with the memo,
    // and so does the window.
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(memo);
    {
        WriteFault refused(QStringLiteral("tb_memo"), QStringLiteral("UPDATE"));
        window->textEdit()->setPlainText(QStringLiteral("存不下"));
        answerNextBox(QStringLiteral("OK"));
        list->delegate()->deleteFromMenu();
    }
    QVERIFY(!MemoItemManager::instance()->isItemOpen(localId));
    QVERIFY(!memoRow(localId).found);
    QCOMPARE(viewRowOf(list, localId), -1);
    QVERIFY(waitFor([&]() { return bodiesTo(QStringLiteral("/memo/delMemo")).size() == 1 && memoJobs(localId).isEmpty(); }));
    QCOMPARE(bodiesTo(QStringLiteral("/memo/delMemo")).first().value(QStringLiteral("memo_id")).toInt(), memoId);
}

void MemoListTest::memoDeletedOnThePlatformLeavesTheListWithoutRequest()
{
    JobsFixture f;
    QVERIFY(f.seed());
    standin().pushFeed(StandinServer::demoUid(), {feedItem(15, 0, 13001)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    const T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
    QVERIFY(memo);
    const int localId = memo->localId;
    MemoListWidget* list = openList();
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    window->setMemo(CPublicManager::instance()->findMemoByLocalId(localId));
    QVERIFY(viewRowOf(list, localId) >= 0);

    standin().clearJournal();
    standin().pushFeed(StandinServer::demoUid(), {feedItem(17, 0, 13001)});
    CJobManager::instance()->synNow(false);
    QVERIFY(waitFor([&]() { return !memoRow(localId).found; }));
    QCOMPARE(viewRowOf(list, localId), -1);
    QVERIFY(!MemoItemManager::instance()->isItemOpen(localId));
    QTest::qWait(200);
    QVERIFY(bodiesTo(QStringLiteral("/memo/delMemo")).isEmpty());
}

int runMemoListTests(int argc, char** argv)
{
    MemoListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MemoList.moc"
