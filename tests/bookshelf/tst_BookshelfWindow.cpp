#include "BookshelfFixture.h"

#include "common/ServerClock.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/CBookListModel.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Dialog_CreateBook.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/common/CBkHeadButton.h"
#include "ui/common/CIconButton.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QTest>
#include <QTextEdit>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Answers the page's questions as a test tells it to.
struct ScriptedPrompts : Widget_BookShelfList::Prompts
{
    bool confirm = true;
    bool accept = true;
    QString name;
    QString cover;
    int asked = 0;
    bool confirmDelete(QWidget*, const QString&) override
    {
        ++asked;
        return confirm;
    }
    bool askNewBook(QWidget*, QStringListModel*, bool, QString* n, QString* c) override
    {
        ++asked;
        *n = name;
        *c = cover;
        return accept;
    }
    // The import rules are a notice the author always passes here.
    bool askImportRule(QWidget*) override { return true; }
    QString askImportFile() override
    {
        ++asked;
        return QString();
    }
};

QStringList shelfNames(Widget_BookShelfList* list)
{
    QStringList names;
    CBookListModel* model = list->model();
    for (int row = 0; row < model->rowCount() - 1; ++row)
        names << model->index(row, 0).data().value<BookShelf_Book>().bookName;
    return names;
}
}

// The bookshelf window, its pages and the book operations behind its tiles.
class TestBookshelfWindow : public QObject
{
    Q_OBJECT
private slots:
    void signInBuildsTheBookshelfAsTheCurrentWindow();
    void toastsReachTheBookshelf();
    void creatingABookPutsItFirstAndRecordsTheJob();
    void cancelledQuestionsChangeNothing();
    void deletingMovesTheTileToTheBinWhichRestoresOrDeletesForGood();
    void createDialogAnswersNameAndCover();
    void pageButtonsSwitchPages();
    void syncIndicatorShowsAndEndsWithItsResult();
    void closeWhileLockedOrToTray();
    void headPictureFallsBackToTheThemeDefault();
    void coverFolderSkipsTheNotebook();
    void logoutDestroysTheBookshelf();
    void fillingTheScreenKeepsTheNormalGeometry();
    void noticeBadgeFollowsOnlyKnownStatuses();
};

void TestBookshelfWindow::signInBuildsTheBookshelfAsTheCurrentWindow()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    CUiManager* ui = CUiManager::instance();
    QVERIFY(f.shelf()->isVisible());
    QCOMPARE(ui->currentWindow().data(), static_cast<QWidget*>(f.shelf()));
    QVERIFY(ui->isBookshelfMode());
    QCOMPARE(f.shelf()->labelName()->text(), QStringLiteral("示例作者"));
    QCOMPARE(f.list()->model()->rowCount(), 2);
}

void TestBookshelfWindow::toastsReachTheBookshelf()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    CUiManager::instance()->showError(QStringLiteral("出错了"), 1000);
    BookshelfTips* tips = f.shelf()->tips();
    QVERIFY(tips->isVisible());
    QCOMPARE(tips->text(), QStringLiteral("出错了"));
    QCOMPARE(tips->kind(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!tips->isVisible(), 10000);
}

void TestBookshelfWindow::creatingABookPutsItFirstAndRecordsTheJob()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    ScriptedPrompts prompts;
    prompts.name = QStringLiteral("他说\"%1\"'书'");
    f.list()->setPrompts(&prompts);
    const int jobsBefore = BookshelfFixture::jobCount(1002);
    f.list()->onCreate();
    QCOMPARE(prompts.asked, 1);
    QCOMPARE(shelfNames(f.list()), (QStringList{QStringLiteral("他说\"%1\"'书'"), QStringLiteral("A")}));
    QCOMPARE(CPublicManager::instance()->bookList.first()->bookName, QStringLiteral("他说\"%1\"'书'"));
    // Sent at once: the job went out and its reply stored the server id.
    QTRY_VERIFY_WITH_TIMEOUT(CPublicManager::instance()->bookList.first()->bookId > 0, 15000);
    QVERIFY(BookshelfFixture::jobCount(1002) <= jobsBefore + 1);
    // The name went out as typed: quotes and "%1" untouched.
    bool sent = false;
    for (const QJsonValue& v : standin().journal()) {
        const QJsonObject entry = v.toObject();
        if (entry.value(QStringLiteral("path")).toString() != QLatin1String("/books/addBook"))
            continue;
        const QJsonObject body = QJsonDocument::fromJson(entry.value(QStringLiteral("body")).toString().toUtf8()).object();
        sent = sent || body.value(QStringLiteral("book_name")).toString() == prompts.name;
    }
    QVERIFY(sent);
    f.list()->setPrompts(nullptr);
}

