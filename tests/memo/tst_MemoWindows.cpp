// The memo windows offscreen: creation by the first text, saving on close,
// pinning to the open chapter, a memo deleted elsewhere, and the memo
// windows at a sign-out and while the database refuses writes.

#include "FeedFixture.h"
#include "MemoFixture.h"
#include "WritingFaults.h"

#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/memo/MemoColorPallet.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/setting/Widget_Setting.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {
const QString kEdit = QStringLiteral("/memo/editMemo");

void focusOut(MemoItemWidget* window)
{
    QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(window->textEdit(), &event);
}

void type(MemoItemWidget* window, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(window->textEdit(), &event);
}

// 便签 on the bookshelf, then + on the memo list.
MemoItemWidget* openNewMemo()
{
    MemoItemManager* memos = MemoItemManager::instance();
    CUiManager::instance()->bookshelf()->findChild<QAbstractButton*>(QStringLiteral("btnMemo"))->click();
    const int before = memos->openWindows().size();
    memos->memoList()->findChild<QAbstractButton*>(QStringLiteral("btnAddMemo"))->click();
    return memos->openWindows().size() == before + 1 ? memos->openWindows().last() : nullptr;
}

// 设置 → 退出, or the platform's next reply asking for a new sign-in;
// true once the author is signed out.
bool signOut(bool byThePlatform)
{
    if (!byThePlatform)
        Widget_Setting().findChildren<QPushButton*>(QStringLiteral("btnConfirm")).at(0)->click();
    else if (standin().addFault(QStringLiteral("*"), QStringLiteral("code300")))
        CJobManager::instance()->synNow(true);
    return waitFor([]() { return CUiManager::instance()->signInState() == 2; }, byThePlatform ? 15000 : 0);
}
}

class MemoWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { MemoItemManager::instance()->closeAll(); }
    void clearedTextCreatesNothingFirstTextCreatesTheMemo();
    void closingSavesUnsavedTextAndForgetsTheWindow();
    void typingIsStoredAtEachPauseWithTheWindowOpen();
    void memoRetypedElsewhereKeepsBothTexts_data();
    void memoRetypedElsewhereKeepsBothTexts();
    void pinningTakesTheOpenChapterAndThePositionAndTogglesBack();
    void memoDeletedElsewhereLeavesTheWindowHarmless();
    void signOutStoresEveryOpenMemoAndLeavesNoWindowBehind_data();
    void signOutStoresEveryOpenMemoAndLeavesNoWindowBehind();
    void memoTheDatabaseRefusesStaysAndHoldsTheSignOut();
    void memoWindowDeletedWithItsMainWindowLeavesTheList();
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

void MemoWindowTest::typingIsStoredAtEachPauseWithTheWindowOpen()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemWidget* window = openNewMemo();
    QVERIFY(window);
    type(window, QStringLiteral("甲"));
    const int localId = window->localMemoId();
    QVERIFY(waitFor([localId]() { return memoRow(localId).memoId > 0 && memoJobs(localId).isEmpty(); }));
    // Two runs of keys, each followed by a pause: each pause stores the
    // text once and sends it once, the window open all the while.
    const QStringList runs{QStringLiteral("乙丙丁"), QStringLiteral("戊己")};
    QString text = QStringLiteral("甲");
    for (int run = 0; run < runs.size(); ++run) {
        for (const QChar key : runs.at(run))
            type(window, key);
        text += runs.at(run);
        QVERIFY(waitFor([&]() { return bodiesTo(kEdit).size() > run && memoJobs(localId).isEmpty(); }));
        QCOMPARE(memoRow(localId).content, text);
        QCOMPARE(bodiesTo(kEdit).size(), run + 1);
        QCOMPARE(bodiesTo(kEdit).last().value(QStringLiteral("content")).toString(), text);
    }
    // A pin while words wait shows the memo again without losing them.
    type(window, QStringLiteral("庚"));
    window->toggleDing();
    QCOMPARE(window->textEdit()->toPlainText(), text + QStringLiteral("庚"));
    QVERIFY(waitFor([&]() { return memoRow(localId).content == text + QStringLiteral("庚"); }));
    QVERIFY(MemoItemManager::instance()->openWindows().contains(window));
    // A pause whose save the database refuses: the author hears of it, and
    // the retry after its wait stores the words with no further key.
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    {
        WriteFault refused(QStringLiteral("tb_memo"), QStringLiteral("UPDATE"));
        type(window, QStringLiteral("辛"));
        QVERIFY(waitFor([&told]() {
            return std::any_of(told.cbegin(), told.cend(), [](const QList<QVariant>& message) {
                return message.first().toString().startsWith(QStringLiteral("The memo could not be saved"));
            });
        }));
    }
    QVERIFY(waitFor([&]() { return memoRow(localId).content == text + QStringLiteral("庚辛"); }));
}

