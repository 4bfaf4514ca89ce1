#include "BookshelfFixture.h"

#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/CBookListModel.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QFile>
#include <QStringListModel>
#include <QTest>
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
    bool askImportRule(QWidget*) override { return true; }
    QString importFile;
    QString askImportFile() override
    {
        ++asked;
        return importFile;
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
    void creatingABookPutsItFirstAndRecordsTheJob();
    void cancelledQuestionsChangeNothing();
    void refusedImportSaysWhy();
    void deletingMovesTheTileToTheBinWhichRestoresOrDeletesForGood();
    void logoutDestroysTheBookshelf();
};

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

void TestBookshelfWindow::refusedImportSaysWhy()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    ScriptedPrompts prompts;
    prompts.importFile = f.dir() + QStringLiteral("/空白.txt");
    QFile file(prompts.importFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("  \n\n");
    file.close();
    f.list()->setPrompts(&prompts);
    f.list()->onImport();
    QTRY_VERIFY_WITH_TIMEOUT(f.shelf()->tips()->kind() == 0 && f.shelf()->tips()->isVisible(), 10000);
    QCOMPARE(f.shelf()->tips()->text(),
             QStringLiteral("书籍导入失败：文件中没有文字，或文件编码不是UTF-8、UTF-16或GBK"));
    QVERIFY(!CUiManager::instance()->isBookImporting());
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

int runBookshelfWindowTests(int argc, char** argv)
{
    TestBookshelfWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookshelfWindow.moc"