void TestBookshelfWindow::cancelledQuestionsChangeNothing()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    ScriptedPrompts prompts;
    prompts.accept = false;
    prompts.confirm = false;
    prompts.name = QStringLiteral("never");
    f.list()->setPrompts(&prompts);
    const int localId = CPublicManager::instance()->bookList.first()->localId;
    f.list()->onCreate();
    f.list()->onOutlineCreate();
    f.list()->onDelete(localId, QStringLiteral("A"), 0);
    f.list()->onImport();
    QCOMPARE(prompts.asked, 4);
    QCOMPARE(shelfNames(f.list()), QStringList{QStringLiteral("A")});
    QVERIFY(CPublicManager::instance()->recycleBookList.isEmpty());
    // Unknown books ask nothing.
    f.list()->onDelete(987654, QStringLiteral("x"), 0);
    QCOMPARE(prompts.asked, 4);

    CUiManager::instance()->setBookImporting(true);
    f.list()->onImport();
    QCOMPARE(prompts.asked, 4);
    QCOMPARE(f.shelf()->tips()->kind(), 2);
    CUiManager::instance()->setBookImporting(false);
    f.list()->setPrompts(nullptr);
}

void TestBookshelfWindow::deletingMovesTheTileToTheBinWhichRestoresOrDeletesForGood()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}, {QStringLiteral("B"), 1600000000}});
    QVERIFY(f.ok());
    ScriptedPrompts prompts;
    f.list()->setPrompts(&prompts);
    T_Book* b = CPublicManager::instance()->bookList.at(1);
    const int localId = b->localId;
    f.list()->onDelete(localId, b->bookName, 1);
    QCOMPARE(shelfNames(f.list()), QStringList{QStringLiteral("A")});
    QCOMPARE(CPublicManager::instance()->recycleBookList.size(), 1);
    QCOMPARE(BookshelfFixture::bookStatus(localId), 0);

    Dialog_BookRecycle bin(f.shelf());
    QVERIFY(!bin.showsEmptyPage());
    QCOMPARE(bin.model()->rowCount(), 1);
    const BookRecycleItem item = bin.model()->index(0, 0).data().value<BookRecycleItem>();
    QCOMPARE(item.bookName, QStringLiteral("B"));
    QVERIFY(item.deleteTime > 0);
    bin.restoreRow(0, true);
    QVERIFY(bin.showsEmptyPage());
    QCOMPARE(shelfNames(f.list()), (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
    QCOMPARE(BookshelfFixture::bookStatus(localId), 1);
    f.list()->setPrompts(nullptr);

    // Deleted for good from the bin: the row goes, and a book already gone is not deleted twice.
    QVERIFY(f.list()->deleteBook(localId));
    Dialog_BookRecycle again(f.shelf());
    QCOMPARE(again.model()->rowCount(), 1);
    again.deleteRow(0, true);
    QVERIFY(again.showsEmptyPage());
    QCOMPARE(BookshelfFixture::bookStatus(localId), -1);
    QCOMPARE(shelfNames(f.list()), QStringList{QStringLiteral("A")});
    QVERIFY(!f.list()->deleteBook(localId));
    QCOMPARE(f.shelf()->tips()->kind(), 0);
}

void TestBookshelfWindow::createDialogAnswersNameAndCover()
{
    QStringListModel covers({QStringLiteral("/covers/a.png"), QStringLiteral("/covers/b.png")});
    Dialog_CreateBook dialog;
    dialog.setCoverModel(&covers);
    dialog.setCoverModel(nullptr);
    QVERIFY(!dialog.btnConfirm()->isEnabled());
    QTest::keyClicks(dialog.lineEdit(), QStringLiteral("1234567890abcdefg"));
    QCOMPARE(dialog.getBookName(), QStringLiteral("1234567890abcde"));
    QVERIFY(dialog.btnConfirm()->isEnabled());
    QCOMPARE(dialog.getCover(), QString());
    dialog.listView()->setCurrentIndex(covers.index(1, 0));
    QCOMPARE(dialog.getCover(), QStringLiteral("/covers/b.png"));
    dialog.btnCustomCover()->click();
    QCOMPARE(dialog.getCover(), QString());
    dialog.setCustomCover(QStringLiteral("/mine/pic.png"));
    QCOMPARE(dialog.getCover(), QStringLiteral("/mine/pic.png"));
    dialog.btnSysCover()->click();
    QCOMPARE(dialog.getCover(), QStringLiteral("/covers/b.png"));
}

void TestBookshelfWindow::pageButtonsSwitchPages()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    Widget_Bookshelf_Content* content = f.shelf()->getContent();
    QCOMPARE(content->stack()->currentWidget(), static_cast<QWidget*>(f.list()));
    CUiManager::instance()->setCurrentPage(5);
    CUiManager::instance()->setCurrentPage(0);
    QCOMPARE(content->stack()->currentWidget(), static_cast<QWidget*>(f.list()));
    QCOMPARE(content->stack()->count(), 1);
    f.shelf()->buttonGroup()->button(2)->click();
    QCOMPARE(CUiManager::instance()->currentPage(), 3);
    f.shelf()->buttonGroup()->button(1)->click();
    QCOMPARE(CUiManager::instance()->currentPage(), 1);
    QCOMPARE(content->stack()->currentWidget(), static_cast<QWidget*>(f.list()));
    QVERIFY(f.shelf()->buttonGroup()->button(1)->isChecked());
}