void MemoWindowTest::memoRetypedElsewhereKeepsBothTexts_data()
{
    // Typed in a window open before the words written elsewhere, while the
    // feed's look at the memo waits (its answer held until the author typed)
    // or before any pull; typed in a window opened after them; or saved with
    // no window, before any pull.
    QTest::addColumn<QString>("window");
    QTest::newRow("words waiting for the pause when the feed looks") << "feed";
    QTest::newRow("window open before the edit elsewhere, saved before the pull") << "before";
    QTest::newRow("window opened after the edit elsewhere, saved before the pull") << "after";
    QTest::newRow("saved with no window before the pull") << "none";
}

// Another device retypes the memo while this machine is online. The words
// this machine saves stay the memo's and the other device's become a copy,
// here and on the platform.
void MemoWindowTest::memoRetypedElsewhereKeepsBothTexts()
{
    QFETCH(QString, window);
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("原文"));
    QVERIFY(memo);
    const int localId = memo->localId;
    const int memoId = memo->memoId;
    MemoItemWidget* typed = nullptr;
    const auto open = [&]() {
        typed = MemoItemManager::instance()->creatItemWidget();
        typed->setMemo(memo);
    };
    if (window == QLatin1String("before") || window == QLatin1String("feed"))
        open();
    QVERIFY(!standin().callAs(QStringLiteral("machine2000000000000000000000000"), kEdit,
                              {{QStringLiteral("memo_id"), memoId}, {QStringLiteral("content"), QStringLiteral("别处写的")},
                               {QStringLiteral("update_time"), 1900000000}})
                 .isEmpty());
    if (window == QLatin1String("after"))
        open();
    if (window == QLatin1String("feed")) {
        QVERIFY(standin().addFault(QStringLiteral("/memo/memoDetail"), QStringLiteral("ok"), -1));
        CJobManager::instance()->synNow(false);
        QVERIFY(waitFor([]() { return !bodiesTo(QStringLiteral("/memo/memoDetail")).isEmpty(); }));
    }
    QSignalSpy indicator(CUiManager::instance(), &CUiManager::sig_SyncAnimation);
    TC_Memo_Edit edit(localId, memoId, 1900000001, QStringLiteral("原文本机写的"), memo->color, 0, 0, 0, 0, 0, 0, 0);
    if (typed)
        type(typed, QStringLiteral("本机写的"));
    else
        QVERIFY(CJobManager::instance()->memoEditContent(edit));
    QVERIFY(window != QLatin1String("feed") || standin().releaseHeld());
    const auto platform = []() {
        QMap<int, QString> texts;
        for (const QJsonValue& value : standin().store().value(QStringLiteral("memos")).toArray())
            texts.insert(value[QStringLiteral("id")].toInt(), value[QStringLiteral("content")].toString());
        return texts;
    };
    const auto copies = [](const QStringList& texts) { return texts.filter(QStringLiteral("\n别处写的")); };
    QVERIFY(waitFor([&]() {
        return memoJobs(localId).isEmpty() && platform().value(memoId).contains(QStringLiteral("本机写的"))
               && copies(platform().values()).size() == 1;
    }));
    QCOMPARE(platform().value(memoId), memoRow(localId).content);
    QVERIFY(!typed || typed->textEdit()->toPlainText() == memoRow(localId).content);
    QStringList here;
    for (const T_Memo* kept : qAsConst(CPublicManager::instance()->memoList))
        here << kept->content;
    QCOMPARE(copies(here), copies(platform().values()));
    // The pass a pause starts is no synchronisation the author asked for.
    for (const QList<QVariant>& shown : qAsConst(indicator))
        QVERIFY(!shown.at(0).toBool());
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

