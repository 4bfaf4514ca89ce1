// The tree controller on a signed-in client: its edits reach the book
// operations (model, tables, job queue), the tree follows, and the menus act
// on the row they were opened for.

#include "BooksFixture.h"
#include "TreeTestHelpers.h"

#include "common/ChineseNumerals.h"
#include "common/StyleType.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CUiManager.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSignalSpy>

namespace {
CBookVolumeController* tree()
{
    return CBookVolumeController::instance();
}

int addChapter(T_Book* book, int localVolumeId, int order, const QString& name)
{
    TC_Chapter_Add chapter(book->localId, 0, localVolumeId, 0, 1700000000, order, name);
    chapter.header.synStep = 1;
    return CBookJobManager::instance()->chapter_add(chapter) ? chapter.header.localChapterId : 0;
}

int addVolume(T_Book* book, int order, const QString& name)
{
    TC_Volume_Add volume(book->localId, 0, 0, order, 1700000000, name);
    volume.header.synStep = 1;
    return CBookJobManager::instance()->volume_add(volume) ? volume.header.localVolumeId : 0;
}

int dbOrder(int localChapterId)
{
    return BooksFixture::scalar(QStringLiteral("select orderNum from tb_chapter where localId = %1").arg(localChapterId))
        .toInt();
}

// Local ids of the volume's chapters in the order the tree shows them.
QList<int> shownChapters(int localVolumeId)
{
    QList<int> ids;
    const CBookChapterSortModel* sort = tree()->volumeModel()->getChapterSortModelByLocalId(localVolumeId);
    for (int row = 0; sort && row < sort->rowCount(); ++row)
        ids.append(sort->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt());
    return ids;
}

// A book with one volume and chapters 第1章..第3章 shown in the tree.
struct TreeBook
{
    T_Book* book = nullptr;
    int volume = 0;
    QList<int> chapters;
};

TreeBook loadThreeChapters(BooksFixture& f, const QString& name)
{
    TreeBook t;
    t.book = f.offlineBook(name);
    if (t.book == nullptr)
        return t;
    t.volume = t.book->volumeList.first()->localId;
    for (const T_Chapter* chapter : qAsConst(t.book->chapterList))
        t.chapters.append(chapter->localId);
    t.chapters.append(addChapter(t.book, t.volume, 3, QStringLiteral("第3章")));
    tree()->loadBook(t.book);
    return t;
}
}

class TreeControllerTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { tree()->loadBook(nullptr); }

    void newChapterIsAddedOpenedAndRecorded();
    void dragWithinVolumeStoresTheTreeOrder();
    void dropBesideItselfRecordsNothing();
    void dragIntoAnotherVolumeMovesTheChapter();
    void deletingTheOpenChapterOpensTheNext();
    void escapeOnTheConfirmationDeletesNothing();
    void restoringIntoADeletedVolumeRestoresTheVolume();
    void volumeMenuActsOnTheVolumeItWasOpenedOn();
};

void TreeControllerTest::newChapterIsAddedOpenedAndRecorded()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("新章"));
    QVERIFY(book);
    tree()->loadBook(book);
    QSignalSpy opened(CUiManager::instance(), &CUiManager::sig_OpenChapter);
    tree()->selectedVolume(0);
    tree()->createNewChapter();
    QCOMPARE(book->chapterList.size(), 3);
    const T_Chapter* chapter = book->chapterList.last();
    QCOMPARE(chapter->orderNum, 3);
    QCOMPARE(chapter->name, formatChapterTitle(QStringLiteral("第2章")));
    QCOMPARE(tree()->currentChapter(), chapter);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(book->lastEditChapterId, chapter->localId);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1008});
    const int volume = book->volumeList.first()->localId;
    QCOMPARE(shownChapters(volume).last(), chapter->localId);
    CBookChapterModel* model = tree()->volumeModel()->getChapterModelByLocalId(volume);
    QVERIFY(model->getItemByLocalId(chapter->localId).selected);
    QTRY_VERIFY(model->getItemByLocalId(chapter->localId).editing);
}