void TestBookshelfWindow::syncIndicatorShowsAndEndsWithItsResult()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    Widget_Bookshelf_Top* top = f.shelf()->getTop();
    CUiManager* ui = CUiManager::instance();
    // The start-up's own synchronisation ends first.
    QTRY_VERIFY_WITH_TIMEOUT(!top->isSyncing(), 10000);
    QTest::qWait(1100);
    // An end without a start shows nothing.
    ui->stopSyncAnimation(true);
    QVERIFY(!f.shelf()->tips()->isVisible());

    ui->setSyncIndicatorAllowed(true);
    ui->startSyncAnimation();
    QVERIFY(top->isSyncing());
    QVERIFY(top->btnSync()->isHidden());
    QVERIFY(top->labelSync()->property("msec").toLongLong() > 0);
    ui->setSyncRunning(1);
    ui->stopSyncAnimation(true);
    QCOMPARE(ui->syncRunning(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!top->isSyncing(), 10000);
    QVERIFY(!top->btnSync()->isHidden());
    QCOMPARE(f.shelf()->tips()->kind(), 1);

    ui->startSyncAnimation();
    top->labelSync()->setProperty("msec", QDateTime::currentMSecsSinceEpoch() - 3000);
    ui->stopSyncAnimation(false);
    QVERIFY(!top->isSyncing());
    QCOMPARE(f.shelf()->tips()->kind(), 0);

    // Where the indicator is not allowed it stays idle.
    ui->setSyncIndicatorAllowed(false);
    ui->startSyncAnimation();
    QVERIFY(!top->isSyncing());
    ui->setSyncIndicatorAllowed(true);
}

void TestBookshelfWindow::closeWhileLockedOrToTray()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    CPublicManager* model = CPublicManager::instance();
    model->userConf.writeLock.lockType = 1;
    QVERIFY(!f.shelf()->close());
    QVERIFY(f.shelf()->isVisible());
    QCOMPARE(f.shelf()->tips()->kind(), 0);
    model->userConf.writeLock.lockType = 0;

    model->userConf.systemConf.isTray = 1;
    QVERIFY(!f.shelf()->close());
    QVERIFY(!f.shelf()->isVisible());
    model->userConf.systemConf.isTray = 0;
    f.shelf()->show();
    QVERIFY(f.shelf()->close());
}