void MemoWindowTest::signOutStoresEveryOpenMemoAndLeavesNoWindowBehind_data()
{
    QTest::addColumn<bool>("byThePlatform");
    QTest::newRow("settings") << false;
    QTest::newRow("sign in again") << true;
}

void MemoWindowTest::signOutStoresEveryOpenMemoAndLeavesNoWindowBehind()
{
    QFETCH(bool, byThePlatform);
    JobsFixture f;
    QVERIFY(startClient(f));
    QPointer<MemoItemWidget> window = openNewMemo();
    QVERIFY(window);
    type(window, QStringLiteral("甲"));
    type(window, QStringLiteral("乙丙丁"));
    const int localId = window->localMemoId();
    QVERIFY(signOut(byThePlatform));
    QCOMPARE(memoRow(localId).content, QStringLiteral("甲乙丙丁"));
    // The windows went with the session; the next one finds none to close.
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 15000);
    QVERIFY(MemoItemManager::instance()->openWindows().isEmpty());
}

void MemoWindowTest::memoTheDatabaseRefusesStaysAndHoldsTheSignOut()
{
    removeRecoveredFiles();
    JobsFixture f;
    QVERIFY(startClient(f));
    MemoItemWidget* window = openNewMemo();
    QVERIFY(window);
    {
        WriteFault refused(QStringLiteral("tb_memo"), QStringLiteral("INSERT"));
        type(window, QStringLiteral("存不下"));
        const QString told = CUiManager::instance()->bookshelf()->tips()->text();
        QVERIFY(told.startsWith(QStringLiteral("The memo could not be saved")));
        // Neither its own close nor the author's sign-out drops the text.
        window->closeButton()->click();
        QVERIFY(MemoItemManager::instance()->openWindows().contains(window));
        QVERIFY(!signOut(false));
        QCOMPARE(window->textEdit()->toPlainText(), QStringLiteral("存不下"));
    }
    {
        // The memo can be stored now, the sign-out itself cannot.
        WriteFault refused(QStringLiteral("tb_sys"), QStringLiteral("UPDATE"));
        QVERIFY(!signOut(false));
        QCOMPARE(memoRow(window->localMemoId()).content, QStringLiteral("存不下"));
    }
    // A sign-out the program must make keeps what no row takes in a file.
    WriteFault refused(QStringLiteral("tb_memo"), QStringLiteral("UPDATE"));
    type(window, QStringLiteral("再写"));
    QVERIFY(signOut(true));
    QVERIFY(recoveredTexts().contains(QStringLiteral("存不下再写")));
    removeRecoveredFiles();
}

void MemoWindowTest::memoWindowDeletedWithItsMainWindowLeavesTheList()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    QPointer<MemoItemWidget> window = openNewMemo();
    QVERIFY(window);
    // It goes with the bookshelf it belongs to, never closed.
    delete CUiManager::instance()->bookshelf();
    QVERIFY(window.isNull());
    QVERIFY(MemoItemManager::instance()->openWindows().isEmpty());
}

int runMemoWindowTests(int argc, char** argv)
{
    MemoWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MemoWindows.moc"