void TreeControllerTest::dragWithinVolumeStoresTheTreeOrder()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("拖动"));
    QVERIFY(t.book);
    const int c1 = t.chapters.at(0), c2 = t.chapters.at(1), c3 = t.chapters.at(2);
    // Chapter 3 dropped above chapter 1.
    tree()->moveChapter(2, t.volume, 0, t.volume, false);
    QCOMPARE(shownChapters(t.volume), (QList<int>{c3, c1, c2}));
    QCOMPARE(dbOrder(c3), 1);
    QCOMPARE(dbOrder(c1), 2);
    QCOMPARE(dbOrder(c2), 3);
    QCOMPARE(t.book->findChapterByLocalId(c3)->orderNum, 1);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1018});
    // Then the (now first) chapter 3 dropped below chapter 2, the last row.
    tree()->moveChapter(0, t.volume, 2, t.volume, true);
    QCOMPARE(shownChapters(t.volume), (QList<int>{c1, c2, c3}));
    QCOMPARE(dbOrder(c3), 3);
    QCOMPARE(dbOrder(c1), 1);
}

void TreeControllerTest::dropBesideItselfRecordsNothing()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("原地"));
    QVERIFY(t.book);
    tree()->moveChapter(1, t.volume, 1, t.volume, true);
    // Dropped above the next row: the place it already has.
    tree()->moveChapter(0, t.volume, 1, t.volume, false);
    QCOMPARE(shownChapters(t.volume), t.chapters);
    QVERIFY(BooksFixture::jobTypes().isEmpty());
}

void TreeControllerTest::dragIntoAnotherVolumeMovesTheChapter()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("跨卷"));
    QVERIFY(t.book);
    const int v2 = addVolume(t.book, 2, QStringLiteral("第二卷"));
    QVERIFY(v2 > 0);
    tree()->reloadBook(t.book);
    // Onto the empty second volume, then a second chapter below it.
    tree()->moveChapter(0, t.volume, 0, v2, false);
    tree()->moveChapter(0, t.volume, 0, v2, true);
    QCOMPARE(shownChapters(v2), (QList<int>{t.chapters.at(0), t.chapters.at(1)}));
    QCOMPARE(shownChapters(t.volume), QList<int>{t.chapters.at(2)});
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(t.book->findChapterByLocalId(t.chapters.at(i))->localVolumeId, v2);
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select localVolumeId from tb_chapter where localId = %1")
                                          .arg(t.chapters.at(i)))
                     .toInt(),
                 v2);
    }
    QCOMPARE(dbOrder(t.chapters.at(1)), dbOrder(t.chapters.at(0)) + 1);
    QCOMPARE(tree()->volumeModel()->getChapterModelByLocalId(v2)->getItem(0).ownerVolumeId, v2);
}

void TreeControllerTest::deletingTheOpenChapterOpensTheNext()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("删章"));
    QVERIFY(t.book);
    tree()->selectedChapter(t.volume, 1, t.chapters.at(1));
    QSignalSpy opened(CUiManager::instance(), &CUiManager::sig_OpenChapter);
    QMenu* menu = tree()->chapterMenu();
    QAction* remove = menu->actions().last();

    closeNextMenu();
    tree()->showMenu(1, QPoint(10, 10), t.volume, t.chapters.at(1));
    answerNextBox(0);
    remove->trigger();
    QCOMPARE(lastBoxTexts(), (QStringList{QStringLiteral("删除章节"), QStringLiteral("确定"), QStringLiteral("取消")}));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(tree()->currentChapter()->localId, t.chapters.at(2));
    QCOMPARE(t.book->lastEditChapterId, t.chapters.at(2));
    QCOMPARE(shownChapters(t.volume), (QList<int>{t.chapters.at(0), t.chapters.at(2)}));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_chapter where localId = %1").arg(t.chapters.at(1)))
                 .toInt(),
             0);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1010});

    // The last chapter open: the one before it opens.
    closeNextMenu();
    tree()->showMenu(1, QPoint(10, 10), t.volume, t.chapters.at(2));
    answerNextBox(0);
    remove->trigger();
    QCOMPARE(tree()->currentChapter()->localId, t.chapters.at(0));

    // A chapter that is not open only loses its row.
    const int added = addChapter(t.book, t.volume, 9, QStringLiteral("旁"));
    tree()->reloadBook(t.book);
    opened.clear();
    closeNextMenu();
    tree()->showMenu(1, QPoint(10, 10), t.volume, added);
    answerNextBox(0);
    remove->trigger();
    QCOMPARE(opened.count(), 0);
    QCOMPARE(tree()->currentChapter()->localId, t.chapters.at(0));
    QCOMPARE(shownChapters(t.volume), QList<int>{t.chapters.at(0)});

    // The only chapter left: the editor is emptied.
    opened.clear();
    closeNextMenu();
    tree()->showMenu(1, QPoint(10, 10), t.volume, t.chapters.at(0));
    answerNextBox(0);
    remove->trigger();
    QCOMPARE(opened.count(), 1);
    QVERIFY(opened.first().at(1).value<T_Chapter*>() == nullptr);
    QCOMPARE(t.book->lastEditChapterId, 0);
    QVERIFY(tree()->currentChapter() == nullptr);
}