void TestBookshelfWindow::headPictureFallsBackToTheThemeDefault()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    CQssManager* qss = CQssManager::instance();
    // An unreadable picture and none at all both show the theme's own.
    qss->applyStyle(StyleLight);
    f.shelf()->loadUserHeadImg(f.dir() + QStringLiteral("/no-such-head.png"));
    QCOMPARE(f.shelf()->headImagePath(), QStringLiteral(":/res/skin/light/left/icon_head_def.svg"));
    qss->applyStyle(StyleGreen);
    f.shelf()->loadUserHeadImg(QString());
    QCOMPARE(f.shelf()->headImagePath(), QStringLiteral(":/res/skin/green/left/icon_head_def.png"));
    QVERIFY(!f.shelf()->headButton()->headImage().isNull());
    qss->applyStyle(StyleLight);
}

void TestBookshelfWindow::coverFolderSkipsTheNotebook()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    const QString folder = f.dir() + QStringLiteral("/cover");
    QDir().mkpath(folder);
    QFile notebook(folder + QStringLiteral("/notebook.png"));
    QVERIFY(notebook.open(QIODevice::WriteOnly));
    notebook.close();
    f.list()->setCoverFolder(folder);
    f.list()->initCover();
    QCOMPARE(f.list()->coverModel()->rowCount(), 0);
    QFile other(folder + QStringLiteral("/c1.png"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    f.list()->initCover();
    QCOMPARE(f.list()->coverModel()->stringList(), QStringList{folder + QStringLiteral("/c1.png")});
    f.list()->setCoverFolder(folder + QStringLiteral("/missing"));
    f.list()->initCover();
    QCOMPARE(f.list()->coverModel()->rowCount(), 0);
}

void TestBookshelfWindow::logoutDestroysTheBookshelf()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    QPointer<Widget_Bookshelf> shelf = f.shelf();
    CUiManager::instance()->logout();
    QVERIFY(!CUiManager::instance()->bookshelf());
    QVERIFY(!CUiManager::instance()->currentWindow());
    QTRY_VERIFY(shelf.isNull());
    // Forwarders after the logout are harmless.
    CUiManager::instance()->updateBookItem(0);
    CUiManager::instance()->showError(QStringLiteral("dropped"), 1000);
    CUiManager::instance()->stopSyncAnimation(true);
}

void TestBookshelfWindow::fillingTheScreenKeepsTheNormalGeometry()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    Widget_Bookshelf* shelf = f.shelf();
    shelf->resize(900, 600);
    const QRect normal = shelf->property("CG").toRect();
    QCOMPARE(normal.size(), QSize(900, 600));
    CUiManager::instance()->switchWindowSize();
    QCOMPARE(CPublicManager::instance()->userInfo.windowSize, 2);
    QVERIFY(shelf->getTop()->btnMax()->isChecked());
    shelf->resize(700, 560);
    QCOMPARE(shelf->property("CG").toRect(), normal);
    CUiManager::instance()->switchWindowSize();
    QCOMPARE(CPublicManager::instance()->userInfo.windowSize, 1);
    QVERIFY(!shelf->getTop()->btnMax()->isChecked());
    QCOMPARE(shelf->geometry(), normal);
}

void TestBookshelfWindow::noticeBadgeFollowsOnlyKnownStatuses()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    CIconButton* feedback = f.shelf()->feedbackButton();
    emit CUiManager::instance()->sig_UserNotice(1, 120);
    QVERIFY(!feedback->badge()->isHidden());
    QCOMPARE(feedback->badge()->text(), QStringLiteral("99"));
    emit CUiManager::instance()->sig_UserNotice(2, 5);
    QCOMPARE(feedback->badge()->text(), QStringLiteral("99"));
    emit CUiManager::instance()->sig_UserNotice(0, 0);
    QVERIFY(feedback->badge()->isHidden());
}

int runBookshelfWindowTests(int argc, char** argv)
{
    TestBookshelfWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookshelfWindow.moc"
