// The book information dialog opened from a tile's menu: what it shows from
// the stored category tree and covers, what it stores and what it sends.

#include "ShelfHelpers.h"

#include "common/Utility.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "remote/records/SystemRecords.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/common/CTextEdit.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Opens the information dialog of a book through its tile's menu and runs
// `act` on it; returns whether the dialog appeared.
bool openInfo(Widget_BookShelfList* list, T_Book* book, const std::function<void(Dialog_BookInfo*)>& act)
{
    bool shown = false;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog_BookInfo*>(modal);
        if (!dialog)
            return;
        shown = true;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QMenu* menu = list->delegate()->bookMenu();
    menu->setProperty("localBookId", book->localId);
    menu->setProperty("index", CPublicManager::instance()->bookList.indexOf(book));
    menu->actions().at(1)->trigger();
    return shown;
}

T_Book* createOnPlatform(Widget_BookShelfList* list, const QString& name)
{
    if (!list->createBook(name, QString(), false))
        return nullptr;
    T_Book* book = CPublicManager::instance()->bookList.value(0);
    QElapsedTimer timer;
    timer.start();
    while (book && book->bookId < 1 && timer.elapsed() < 10000)
        QTest::qWait(20);
    return book && book->bookId > 0 ? book : nullptr;
}

QJsonObject platformBook(int bookId)
{
    const QJsonValue books = standin().store().value(QStringLiteral("books"));
    if (books.isObject())
        return books.toObject().value(QString::number(bookId)).toObject();
    for (const QJsonValue& v : books.toArray()) {
        if (v.toObject().value(QStringLiteral("book_id")).toInt() == bookId)
            return v.toObject();
    }
    return QJsonObject();
}
}

class TestBookInfoDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void unchangedDialogStoresAndSendsNothing();
    void chosenCategoryAndClearedIntroReachBothSides();
    void coversShowAsPicturesAndTravelAsData();
    void bookWithoutCategoryShowsNoneAndStoresTheFirstPicked();
    void platformCategoryIsShownByName();

private:
    BookshelfFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void TestBookInfoDialog::initTestCase()
{
    m_f = new BookshelfFixture;
    QVERIFY(m_f->ok());
    // The platform's category tree, newer than the one the client ships,
    // arrives with the sign-in.
    QTRY_COMPARE_WITH_TIMEOUT(CPublicManager::instance()->cateList.version, 2, 10000);
    m_book = createOnPlatform(m_f->list(), QStringLiteral("信息之书"));
    QVERIFY(m_book);
    QVERIFY(createOnPlatform(m_f->list(), QStringLiteral("后来的书")));
    QCOMPARE(CPublicManager::instance()->bookList.indexOf(m_book), 1);
}

void TestBookInfoDialog::cleanupTestCase()
{
    delete m_f;
}

void TestBookInfoDialog::unchangedDialogStoresAndSendsNothing()
{
    QVERIFY(standin().clearJournal());
    const int jobs = BookshelfFixture::jobCount(1006);
    int result = -1;
    QVERIFY(openInfo(m_f->list(), m_book, [&](Dialog_BookInfo* d) {
        QCOMPARE(d->nameEdit()->text(), QStringLiteral("信息之书"));
        d->btnConfirm()->click();
        result = d->result();
    }));
    QCOMPARE(result, int(QDialog::Rejected));
    QTest::qWait(300);
    QVERIFY(requestsTo(QStringLiteral("/books/editBook")).isEmpty());
    QCOMPARE(BookshelfFixture::jobCount(1006), jobs);
    // Not moved to the front either.
    QCOMPARE(CPublicManager::instance()->bookList.indexOf(m_book), 1);
}

