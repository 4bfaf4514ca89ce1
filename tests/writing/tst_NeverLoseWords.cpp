// What the author typed survives the places where the writing window meets
// the model: a chapter deleted while open, the change feed taking the open
// chapter or book away, saves that fail, the time machine, replacing after
// typing, theme changes and quitting with words that cannot be stored.

#include "CreationFixture.h"
#include "FeedFixture.h"
#include "WritingFaults.h"

#include "common/StyleType.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "manager/TextRecovery.h"
#include "platform/DurableFile.h"
#include "ui/common/CTabButton.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"
#include "WhenShown.h"
#include "volume/CBookVolumeController.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QJsonDocument>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QPointer>
#include <QTest>

namespace {

bool recycle(T_Book* book, int localChapterId)
{
    TC_Chapter_Recycle request;
    request.header.localBookId = book->localId;
    request.header.localVolumeId = book->findChapterByLocalId(localChapterId)->localVolumeId;
    request.header.localChapterId = localChapterId;
    request.status = 0;
    return CJobManager::instance()->chapter_recycle(request);
}

bool tabShows(Widget_Creation* window, int localChapterId)
{
    for (CTabButton* tab : window->getTop()->tabs())
        if (!tab->isHidden() && tab->chapterLocalId() == localChapterId)
            return true;
    return false;
}

// The editor starts a chapter with two ideographic spaces; the texts below
// are compared without them.
QString bare(QString text)
{
    while (text.startsWith(QChar(0x3000)))
        text.remove(0, 1);
    return text;
}

QString rowText(int localChapterId)
{
    const QString row = QStringLiteral("select content from tb_chapter_text where localId = %1");
    return bare(BooksFixture::scalar(row.arg(localChapterId)).toString());
}

// Runs one change-feed pass with the items and waits until it is through.
bool feedPass(const QJsonArray& items, const std::function<bool()>& applied)
{
    standin().pushFeed(StandinServer::demoUid(), items);
    CJobManager::instance()->synNow(false);
    return BooksFixture::waitUntil(applied) && BooksFixture::waitUntil([]() {
               return CUiManager::instance()->syncRunning() == 0;
           });
}

// Another machine of the author saves a chapter's text on the platform.
bool editOnThePlatform(int chapterId, const QString& text)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(standin().baseUrl() + QStringLiteral("/chapter/editChapter")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Authorization", "Bearer " + StandinServer::demoToken());
    const QJsonObject body{{QStringLiteral("chapter_id"), chapterId},
                           {QStringLiteral("content"), text},
                           {QStringLiteral("update_time"), 1700000500}};
    QNetworkReply* reply = manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QSignalSpy done(reply, &QNetworkReply::finished);
    const bool ok = done.wait(10000) && reply->error() == QNetworkReply::NoError
                    && QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("code")).toInt() == 200;
    delete reply;
    return ok;
}

}

class NeverLoseWordsTest : public QObject
{
    Q_OBJECT
private slots:
    void deletingTheOpenRecycledChapterFromTheBinMovesTheEditorOn();
    void feedDeletingTheOpenChapterKeepsTheTypedWordsAsACopy();
    void chapterVanishingWithoutNoticeIsLeftAtTheNextTick();
    void feedTextMeetingWordsTheEditorCouldNotStoreBecomesACopy();
    void feedRecyclingTheOpenBookSavesThenClosesIt();
    void failedSaveKeepsTheChapterOpenOnSwitchAndClose();
    void saveIsOneTransactionAndIsRetriedAfterAFailure();
    void chapterAddWithoutItsJobLeavesNoChapter();
    void timeMachineKeepsTheEditorTextAsAVersionBeforeRestoring();
    void replaceCurrentAfterTypingFindsAgainInsteadOfCorrupting();
    void editorTextColourFollowsTheTheme();
    void quitWithUnstorableWordsWritesARecoveryFileToldOnceOrOffersAnotherFolder();
    void signOutWithUnstorableWordsStaysOrKeepsThem();
    void recoveredWordsAreToldOnlyToTheirAuthor();
};

