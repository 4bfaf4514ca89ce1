// The bookshelf's left buttons, top bar, menus and dialogs, as an author
// uses them, with what they show, store and send.

#include "ShelfHelpers.h"
#include "WhenShown.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "platform/SessionAutostart.h"
#include "remote/T_Http_Custom.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/common/CIconButton.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// What a widget paints.
struct PaintLog : QObject
{
    QRegion region;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

QPushButton* buttonWithText(QWidget* root, const QString& text)
{
    for (QPushButton* b : root->findChildren<QPushButton*>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}
}

class TestShelfButtons : public QObject
{
    Q_OBJECT
private slots:
    void noticesReachTheCommunityBadge();
    void recycleBinAsksBeforeRestoring();
    void startWithSessionWritesTheAutostartEntry();
    void tileShadeGoesWhenItsMenuCloses();
};

void TestShelfButtons::noticesReachTheCommunityBadge()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    QLabel* badge = f.shelf()->feedbackButton()->badge();
    QVERIFY(badge->isHidden());

    // Three new notices by the time the author comes back from writing.
    T_Http_Custom sent;
    sent.jobType = 6;
    sent.uid = StandinServer::demoUid();
    const QByteArray reply = R"({"code":200,"msg":"","server_time":1700000000,"userdata":")" + sent.toUserData()
                             + R"(","content":{"is_red":1,"num":3}})";
    QVERIFY(standin().addFault(QStringLiteral("/forum/htmlRed"), QStringLiteral("raw"), 0, 1, reply));
    CUiManager* ui = CUiManager::instance();
    ui->openCreation(CPublicManager::instance()->bookList.first());
    ui->closeCreation();
    QTRY_VERIFY_WITH_TIMEOUT(!badge->isHidden(), 5000);
    QCOMPARE(badge->text(), QStringLiteral("3"));

    // Read elsewhere: the next answer takes the badge away.
    ui->openCreation(CPublicManager::instance()->bookList.first());
    ui->closeCreation();
    QTRY_VERIFY_WITH_TIMEOUT(badge->isHidden(), 5000);
    QCOMPARE(requestsTo(QStringLiteral("/forum/htmlRed")).size(), 2);
}

void TestShelfButtons::recycleBinAsksBeforeRestoring()
{
    BookshelfFixture f({{QStringLiteral("回收之书"), 1700000000}});
    QVERIFY(f.ok());
    const int localId = CPublicManager::instance()->bookList.first()->localId;
    QVERIFY(f.list()->deleteBook(localId));
    Dialog_BookRecycle bin(f.shelf());
    bin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bin));

    // Restore asks first; closing the question keeps the book in the bin.
    QMenu* menu = bin.menu();
    menu->setProperty("index", 0);
    menu->setProperty("localBookId", localId);
    QString asked;
    onNextModal([&asked](QWidget* box) {
        for (QLabel* l : box->findChildren<QLabel*>())
            asked += l->text();
        box->close();
    });
    menu->actions().at(0)->trigger();
    QVERIFY2(asked.contains(QStringLiteral("回收之书")), qPrintable(asked));
    QCOMPARE(bin.model()->rowCount(), 1);
    QCOMPARE(BookshelfFixture::bookStatus(localId), 0);

    onNextModal([](QWidget* box) {
        QPushButton* ok = buttonWithText(box, QCoreApplication::translate("Dialog_BookRecycle", "OK"));
        QVERIFY(ok);
        ok->click();
    });
    menu->actions().at(0)->trigger();
    QCOMPARE(bin.model()->rowCount(), 0);
    QVERIFY(bin.showsEmptyPage());
    QCOMPARE(BookshelfFixture::bookStatus(localId), 1);
}

