// The chapter recycle bin on a real database: listing, details, delete and
// recover of one or all chapters through the book operations.

#include "BooksFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "volume/CBookVolumeController.h"

#include <QLabel>
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTest>

#include "common/ServerClock.h"

namespace {
bool saveText(T_Book* book, T_Chapter* chapter, const QString& text)
{
    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = chapter->localId;
    save.content = text;
    save.updateTime = 1700000000;
    return CJobManager::instance()->chapter_edit_content(save);
}

bool recycle(T_Book* book, T_Chapter* chapter)
{
    TC_Chapter_Recycle request;
    request.header.localBookId = book->localId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.localChapterId = chapter->localId;
    request.status = 0;
    return CJobManager::instance()->chapter_recycle(request);
}

int addChapter(T_Book* book, int order, const QString& name)
{
    TC_Chapter_Add chapter(book->localId, 0, book->volumeList.first()->localId, 0, 1700000000, order, name);
    chapter.header.synStep = 1;
    return CBookJobManager::instance()->chapter_add(chapter) ? chapter.header.localChapterId : 0;
}

// A book with three recycled chapters "第1章", "第2章", "第3章", in that order.
T_Book* bookWithThreeInTheBin(BooksFixture& f)
{
    T_Book* book = f.offlineBook(QStringLiteral("回收站"));
    if (book == nullptr || addChapter(book, 3, QStringLiteral("第3章")) < 1)
        return nullptr;
    const QList<T_Chapter*> chapters = book->chapterList;
    for (T_Chapter* chapter : chapters) {
        if (!saveText(book, chapter, QStringLiteral("%1的正文 有空格\n第二行").arg(chapter->name)) || !recycle(book, chapter))
            return nullptr;
    }
    return book->recycleChapterList.size() == 3 ? book : nullptr;
}

QString page(const Widget_RecycleBin& bin)
{
    return bin.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName();
}

QString label(const Widget_RecycleBin& bin, const char* name)
{
    return bin.findChild<QLabel*>(QLatin1String(name))->text();
}

QListView* listOf(const Widget_RecycleBin& bin)
{
    return bin.findChild<QListView*>(QStringLiteral("recycle_listview"));
}

bool rowStored(int localChapterId)
{
    return BooksFixture::scalar(QStringLiteral("select localId from tb_chapter where localId = %1").arg(localChapterId))
        .isValid();
}
}

class RecycleBinTest : public QObject
{
    Q_OBJECT
private slots:
    void deletingSelectsFollowingOrPreviousChapter();
    void recoverWhileTreeShowsAnotherBookKeepsChapterInBin();
    void recoverRestoresTheDeletedVolumeFirst();
    void deleteAllAndRecoverAll();
    void deleteAllKeepsOnceAndNamesChaptersWrittenInElsewhere();
    void chapterShowsTheDaysLeftOfItsThirty();
    void previewShowsTheTextAsWritten();
};

void RecycleBinTest::deletingSelectsFollowingOrPreviousChapter()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = bookWithThreeInTheBin(f);
    QVERIFY(book);
    const int c1 = book->recycleChapterList.at(0)->localId;
    const int c2 = book->recycleChapterList.at(1)->localId;
    const int c3 = book->recycleChapterList.at(2)->localId;
    Widget_RecycleBin bin;
    bin.loadBook(book);

    // Deleting the first row selects the one that followed it.
    bin.deleteCurrent();
    QVERIFY(!rowStored(c1));
    QVERIFY(book->findChapterByLocalId(c1) == nullptr);
    QCOMPARE(bin.currentChapter()->localId, c2);
    QCOMPARE(listOf(bin)->model()->rowCount(), 2);
    QCOMPARE(listOf(bin)->currentIndex().row(), 0);

    // Deleting the last row selects the one above it.
    bin.onMousePressedByLeftBtn(c3);
    QCOMPARE(bin.currentChapter()->localId, c3);
    bin.deleteCurrent();
    QVERIFY(!rowStored(c3));
    QCOMPARE(bin.currentChapter()->localId, c2);
    QCOMPARE(label(bin, "label_wordCount"), QStringLiteral("%1 字").arg(bin.currentChapter()->content.length()));

    bin.deleteCurrent();
    QVERIFY(!rowStored(c2));
    QCOMPARE(page(bin), QStringLiteral("page_2"));
    QVERIFY(bin.currentChapter() == nullptr);
    QVERIFY(book->recycleChapterList.isEmpty());
}

void RecycleBinTest::recoverWhileTreeShowsAnotherBookKeepsChapterInBin()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = bookWithThreeInTheBin(f);
    T_Book* other = f.offlineBook(QStringLiteral("另一本"));
    QVERIFY(book && other);
    CBookVolumeController::instance()->loadBook(other);
    Widget_RecycleBin bin;
    bin.loadBook(book);
    T_Chapter* first = bin.currentChapter();
    bin.recoverCurrent();
    // Not restored: it stays listed and shown, as it stays in the bin.
    QCOMPARE(listOf(bin)->model()->rowCount(), 3);
    QCOMPARE(bin.currentChapter(), first);
    QVERIFY(book->recycleChapterList.contains(first));
    bin.loadBook(book);
    QCOMPARE(listOf(bin)->model()->rowCount(), 3);
    CBookVolumeController::instance()->loadBook(nullptr);
}