void NeverLoseWordsTest::deletingTheOpenRecycledChapterFromTheBinMovesTheEditorOn()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("回收"));
    QVERIFY(book);
    const int first = book->chapterList.at(0)->localId;
    const int second = book->chapterList.at(1)->localId;
    QCOMPARE(f.pane()->currentChapterId(), second);
    // Recycling the open chapter stores the words, then shows another one.
    f.type(QStringLiteral("回收前"));
    QVERIFY(recycle(book, second));
    QCOMPARE(f.pane()->currentChapterId(), first);
    QCOMPARE(rowText(second), QStringLiteral("回收前"));
    QVERIFY(!tabShows(f.window(), second));

    // The book opens again on its last edited chapter, the recycled one.
    book->lastEditChapterId = second;
    QVERIFY(f.pane()->closeBook());
    QVERIFY(f.open(book));
    QCOMPARE(f.pane()->currentChapterId(), second);
    f.type(QStringLiteral("又写"));

    CBookVolumeController::instance()->openRecycleBin();
    Widget_RecycleBin* bin = f.window()->chapterPane()->recycleBin();
    QVERIFY(bin);
    QCOMPARE(bin->currentChapter()->localId, second);
    bin->menu()->actions().at(0)->trigger();  // Delete

    QVERIFY(book->findChapterByLocalId(second) == nullptr);
    QCOMPARE(f.pane()->currentChapterId(), first);
    QVERIFY(f.pane()->currentChapter() != nullptr);
    QVERIFY(!tabShows(f.window(), second));
    QVERIFY(f.editor()->isEnabled());
    f.type(QStringLiteral("下一章"));
    f.tick();
    f.pause();
    f.tick(2);
    QVERIFY(rowText(first).endsWith(QStringLiteral("下一章")));
    bin->close();
}

void NeverLoseWordsTest::feedDeletingTheOpenChapterKeepsTheTypedWordsAsACopy()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("平台删章"), true);
    QVERIFY(book);
    const int localId = book->chapterList.first()->localId;
    const int chapterId = book->chapterList.first()->chapterId;
    const int bookId = book->bookId;
    f.type(QStringLiteral("还没保存的字"));

    QVERIFY(feedPass({feedItem(7, bookId, chapterId)},
                     [&]() { return CPublicManager::instance()->findChapter(book->localId, localId) == nullptr; }));
    f.tick(2);
    QVERIFY(f.pane()->currentChapterId() != localId);
    QVERIFY(!tabShows(f.window(), localId));
    // The words live on in the copy the feed made of the deleted chapter.
    const QString all = QStringLiteral("select group_concat(content) from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1");
    const QString copies = BooksFixture::scalar(all.arg(book->localId)).toString();
    QVERIFY2(copies.contains(QStringLiteral("还没保存的字")), qPrintable(copies));
}

// The model dropped the shown chapter and nobody told the window (a reload
// of the book's chapters without it): the tick notices, keeps the words and
// moves on.
void NeverLoseWordsTest::chapterVanishingWithoutNoticeIsLeftAtTheNextTick()
{
    removeRecoveredFiles();
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("不告而别"));
    QVERIFY(book);
    const int first = book->chapterList.at(0)->localId;
    const int second = book->chapterList.at(1)->localId;
    QCOMPARE(f.pane()->currentChapterId(), second);
    f.type(QStringLiteral("无处可存"));
    QSqlQuery remove = CTessaneDb::instance()->newQuery();
    QVERIFY(remove.exec(QStringLiteral("delete from tb_chapter where localId = %1").arg(second)));
    QVERIFY(CTessaneDb::instance()->getChapters(book));
    CBookVolumeController::instance()->reloadBook(book);
    QVERIFY(book->findChapterByLocalId(second) == nullptr);

    f.tick();
    QCOMPARE(f.pane()->currentChapterId(), first);
    QVERIFY(!tabShows(f.window(), second));
    QVERIFY(recoveredTexts().contains(QStringLiteral("无处可存")));
    removeRecoveredFiles();
}

