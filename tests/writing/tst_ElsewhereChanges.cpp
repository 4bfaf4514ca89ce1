// The open book changed by the author on another machine: the writing window
// shows the change as soon as the feed brings it.

#include "BookOrder.h"
#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CTabButton.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"

#include <QDateTime>
#include <QTest>

namespace {

// The chapter's name as its row in the tree shows it.
QString treeName(const T_Chapter* chapter)
{
    const CBookVolumeModel* volumes = CBookVolumeController::instance()->volumeModel();
    const CBookChapterSortModel* list = volumes ? volumes->getChapterSortModelByLocalId(chapter->localVolumeId) : nullptr;
    for (int row = 0; list != nullptr && row < list->rowCount(); ++row) {
        const QModelIndex index = list->index(row, 0);
        if (index.data(CBookChapterModel::LocalIdRole).toInt() == chapter->localId)
            return index.data(CBookChapterModel::ChapterNameRole).toString();
    }
    return QString();
}

const CTabButton* tabOf(Widget_Creation* window, int localChapterId)
{
    for (const CTabButton* tab : window->getTop()->tabs()) {
        if (!tab->isHidden() && tab->chapterLocalId() == localChapterId)
            return tab;
    }
    return nullptr;
}

}

class ElsewhereChangesTest : public QObject
{
    Q_OBJECT
private slots:
    void openChapterRenamedElsewhereShowsItsNewNameInTheTreeAndOnItsTab();
    void openChapterRenamedInTheTreeShowsItsNewNameOnItsTab();
};

void ElsewhereChangesTest::openChapterRenamedElsewhereShowsItsNewNameInTheTreeAndOnItsTab()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("改名"), true);
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter && chapter->chapterId > 0);
    const int localId = chapter->localId;
    const QString before = chapter->name;
    const QString renamed = QStringLiteral("渡口");
    const CTabButton* tab = tabOf(f.window(), localId);
    QVERIFY(tab);
    QCOMPARE(treeName(chapter), before);
    QVERIFY(tab->elidedName(renamed) != tab->text());

    QVERIFY(!platformCall(QStringLiteral("/chapter/editChapter"),
                          {{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("chapter_id"), chapter->chapterId},
                           {QStringLiteral("chapter_name"), renamed},
                           {QStringLiteral("update_time"), int(QDateTime::currentSecsSinceEpoch())}})
                 .isEmpty());
    CJobManager::instance()->synNow(false);
    const auto storedName = [&]() {
        const T_Chapter* stored = CPublicManager::instance()->findChapter(book->localId, localId);
        return stored ? stored->name : QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(storedName(), renamed, 15000);
    QVERIFY(waitUntilIdle());

    chapter = CPublicManager::instance()->findChapter(book->localId, localId);
    QCOMPARE(f.pane()->currentChapterId(), localId);
    QCOMPARE(treeName(chapter), renamed);
    tab = tabOf(f.window(), localId);
    QVERIFY(tab);
    QCOMPARE(tab->text(), tab->elidedName(renamed));
    QCOMPARE(f.pane()->shownChapterName(), renamed);
}

void ElsewhereChangesTest::openChapterRenamedInTheTreeShowsItsNewNameOnItsTab()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("就地改名"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    const int localId = chapter->localId;
    const QString renamed = QStringLiteral("夜渡");
    // The row the tree's in-place editor hands back, as the panel finds it.
    const CBookVolumeModel* volumes = CBookVolumeController::instance()->volumeModel();
    const CBookChapterSortModel* list = volumes->getChapterSortModelByLocalId(chapter->localVolumeId);
    int index = -1;
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt() == localId)
            index = row;
    QVERIFY(index >= 0);
    CBookVolumeController::instance()->changeChapterName(chapter->localVolumeId, localId, index, renamed);

    QCOMPARE(BooksFixture::scalar(QStringLiteral("SELECT name FROM tb_chapter WHERE localId = %1").arg(localId)).toString(),
             renamed);
    QCOMPARE(treeName(chapter), renamed);
    const CTabButton* tab = tabOf(f.window(), localId);
    QVERIFY(tab);
    QCOMPARE(tab->text(), tab->elidedName(renamed));
}

int runElsewhereChangesTests(int argc, char** argv)
{
    ElsewhereChangesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ElsewhereChanges.moc"