void TestShelfButtons::tileShadeGoesWhenItsMenuCloses()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    f.shelf()->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.shelf()));
    QListView* list = f.list()->listView();
    const QModelIndex add = list->model()->index(list->model()->rowCount() - 1, 0);
    const QModelIndex firstBook = list->model()->index(0, 0);
    const QPoint onCover = list->visualRect(add).center();
    // From the book's cover straight onto the next tile's: the book's tile is
    // painted again, without its shade.
    PaintLog painted;
    list->viewport()->installEventFilter(&painted);
    QMouseEvent onBook(QEvent::MouseMove, list->visualRect(firstBook).center(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &onBook);
    QCOMPARE(f.list()->delegate()->hoveredRow(), firstBook.row());
    QTRY_VERIFY(painted.region.intersects(list->visualRect(firstBook)));
    painted.region = QRegion();
    QMouseEvent move(QEvent::MouseMove, onCover, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    QCOMPARE(f.list()->delegate()->hoveredRow(), add.row());
    QTRY_VERIFY(painted.region.intersects(list->visualRect(firstBook).adjusted(2, 2, -2, -2)));
    list->viewport()->removeEventFilter(&painted);
    // The new-book menu, opened on the tile and closed without a choice.
    whenShown<QMenu>([](QMenu* menu) { menu->close(); }, true);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, onCover);
    QTRY_VERIFY(!f.list()->delegate()->newBookMenu()->isVisible());
    QCOMPARE(f.list()->delegate()->hoveredRow(), -1);

    // A book still marked as synchronising with nothing counted (as after
    // the writing window) shows no empty bar across its tile.
    T_Book* book = CPublicManager::instance()->bookList.first();
    book->isSyncing = true;
    book->synCount = 0;
    book->synDoneCount = 0;
    CUiManager::instance()->updateBookItem(0);
    const QModelIndex tile = list->model()->index(0, 0);
    const QPoint middle = list->visualRect(tile).topLeft() + QPoint(75, 129);
    QTRY_VERIFY(list->viewport()->grab().toImage().pixelColor(middle) != QColor(QStringLiteral("#C7C7C7")));
    book->synCount = 4;
    CUiManager::instance()->updateBookItem(0);
    QTRY_COMPARE(list->viewport()->grab().toImage().pixelColor(middle), QColor(QStringLiteral("#C7C7C7")));
    CPublicManager::instance()->resetBookSynState(book);
}

void TestShelfButtons::startWithSessionWritesTheAutostartEntry()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString entry = config.path() + QStringLiteral("/autostart/") + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                          + QStringLiteral(".desktop");
    BookshelfFixture f;
    QVERIFY(f.ok());
    auto* setup = f.shelf()->findChild<QPushButton*>(QStringLiteral("btn_setup"));
    QVERIFY(setup);
    bool existedAfterCheck = false, goneAfterUncheck = false;
    QString text;
    onNextModal([&](QWidget* page) {
        auto* box = page->findChild<QCheckBox*>(QStringLiteral("checkBox_auto"));
        if (box) {
            box->setChecked(false);
            box->setChecked(true);
            existedAfterCheck = QFile::exists(entry);
            QFile file(entry);
            if (file.open(QIODevice::ReadOnly))
                text = QString::fromUtf8(file.readAll());
            box->setChecked(false);
            goneAfterUncheck = !QFile::exists(entry);
        }
        static_cast<QDialog*>(page)->reject();
    });
    setup->click();
    QVERIFY(existedAfterCheck);
    QVERIFY(goneAfterUncheck);
    QVERIFY2(text.contains(QStringLiteral("Exec=\"%1\"").arg(QCoreApplication::applicationFilePath())), qPrintable(text));

    // The writing lock turns it on, and gives the author's choice back.
    CUiManager* ui = CUiManager::instance();
    ui->setWritingLock(true, false);
    QVERIFY(QFile::exists(entry));
    ui->setWritingLock(false, false);
    QVERIFY(!QFile::exists(entry));
    ui->setExeAuto(false);
    QVERIFY(!QFile::exists(entry));
    qunsetenv("XDG_CONFIG_HOME");
}

int runShelfButtonsTests(int argc, char** argv)
{
    TestShelfButtons tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_ShelfButtons.moc"