// The editor holds words it could not store (no save is waiting in the
// queue) when the feed brings another text of that chapter: the other text
// becomes a chapter of its own, and the words stay to be stored.
void NeverLoseWordsTest::feedTextMeetingWordsTheEditorCouldNotStoreBecomesACopy()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("两边都写了"), true);
    QVERIFY(book);
    const int localId = f.pane()->currentChapterId();
    const T_Chapter* shown = f.pane()->currentChapter();
    QVERIFY(shown && shown->chapterId > 0);
    const QString remote = QStringLiteral("另一台电脑上写的");
    QVERIFY(editOnThePlatform(shown->chapterId, remote));
    f.type(QStringLiteral("这台电脑上写的"));
    const QString copies = QStringLiteral("select count(*) from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1 and content = '%2'")
                               .arg(book->localId)
                               .arg(remote);
    {
        // The chapter is the last of its volume: a copy after it moves no row.
        WriteFault fault(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE"));
        QVERIFY(fault.armed());
        QVERIFY(!f.pane()->saveChapter(true));
        QVERIFY(f.pane()->holdsUnsavedText());
        QVERIFY(feedPass({feedItem(9, book->bookId, shown->chapterId)},
                         [&]() { return BooksFixture::scalar(copies).toInt() >= 1; }));
        QVERIFY(f.pane()->toPlainText().contains(QStringLiteral("这台电脑上写的")));
    }
    QVERIFY(f.pane()->saveChapter(true));
    QCOMPARE(rowText(localId), QStringLiteral("这台电脑上写的"));
}

void NeverLoseWordsTest::feedRecyclingTheOpenBookSavesThenClosesIt()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("平台回收"), true);
    QVERIFY(book);
    const int localBookId = book->localId;
    const int localId = book->chapterList.first()->localId;
    f.type(QStringLiteral("最后几个字"));

    QVERIFY(feedPass({feedItem(3, book->bookId, 0)},
                     [&]() { return CPublicManager::instance()->findRecycledBookByLocalId(localBookId) != nullptr; }));
    QCOMPARE(rowText(localId), QStringLiteral("最后几个字"));
    QCOMPARE(f.pane()->currentBookId(), 0);
    QVERIFY(!f.window()->isVisible());
    f.tick(2);
}

void NeverLoseWordsTest::failedSaveKeepsTheChapterOpenOnSwitchAndClose()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("存不下"));
    QVERIFY(book);
    T_Chapter* first = book->chapterList.at(0);
    const int second = book->chapterList.at(1)->localId;
    f.type(QStringLiteral("磁盘满了"));
    {
        WriteFault fault(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE"));
        QVERIFY(fault.armed());
        CUiManager::instance()->openChapter(book, first);
        QCOMPARE(f.pane()->currentChapterId(), second);
        QVERIFY(f.pane()->toPlainText().contains(QStringLiteral("磁盘满了")));
        QVERIFY(tabShows(f.window(), second));

        CUiManager::instance()->closeCreation();
        QVERIFY(f.window()->isVisible());
        QCOMPARE(f.pane()->currentChapterId(), second);
        QVERIFY(f.pane()->toPlainText().contains(QStringLiteral("磁盘满了")));
        QVERIFY(f.pane()->holdsUnsavedText());
    }
    CUiManager::instance()->closeCreation();
    QVERIFY(!f.window()->isVisible());
    QCOMPARE(rowText(second), QStringLiteral("磁盘满了"));
}