void TestBookInfoDialog::chosenCategoryAndClearedIntroReachBothSides()
{
    // Channel, category and introduction chosen in the dialog, from the
    // stored category tree.
    const QVector<T_Books_CateItem>& female = CPublicManager::instance()->cateList.female.items;
    QVERIFY(female.size() >= 2 && !female.at(1).children.isEmpty());
    const T_Books_CateItem primary = female.at(1);
    const T_Books_CateItem sub = primary.children.first();
    QVERIFY(openInfo(m_f->list(), m_book, [&](Dialog_BookInfo* d) {
        QTest::mouseClick(d->radioWomen(), Qt::LeftButton);
        d->primaryCombo(2)->setCurrentIndex(d->primaryCombo(2)->findText(primary.cate_name));
        QCOMPARE(d->subCombo(2)->currentText(), sub.cate_name);
        d->introEdit()->setFocus();
        commitText(d->introEdit(), QStringLiteral("一段新的简介"));
        d->btnConfirm()->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }));
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/books/editBook")).isEmpty(), 15000);
    QJsonObject sent = lastBodyTo(QStringLiteral("/books/editBook"));
    QCOMPARE(sent.value(QStringLiteral("channel_type")).toInt(), 2);
    QCOMPARE(sent.value(QStringLiteral("cate_id")).toInt(), sub.cate_id);
    QCOMPARE(sent.value(QStringLiteral("intro")).toString(), QStringLiteral("一段新的简介"));
    QCOMPARE(CPublicManager::instance()->bookList.indexOf(m_book), 0);

    // A rename keeps the chosen category; a cleared introduction is cleared
    // on both sides.
    QVERIFY(standin().clearJournal());
    QVERIFY(openInfo(m_f->list(), m_book, [&](Dialog_BookInfo* d) {
        QVERIFY(d->radioWomen()->isChecked());
        QCOMPARE(d->subCombo(2)->currentData().toInt(), sub.cate_id);
        d->nameEdit()->clear();
        d->nameEdit()->setFocus();
        commitText(d->nameEdit(), QStringLiteral("改过的书名"));
        d->introEdit()->setFocus();
        QTest::keyClick(d->introEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(d->introEdit(), Qt::Key_Delete);
        d->btnConfirm()->click();
    }));
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/books/editBook")).isEmpty(), 15000);
    sent = lastBodyTo(QStringLiteral("/books/editBook"));
    QCOMPARE(sent.value(QStringLiteral("book_name")).toString(), QStringLiteral("改过的书名"));
    QCOMPARE(sent.value(QStringLiteral("intro")).toString(), QString());
    const QJsonObject onPlatform = platformBook(m_book->bookId);
    QCOMPARE(onPlatform.value(QStringLiteral("intro")).toString(), QString());
    QCOMPARE(onPlatform.value(QStringLiteral("cate_id")).toInt(), sub.cate_id);
}

void TestBookInfoDialog::coversShowAsPicturesAndTravelAsData()
{
    // The system covers drawn into the program folder at build time.
    const QDir folder(appDirPath() + QStringLiteral("/data/cover"));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY2(files.size() >= 8, qPrintable(folder.path()));
    QCOMPARE(m_f->list()->coverModel()->rowCount(), files.size());

    QVERIFY(standin().clearJournal());
    QVERIFY(openInfo(m_f->list(), m_book, [&](Dialog_BookInfo* d) {
        d->btnSystemCover()->click();
        QListView* list = d->coverList();
        QCOMPARE(list->model()->rowCount(), files.size());
        list->setCurrentIndex(list->model()->index(2, 0));
        d->btnSaveCover()->click();
        QCOMPARE(d->chosenCover(), list->model()->index(2, 0).data().toString());
        QVERIFY(!d->preview()->pixmap(Qt::ReturnByValue).isNull());
        d->btnConfirm()->click();
    }));
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/books/editBook")).isEmpty(), 15000);
    QVERIFY(lastBodyTo(QStringLiteral("/books/editBook")).value(QStringLiteral("cover")).toString()
                .startsWith(QStringLiteral("data:image/png;base64,")));
    QVERIFY(m_book->localCover.contains(QStringLiteral("/data/bookImg/")));

    // A picture of the author's own, chosen in the file dialog.
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("own.png"));
    QImage picture(60, 80, QImage::Format_RGB32);
    picture.fill(QColor(QStringLiteral("#123456")));
    QVERIFY(picture.save(own));
    QVERIFY(standin().clearJournal());
    QVERIFY(openInfo(m_f->list(), m_book, [&](Dialog_BookInfo* d) {
        onNextModal([&](QWidget* modal) {
            auto* files = qobject_cast<QFileDialog*>(modal);
            QVERIFY(files);
            // The path typed into the name field, as an author may.
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(own);
            QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
        });
        d->btnCustomCover()->click();
        QCOMPARE(d->chosenCover(), own);
        QCOMPARE(d->preview()->pixmap(Qt::ReturnByValue).toImage().pixelColor(50, 70), QColor(QStringLiteral("#123456")));
        d->btnConfirm()->click();
    }));
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/books/editBook")).isEmpty(), 15000);
    const QString cover = lastBodyTo(QStringLiteral("/books/editBook")).value(QStringLiteral("cover")).toString();
    QVERIFY(cover.startsWith(QStringLiteral("data:image/png;base64,")));
    QCOMPARE(QImage::fromData(QByteArray::fromBase64(QByteArray::fromPercentEncoding(cover.mid(cover.indexOf(QLatin1Char(',')) + 1).toLatin1())))
                 .pixelColor(5, 5),
             QColor(QStringLiteral("#123456")));
}