void TreeControllerTest::escapeOnTheConfirmationDeletesNothing()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("取消"));
    QVERIFY(t.book);
    closeNextMenu();
    tree()->showMenu(1, QPoint(10, 10), t.volume, t.chapters.at(0));
    answerNextBox(-1);
    tree()->chapterMenu()->actions().last()->trigger();
    answerNextBox(1);
    tree()->chapterMenu()->actions().last()->trigger();
    closeNextMenu();
    tree()->showMenu(0, QPoint(10, 10), t.volume, -1);
    answerNextBox(-1);
    tree()->volumeMenu()->actions().last()->trigger();
    QCOMPARE(shownChapters(t.volume), t.chapters);
    QCOMPARE(tree()->volumeModel()->rowCount(), 1);
    QVERIFY(BooksFixture::jobTypes().isEmpty());
}

void TreeControllerTest::restoringIntoADeletedVolumeRestoresTheVolume()
{
    BooksFixture f;
    QVERIFY(f.up());
    TreeBook t = loadThreeChapters(f, QStringLiteral("恢复"));
    QVERIFY(t.book);
    closeNextMenu();
    tree()->showMenu(0, QPoint(10, 10), t.volume, -1);
    answerNextBox(0);
    tree()->volumeMenu()->actions().last()->trigger();
    QCOMPARE(lastBoxTexts(), (QStringList{QStringLiteral("删除本卷"), QStringLiteral("确定"), QStringLiteral("取消")}));
    QCOMPARE(tree()->volumeModel()->rowCount(), 0);
    T_Chapter* chapter = t.book->findChapterByLocalId(t.chapters.at(1));
    QVERIFY(chapter);
    QCOMPARE(chapter->status, 0);
    tree()->restoreChapter(t.book, chapter);
    QCOMPARE(t.book->findVolumeByLocalId(t.volume)->status, 1);
    QCOMPARE(tree()->volumeModel()->rowCount(), 1);
    QCOMPARE(shownChapters(t.volume), QList<int>{t.chapters.at(1)});
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_chapter where localId = %1").arg(t.chapters.at(1)))
                 .toInt(),
             1);
}

void TreeControllerTest::volumeMenuActsOnTheVolumeItWasOpenedOn()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("两卷"));
    QVERIFY(book);
    const int first = book->volumeList.first()->localId;
    const int second = addVolume(book, 2, QStringLiteral("第二卷"));
    QVERIFY(second > 0);
    tree()->loadBook(book);
    tree()->selectedVolume(1);
    QCOMPARE(tree()->volumeModel()->getSelectedVolume().localId, second);
    const QList<int> before = shownChapters(first);

    // "创建新章" on the first volume while the second is selected.
    closeNextMenu();
    tree()->showMenu(0, QPoint(10, 10), first, -1);
    tree()->volumeMenu()->actions().at(1)->trigger();
    QCOMPARE(shownChapters(first).size(), before.size() + 1);
    QVERIFY(shownChapters(second).isEmpty());
    QCOMPARE(book->findChapterByLocalId(shownChapters(first).last())->localVolumeId, first);

    // "导入章节" likewise, after the second volume is selected again.
    tree()->selectedVolume(1);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("章.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("导入的正文").toUtf8());
    file.close();
    QStringList filters;
    whenShown<QFileDialog>([path, &filters](QFileDialog* files) {
        filters = files->nameFilters();
        // The path typed into the name field, as an author may.
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
    });
    closeNextMenu();
    tree()->showMenu(0, QPoint(10, 10), first, -1);
    tree()->volumeMenu()->actions().at(3)->trigger();
    QCOMPARE(shownChapters(first).size(), before.size() + 2);
    QVERIFY(shownChapters(second).isEmpty());
    const T_Chapter* imported = book->findChapterByLocalId(shownChapters(first).last());
    QCOMPARE(imported->content, QStringLiteral("导入的正文"));
    QCOMPARE(filters, QStringList{QStringLiteral("文本文件 (*.txt)")});
}

int runTreeControllerTests(int argc, char** argv)
{
    TreeControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TreeController.moc"