void NeverLoseWordsTest::saveIsOneTransactionAndIsRetriedAfterAFailure()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("一次写完"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.last();
    f.type(QStringLiteral("要进队列"));
    f.tick();
    {
        WriteFault insert(QStringLiteral("tb_job"), QStringLiteral("INSERT"));
        WriteFault update(QStringLiteral("tb_job"), QStringLiteral("UPDATE"));
        QVERIFY(insert.armed() && update.armed());
        QVERIFY(!f.pane()->saveChapter(true));
        // Neither the row nor the record took the text without its job.
        QCOMPARE(rowText(chapter->localId), QString());
        QCOMPARE(chapter->content, QString());
        QCOMPARE(CreationFixture::pendingSaves(), 0);
    }
    f.pause();
    f.tick(2);
    QCOMPARE(rowText(chapter->localId), QStringLiteral("要进队列"));
    QCOMPARE(bare(chapter->content), QStringLiteral("要进队列"));
    QCOMPARE(CreationFixture::pendingSaves(), 1);
    QVERIFY(BooksFixture::jobContent(1017).contains(QStringLiteral("要进队列")));
}

void NeverLoseWordsTest::chapterAddWithoutItsJobLeavesNoChapter()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("加章"));
    QVERIFY(book);
    const T_Volume* volume = book->volumeList.first();
    const int rows = BooksFixture::scalar(QStringLiteral("select count(*) from tb_chapter")).toInt();
    TC_Chapter_Add request(book->localId, 0, volume->localId, 0, 1700000000, 1, QStringLiteral("插在前面"));
    {
        WriteFault fault(QStringLiteral("tb_job"), QStringLiteral("INSERT"));
        QVERIFY(fault.armed());
        QVERIFY(!CJobManager::instance()->chapter_add(request));
    }
    // Nothing half-done: no row, no record, no shifted order.
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_chapter")).toInt(), rows);
    QCOMPARE(book->chapterList.size(), 2);
    QCOMPARE(book->chapterList.first()->orderNum, 1);
    QVERIFY(CJobManager::instance()->chapter_add(request));
    QCOMPARE(book->chapterList.size(), 3);
    QCOMPARE(BooksFixture::jobTypes().size(), 1);
}

void NeverLoseWordsTest::timeMachineKeepsTheEditorTextAsAVersionBeforeRestoring()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("时光"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.last();
    TC_Chapter_ContentBlade version;
    version.header.localBookId = book->localId;
    version.header.localChapterId = chapter->localId;
    version.content = QStringLiteral("旧的版本");
    QVERIFY(CJobManager::instance()->chapter_contentBlade(version));
    f.type(QStringLiteral("刚写的"));

    Dialog_TimeMachine dialog(chapter, f.window());
    QCOMPARE(dialog.labels().size(), 1);
    dialog.compareVersion(0);
    dialog.restoreVersion();
    QTRY_VERIFY(!dialog.isRestoring());

    QCOMPARE(bare(f.pane()->toPlainText()), QStringLiteral("旧的版本"));
    QCOMPARE(rowText(chapter->localId), QStringLiteral("旧的版本"));
    const QString kept = QStringLiteral("select count(*) from tb_contentblade where localChapterId = %1 "
                                        "and content like '%刚写的'");
    QCOMPARE(BooksFixture::scalar(kept.arg(chapter->localId)).toInt(), 1);
    f.pause();
    f.tick(2);
    QCOMPARE(rowText(chapter->localId), QStringLiteral("旧的版本"));
}