void TestBookInfoDialog::bookWithoutCategoryShowsNoneAndStoresTheFirstPicked()
{
    // A new book has neither channel nor category; the first category of the
    // first channel is a choice like any other.
    T_Book* book = nullptr;
    for (T_Book* b : qAsConst(CPublicManager::instance()->bookList)) {
        if (b->bookName == QStringLiteral("后来的书"))
            book = b;
    }
    QVERIFY(book);
    QCOMPARE(book->channelType, 0);
    const T_Books_CateItem primary = CPublicManager::instance()->cateList.male.items.value(0);
    QVERIFY(!primary.children.isEmpty());
    QVERIFY(standin().clearJournal());
    QVERIFY(openInfo(m_f->list(), book, [&](Dialog_BookInfo* d) {
        QVERIFY(!d->radioMan()->isChecked());
        QVERIFY(!d->radioWomen()->isChecked());
        QCOMPARE(d->primaryCombo(1)->currentData().toInt(), 0);
        QCOMPARE(d->subCombo(1)->currentText(), QStringLiteral("未选择"));
        QTest::mouseClick(d->radioWomen(), Qt::LeftButton);
        QTest::mouseClick(d->radioMan(), Qt::LeftButton);
        QComboBox* combo = d->primaryCombo(1);
        combo->setCurrentIndex(combo->findText(primary.cate_name));
        QCOMPARE(d->subCombo(1)->currentData().toInt(), primary.children.first().cate_id);
        d->btnConfirm()->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }));
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/books/editBook")).isEmpty(), 15000);
    const QJsonObject sent = lastBodyTo(QStringLiteral("/books/editBook"));
    QCOMPARE(sent.value(QStringLiteral("channel_type")).toInt(), 1);
    QCOMPARE(sent.value(QStringLiteral("cate_id")).toInt(), primary.children.first().cate_id);
    QCOMPARE(book->channelType, 1);
    QCOMPARE(book->cateId, primary.children.first().cate_id);
    QCOMPARE(book->cateFid, primary.cate_id);
}

void TestBookInfoDialog::platformCategoryIsShownByName()
{
    // The sample book's category on the platform: the platform's own tree,
    // not the one the client ships, names it.
    T_Book* book = CPublicManager::instance()->bookList.value(0);
    QVERIFY(book);
    book->channelType = 2;
    book->cateFid = 2000;
    book->cateId = 2001;
    QVERIFY(openInfo(m_f->list(), book, [](Dialog_BookInfo* d) {
        QVERIFY(d->radioWomen()->isChecked());
        QCOMPARE(d->subCombo(2)->currentText(), QStringLiteral("宫闱宅斗"));
    }));
}

int runBookInfoDialogTests(int argc, char** argv)
{
    TestBookInfoDialog tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_BookInfoDialog.moc"
