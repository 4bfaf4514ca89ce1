// The chapter list of one volume: renumbering inserts and the order the sort
// proxy shows after moves.

#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"

#include <QSignalSpy>
#include <QTest>

namespace {
CBookChapterItem item(int localId, int orderNum, const QString& name = QStringLiteral("章"))
{
    T_Chapter chapter;
    chapter.localId = localId;
    chapter.chapterId = localId * 10;
    chapter.bookId = 77;
    chapter.orderNum = orderNum;
    chapter.name = name;
    return CBookChapterItem(chapter, 5);
}

// localId -> orderNum of every row.
QMap<int, int> orders(const CBookChapterModel& model)
{
    return model.getOrderMap();
}

// Local ids in the order the proxy shows them.
QList<int> shown(const CBookChapterSortModel& sort)
{
    QList<int> ids;
    for (int row = 0; row < sort.rowCount(); ++row)
        ids.append(sort.index(row, 0).data(CBookChapterModel::LocalIdRole).toInt());
    return ids;
}
}

class ChapterModelTest : public QObject
{
    Q_OBJECT
private slots:
    void insertAfterLastTakesNextNumberAndBeforeShiftsLaterChapters();
    void sortProxyStaysRightAfterMovesAndInserts();
};

void ChapterModelTest::insertAfterLastTakesNextNumberAndBeforeShiftsLaterChapters()
{
    CBookChapterModel model;
    model.addItem(item(1, 1));
    model.addItem(item(2, 2));
    model.addItem(item(3, 3));
    model.insertItem(item(9, 50), 2, true);
    QCOMPARE(orders(model), (QMap<int, int>{{1, 1}, {2, 2}, {3, 3}, {9, 4}}));

    CBookChapterModel before;
    before.addItem(item(1, 1));
    before.addItem(item(2, 2));
    before.addItem(item(3, 3));
    before.insertItem(item(9, 50), 1, false);
    QCOMPARE(orders(before), (QMap<int, int>{{1, 1}, {9, 2}, {2, 3}, {3, 4}}));
}

void ChapterModelTest::sortProxyStaysRightAfterMovesAndInserts()
{
    CBookChapterModel model;
    for (int i = 1; i <= 4; ++i)
        model.addItem(item(i, i));
    CBookChapterSortModel sort;
    sort.setSourceModel(&model);
    model.moveItem(3, 0, 1); // 4 to the top
    QCOMPARE(shown(sort), (QList<int>{4, 1, 2, 3}));
    model.moveItem(3, 1, 1); // chapter 4 (shown first) onto chapter 2
    QCOMPARE(shown(sort), (QList<int>{1, 2, 4, 3}));
    model.insertItem(item(9, 1), 1, false); // before chapter 2
    QCOMPARE(shown(sort), (QList<int>{1, 9, 2, 4, 3}));
    for (int row = 0; row < sort.rowCount(); ++row) {
        const QModelIndex source = sort.mapToSource(sort.index(row, 0));
        QCOMPARE(model.getItem(source.row()).chapter.localId, shown(sort).at(row));
    }
}

int runChapterModelTests(int argc, char** argv)
{
    ChapterModelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterModel.moc"