void NeverLoseWordsTest::replaceCurrentAfterTypingFindsAgainInsteadOfCorrupting()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("替换"));
    QVERIFY(book);
    f.type(QStringLiteral("cat dog"));
    const int indent = f.pane()->toPlainText().size() - 7;
    f.pane()->on_sreach_btn(SreachSearch, QStringLiteral("dog"));
    QCOMPARE(f.pane()->matchEnds(), QList<int>{indent + 7});
    f.editor()->moveCursor(QTextCursor::Start);
    f.type(QStringLiteral("XX"));

    f.pane()->on_sreach_btn(SreachReplaceCurrent, QStringLiteral("cow"));
    QVERIFY(f.pane()->toPlainText().endsWith(QStringLiteral("cat dog")));
    QCOMPARE(f.pane()->matchEnds(), QList<int>{indent + 9});
    f.pane()->on_sreach_btn(SreachReplaceCurrent, QStringLiteral("cow"));
    QCOMPARE(f.pane()->toPlainText().remove(QChar(0x3000)), QStringLiteral("XXcat cow"));
    const QString row = QStringLiteral("select content from tb_chapter_text where localId = %1");
    QCOMPARE(BooksFixture::scalar(row.arg(f.pane()->currentChapterId())).toString(), f.pane()->toPlainText());
}

void NeverLoseWordsTest::editorTextColourFollowsTheTheme()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("主题"));
    QVERIFY(book);
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    CQssManager::instance()->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    CPublicManager::instance()->userConf.creationConf.fontColor.clear();
    QVERIFY(f.open(book));
    CUiManager::instance()->changeSkin(StyleLight);
    const QString light = f.pane()->textColor().name();
    QVERIFY2(f.editor()->styleSheet().contains(light), qPrintable(f.editor()->styleSheet() + light));
    CUiManager::instance()->changeSkin(StyleDark);
    const QString dark = f.pane()->textColor().name();
    QVERIFY(dark != light);
    QVERIFY2(f.editor()->styleSheet().contains(dark), qPrintable(f.editor()->styleSheet()));
    CUiManager::instance()->changeSkin(StyleLight);
}