void RecycleBinTest::recoverRestoresTheDeletedVolumeFirst()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("删卷"));
    QVERIFY(book);
    T_Volume* volume = book->volumeList.first();
    TC_Volume_Delete remove;
    remove.header.localBookId = book->localId;
    remove.header.localVolumeId = volume->localId;
    remove.type = 0;
    remove.updateTime = 1700000000;
    QVERIFY(CJobManager::instance()->volume_del_restore(remove));
    QCOMPARE(volume->status, 0);
    QCOMPARE(book->recycleChapterList.size(), 2);
    CBookVolumeController::instance()->loadBook(book);

    Widget_RecycleBin bin;
    bin.loadBook(book);
    T_Chapter* first = bin.currentChapter();
    bin.recoverCurrent();
    QCOMPARE(volume->status, 1);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_volume where localId = %1").arg(volume->localId))
                 .toInt(),
             1);
    QVERIFY(book->chapterList.contains(first));
    QCOMPARE(book->recycleChapterList.size(), 1);
    QCOMPARE(bin.currentChapter(), book->recycleChapterList.first());
    CBookVolumeController::instance()->loadBook(nullptr);
}

void RecycleBinTest::deleteAllAndRecoverAll()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = bookWithThreeInTheBin(f);
    QVERIFY(book);
    const QList<T_Chapter*> chapters = book->recycleChapterList;
    CBookVolumeController::instance()->loadBook(book);
    Widget_RecycleBin bin;
    bin.loadBook(book);
    bin.recoverAll();
    QCOMPARE(book->chapterList.size(), 3);
    QVERIFY(book->recycleChapterList.isEmpty());
    QCOMPARE(page(bin), QStringLiteral("page_2"));
    QCOMPARE(listOf(bin)->model()->rowCount(), 0);

    for (T_Chapter* chapter : chapters)
        QVERIFY(recycle(book, chapter));
    bin.loadBook(book);
    QCOMPARE(listOf(bin)->model()->rowCount(), 3);
    bin.deleteAll();
    QVERIFY(book->recycleChapterList.isEmpty());
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_chapter where localBookId = %1").arg(book->localId))
                 .toInt(),
             0);
    QCOMPARE(page(bin), QStringLiteral("page_2"));
    QVERIFY(bin.currentChapter() == nullptr);
    CBookVolumeController::instance()->loadBook(nullptr);
}

// Two of the chapters took words written on another device while in the bin
// (as the feed marks them): Delete All, which shows no text, deletes the
// third, keeps those two once and names them; the next Delete All goes.
void RecycleBinTest::deleteAllKeepsOnceAndNamesChaptersWrittenInElsewhere()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = bookWithThreeInTheBin(f);
    QVERIFY(book);
    const QList<T_Chapter*> written = book->recycleChapterList.mid(1);
    for (T_Chapter* chapter : written) {
        QVERIFY(CTessaneDb::instance()->setChapterWrittenInBin(chapter->localId, true));
        chapter->writtenInBin = true;
    }
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    Widget_RecycleBin bin;
    bin.loadBook(book);
    bin.menu()->actions().at(3)->trigger();
    QCOMPARE(book->recycleChapterList, written);
    QCOMPARE(listOf(bin)->model()->rowCount(), 2);
    QCOMPARE(told.size(), 1);
    const QString message = told.first().first().toString();
    QVERIFY2(message.contains(QStringLiteral("《第2章》、《第3章》")) && message.contains(QStringLiteral("再删除一次")),
             qPrintable(message));
    bin.menu()->actions().at(3)->trigger();
    QVERIFY(book->recycleChapterList.isEmpty());
    QCOMPARE(told.size(), 1);
}

void RecycleBinTest::chapterShowsTheDaysLeftOfItsThirty()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = bookWithThreeInTheBin(f);
    QVERIFY(book);
    // Recycled ten days ago (and a minute), or just now.
    T_Chapter* older = book->recycleChapterList.at(1);
    older->recycleTime = static_cast<int>(currentServerTime() - 10 * 86400 - 60);
    Widget_RecycleBin bin;
    bin.loadBook(book);
    QCOMPARE(label(bin, "label_DateTime"), Widget_RecycleBin::tr("lastDay:%1").arg(30));
    bin.onMousePressedByLeftBtn(older->localId);
    QCOMPARE(label(bin, "label_DateTime"), Widget_RecycleBin::tr("lastDay:%1").arg(20));
}

void RecycleBinTest::previewShowsTheTextAsWritten()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("原样"));
    QVERIFY(book);
    const QString text = QStringLiteral("<走吧>他说 &amp;\n<span style=\"color:red\">红字</span><br/>同一行");
    QVERIFY(saveText(book, book->chapterList.first(), text) && recycle(book, book->chapterList.first()));
    book->volumeList.first()->volumeName = QStringLiteral("<i>第一卷</i>");
    Widget_RecycleBin bin;
    bin.loadBook(book);
    QCOMPARE(bin.findChild<QTextBrowser*>()->toPlainText(), text);
    QCOMPARE(label(bin, "label_volumeName"), QStringLiteral("<i>第一卷</i>"));
}

int runRecycleBinTests(int argc, char** argv)
{
    RecycleBinTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RecycleBin.moc"