void NeverLoseWordsTest::quitWithUnstorableWordsWritesARecoveryFileToldOnceOrOffersAnotherFolder()
{
    removeRecoveredFiles();
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("退出"));
    QVERIFY(book);
    f.type(QStringLiteral("退出时存不下"));
    WriteFault fault(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE"));
    QVERIFY(fault.armed());
    CUiManager::instance()->saveChapterOnQuit();
    QVERIFY(recoveredTexts().contains(QStringLiteral("退出时存不下")));
    QVERIFY(recoveredTexts().contains(QStringLiteral("退出")));
    // The next start names the file in a box, until the author closed it.
    const int uid = CPublicManager::instance()->userInfo.uid;
    const QStringList untold = TextRecovery::untold(uid);
    QCOMPARE(untold.size(), 1);
    QVERIFY(QFile::exists(untold.first()));
    const auto notice = []() -> BkMessageBox* {
        CUiManager::instance()->tellRecoveredText();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<BkMessageBox*>(window); box != nullptr && box->isVisible())
                return box;
        return nullptr;
    };
    // A box ended without the author, as the box reports one a quit ends,
    // is no reading.
    QPointer<BkMessageBox> ended = notice();
    QVERIFY(ended != nullptr && ended->textLabel()->text().contains(untold.first()));
    ended->done(BkMessageBox::kNoAnswer);
    QTRY_VERIFY(ended.isNull());
    QCOMPARE(TextRecovery::untold(uid), untold);
    BkMessageBox* read = notice();
    QVERIFY(read != nullptr);
    read->button(QMessageBox::Ok)->click();
    QVERIFY(TextRecovery::untold(uid).isEmpty());

    // On a full disk no file claims the words: the author is told and
    // keeps them in another folder. Escape and the title bar's close ask again.
    QTemporaryDir other;
    QString shown;
    {
        FullRecoveryDisk full(FullRecoveryDisk::EveryFolder);
        QVERIFY(full.ok());
        whenShown<BkMessageBox>([&shown](BkMessageBox* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            whenShown<BkMessageBox>([&shown](BkMessageBox* box) {
                box->titleBar()->closeButton()->click();
                whenShown<BkMessageBox>([&shown](BkMessageBox* box) {
                    shown = box->textLabel()->text();
                    box->textButtons().at(0)->click();
                });
            });
        });
        whenShown<QFileDialog>([&full, &other](QFileDialog* dialog) {
            full.spareOtherFolders();
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(other.path());
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
        CUiManager::instance()->saveChapterOnQuit();
        QVERIFY(TextRecovery::takeUntold(uid).isEmpty());
    }
    QVERIFY2(shown.contains(QDir::toNativeSeparators(TextRecovery::folder())), qPrintable(shown));
    QVERIFY(recoveredTexts(other.path()).contains(QStringLiteral("退出时存不下")));
    fault.drop();
    removeRecoveredFiles();
}

void NeverLoseWordsTest::signOutWithUnstorableWordsStaysOrKeepsThem()
{
    removeRecoveredFiles();
    CreationFixture f;
    QVERIFY(f.start(QStringLiteral("登出")));
    f.type(QStringLiteral("登出时存不下"));
    WriteFault fault(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE"));
    QVERIFY(fault.armed());
    CUiManager* ui = CUiManager::instance();
    {
        // The author's own sign-out waits until the words can be stored.
        T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
        conf.pwdLockType = 4;
        conf.pwdLockPwd = QStringLiteral("lock");
        Widget_Setting page;
        page.findChildren<QPushButton*>(QStringLiteral("btnConfirm")).at(0)->click();
        QCOMPARE(ui->signInState(), 1);
        // So does the forgotten lock password's, which signs out too.
        whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); });
        page.findChild<QPushButton*>(QStringLiteral("btnForgotPwd"))->click();
        QCOMPARE(ui->signInState(), 1);
        QCOMPARE(conf.pwdLockType, 4);
        conf.pwdLockType = 0;
        QVERIFY(f.editor()->toPlainText().endsWith(QStringLiteral("登出时存不下")));
    }
    // The platform ends the session: the words go to a recovery file.
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("code300")));
    CJobManager::instance()->synNow(true);
    QTRY_COMPARE_WITH_TIMEOUT(ui->signInState(), 2, 15000);
    QVERIFY(ui->creationWidget() == nullptr);
    QVERIFY(recoveredTexts().contains(QStringLiteral("登出时存不下")));
    // Marked for the next sign-in to tell.
    QCOMPARE(TextRecovery::takeUntold(CPublicManager::instance()->userInfo.uid).size(), 1);
    removeRecoveredFiles();
}

void NeverLoseWordsTest::recoveredWordsAreToldOnlyToTheirAuthor()
{
    removeRecoveredFiles();
    const int author = 10001, other = 10002;
    QVERIFY(!TextRecovery::keep(author, QStringLiteral("书"), QStringLiteral("章"), QStringLiteral("作者的字")).isEmpty());
    QVERIFY(TextRecovery::untold(other).isEmpty());
    // A file an earlier build kept names no author: each author hears of it
    // until that author has read about it.
    const QString earlier = QDir(TextRecovery::folder()).filePath(QStringLiteral("chapter-20200101-000000-000.txt"));
    QVERIFY(DurableFile::write(earlier, QByteArray("书\n章\n\n谁的字"))
            && DurableFile::write(earlier + QStringLiteral(".untold"), QByteArray()));
    QCOMPARE(TextRecovery::takeUntold(other), QStringList{QDir::toNativeSeparators(earlier)});
    QVERIFY(TextRecovery::untold(other).isEmpty());
    const QStringList read = TextRecovery::takeUntold(author);
    QCOMPARE(read.size(), 2);
    QVERIFY(TextRecovery::untold(author).isEmpty());
    // Read twice (a box can end twice) is read once.
    TextRecovery::markTold(author, read);
    QVERIFY(TextRecovery::untold(other).isEmpty() && TextRecovery::untold(author).isEmpty());
    removeRecoveredFiles();
}

int runNeverLoseWordsTests(int argc, char** argv)
{
    NeverLoseWordsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_NeverLoseWords.moc"
