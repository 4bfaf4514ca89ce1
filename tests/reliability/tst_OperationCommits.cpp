// Every change of a book, a volume, an outline or a memo is its rows and its
// job in one commit, the model changed only after it: with the job refused
// (a trigger on the connection) the call fails and neither the table nor the
// model keeps any of it; with the job taken, both the rows and the job are
// there.

#include "BooksFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "db/records/T_Outline.h"
#include "db/records/T_Volume.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"

#include <QSqlQuery>
#include <QTest>

#include <functional>

namespace {

bool exec(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(sql);
}

QString rows(const QString& sql)
{
    return BooksFixture::scalar(sql).toString();
}

int jobCount()
{
    return BooksFixture::scalar(QStringLiteral("select count(*) from tb_job;")).toInt();
}

// One change, the rows it writes and the model's view of the same.
struct Operation
{
    std::function<bool()> run;
    QString rowSql;
    std::function<QString()> model;
};

// Where a book stands in the model: on the shelf, in the recycle bin, gone.
QString shelfOf(int localBookId)
{
    CPublicManager* m = CPublicManager::instance();
    if (const T_Book* book = m->findBookByLocalId(localBookId))
        return QStringLiteral("shelf %1").arg(book->status);
    if (const T_Book* book = m->findRecycledBookByLocalId(localBookId))
        return QStringLiteral("bin %1").arg(book->status);
    return QStringLiteral("gone");
}

}

class OperationCommitsTest : public QObject
{
    Q_OBJECT
private slots:
    void refusedJobLeavesNoHalfChange_data();
    void refusedJobLeavesNoHalfChange();
};

void OperationCommitsTest::refusedJobLeavesNoHalfChange_data()
{
    QTest::addColumn<QString>("operation");
    for (const char* name : {"volume add", "volume rename", "volume delete", "volume move", "book create",
                             "book edit", "book recycle", "book restore", "book delete", "outline create",
                             "outline update", "outline delete", "outline move", "memo add", "memo delete",
                             "memo colour", "memo text", "memo place"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void OperationCommitsTest::refusedJobLeavesNoHalfChange()
{
    QFETCH(QString, operation);
    BooksFixture f;
    QVERIFY(f.up());
    CJobManager* jobs = CJobManager::instance();
    CBookJobManager* bookJobs = CBookJobManager::instance();
    CPublicManager* m = CPublicManager::instance();

    // A book the platform never had, a second volume, two outlines and a
    // memo the platform knows, all stored without jobs; and a recycled book
    // the platform knows.
    T_Book* book = f.offlineBook(QStringLiteral("一次提交"));
    QVERIFY(book);
    const int b = book->localId;
    TC_Volume_Add second(b, 0, 0, 2, 1700000000, QStringLiteral("第二卷"));
    second.header.synStep = 1;
    QVERIFY(jobs->volume_add(second));
    const int v1 = book->volumeList.first()->localId;
    const int v2 = second.header.localVolumeId;
    QList<int> outlines;
    for (int order = 1; order <= 2; ++order) {
        TC_BookOutline_Create outline(0, b, 0, 700 + order, 1, order, 1700000000,
                                      QStringLiteral("大纲%1").arg(order), QStringLiteral("内容"));
        outline.header.synStep = 1;
        QVERIFY(bookJobs->outline_create(outline));
        outlines.append(outline.localOutlineId);
    }
    TC_Memo_Add memo;
    memo.header.memoId = 801;
    memo.header.synStep = 1;
    memo.content = QStringLiteral("便签");
    memo.color = QStringLiteral("#ffffff");
    memo.updateTime = 1700000000;
    QVERIFY(jobs->memoAdd(memo));
    const int mo = memo.header.localMemoId;
    T_Book* recycledBook = f.offlineBook(QStringLiteral("回收站里"));
    QVERIFY(recycledBook);
    const int r = recycledBook->localId;
    // A book deleted for good is only queued once the platform has it.
    QVERIFY(exec(QStringLiteral("update tb_book set bookId = 9901 where localId = %1;").arg(r)));
    recycledBook->bookId = 9901;
    TC_Books_Delete toBin(r, 1700000000);
    QVERIFY(bookJobs->books_delete(toBin, true));
    QCOMPARE(jobCount(), 0);

    const auto memoEdit = [mo]() {
        return TC_Memo_Edit(mo, 801, 1700000100, QStringLiteral("改过的便签"), QStringLiteral("#000000"), 0, 0,
                            0, 0, 0, 0, 0);
    };
    const QString memoRow = QStringLiteral("select color || '|' || content || '|' || localChapterId from tb_memo "
                                           "where localId = %1;").arg(mo);
    const auto memoModel = [m, mo]() {
        const T_Memo* found = m->findMemoByLocalId(mo);
        return found ? found->color + QLatin1Char('|') + found->content + QLatin1Char('|')
                           + QString::number(found->localChapterId)
                     : QStringLiteral("gone");
    };
    const QString volumeOrders = QStringLiteral("select group_concat(orderNum) from (select orderNum from tb_volume "
                                                "where localBookId = %1 order by localId);").arg(b);
    const QString outlineRows = QStringLiteral("select group_concat(localId || ':' || orderNum || ':' || title) from "
                                               "(select * from tb_outline where localBookId = %1 order by localId);")
                                    .arg(b);
    const auto outlineModel = [book]() {
        QMap<int, QString> sorted;
        for (const T_Outline* item : qAsConst(book->outline.outlineList))
            sorted.insert(item->localId, QStringLiteral("%1:%2:%3").arg(item->localId).arg(item->orderNum).arg(item->title));
        return QStringList(sorted.values()).join(QLatin1Char(','));
    };
    const QString bookRow = QStringLiteral("select coalesce((select bookName || '|' || status from tb_book "
                                           "where localId = %1), 'gone');");

    const QMap<QString, Operation> table{
        {QStringLiteral("volume add"),
         {[=]() {
              TC_Volume_Add add(b, 0, 0, 3, 1700000100, QStringLiteral("第三卷"));
              return jobs->volume_add(add);
          },
          QStringLiteral("select count(*) from tb_volume where localBookId = %1;").arg(b),
          [book]() { return QString::number(book->volumeList.size()); }}},
        {QStringLiteral("volume rename"),
         {[=]() {
              TC_Volume_Edit edit;
              edit.header.localBookId = b;
              edit.header.localVolumeId = v1;
              edit.volumeName = QStringLiteral("改名的卷");
              edit.updateTime = 1700000100;
              return jobs->volume_edit(edit);
          },
          QStringLiteral("select volumeName from tb_volume where localId = %1;").arg(v1),
          [book, v1]() { return book->findVolumeByLocalId(v1)->volumeName; }}},
        {QStringLiteral("volume delete"),
         {[=]() {
              TC_Volume_Delete del;
              del.header.localBookId = b;
              del.header.localVolumeId = v1;
              del.type = 0;
              del.updateTime = 1700000100;
              return jobs->volume_del_restore(del);
          },
          QStringLiteral("select (select status from tb_volume where localId = %1) || '|' || "
                         "(select group_concat(status) from tb_chapter where localVolumeId = %1);").arg(v1),
          [book, v1]() {
              return QStringLiteral("%1|%2").arg(book->findVolumeByLocalId(v1)->status).arg(book->chapterList.size());
          }}},
        {QStringLiteral("volume move"),
         {[=]() {
              TC_Volume_Move move;
              move.header.localBookId = b;
              move.localFromVolumeId = v1;
              move.localToVolumeId = v2;
              move.updateTime = 1700000100;
              return jobs->volume_move(move, QMap<int, int>{{v1, 2}, {v2, 1}});
          },
          volumeOrders,
          [book]() {
              QMap<int, int> sorted;
              for (const T_Volume* volume : qAsConst(book->volumeList))
                  sorted.insert(volume->localId, volume->orderNum);
              QStringList orders;
              for (int order : sorted.values())
                  orders.append(QString::number(order));
              return orders.join(QLatin1Char(','));
          }}},
        {QStringLiteral("book create"),
         {[=]() {
              TC_Books_AddBook add(QStringLiteral("新书"), 1700000100, 1700000100, QString());
              return jobs->books_add(add);
          },
          QStringLiteral("select count(*) from tb_book;"),
          [m]() { return QStringLiteral("%1+%2").arg(m->bookList.size()).arg(m->recycleBookList.size()); }}},
        {QStringLiteral("book edit"),
         {[=]() {
              TC_Books_Edit edit(b, 0, 0, 0, QStringLiteral("改名的书"), QString(), QString(), 1700000100);
              return jobs->books_edit(edit);
          },
          bookRow.arg(b), [m, b]() { return m->findBookByLocalId(b)->bookName; }}},
        {QStringLiteral("book recycle"),
         {[=]() {
              TC_Books_Delete del(b, 1700000100);
              return jobs->books_delete(del);
          },
          bookRow.arg(b), [b]() { return shelfOf(b); }}},
        {QStringLiteral("book restore"),
         {[=]() {
              TC_Books_Restore restore;
              restore.header.localBookId = r;
              restore.updateTime = 1700000100;
              return jobs->books_restore(restore);
          },
          bookRow.arg(r), [r]() { return shelfOf(r); }}},
        {QStringLiteral("book delete"),
         {[=]() {
              TC_Books_Delete_Hard del;
              del.header.localBookId = r;
              del.updateTime = 1700000100;
              return jobs->books_delete_hard(del);
          },
          bookRow.arg(r), [r]() { return shelfOf(r); }}},
        {QStringLiteral("outline create"),
         {[=]() {
              TC_BookOutline_Create create(0, b, 0, 0, 1, 3, 1700000100, QStringLiteral("大纲3"), QString());
              return bookJobs->outline_create(create);
          },
          outlineRows, outlineModel}},
        {QStringLiteral("outline update"),
         {[=]() {
              TC_BookOutline_Update update;
              update.localBookId = b;
              update.localOutlineId = outlines.first();
              update.type = 1;
              update.title = QStringLiteral("改过的大纲");
              update.updateTime = 1700000100;
              return bookJobs->outline_update(update);
          },
          outlineRows, outlineModel}},
        {QStringLiteral("outline delete"),
         {[=]() {
              TC_BookOutline_Delete del;
              del.localBookId = b;
              del.localOutlineId = outlines.first();
              del.updateTime = 1700000100;
              return bookJobs->outline_delete(del);
          },
          outlineRows, outlineModel}},
        {QStringLiteral("outline move"),
         {[=]() {
              TC_BookOutline_Move move;
              move.localBookId = b;
              move.fromLocalId = outlines.first();
              move.toLocalId = outlines.last();
              move.updateTime = 1700000100;
              return bookJobs->outline_move(move, 0, 1);
          },
          outlineRows, outlineModel}},
        {QStringLiteral("memo add"),
         {[=]() {
              TC_Memo_Add add;
              add.content = QStringLiteral("新便签");
              add.color = QStringLiteral("#ffffff");
              add.updateTime = 1700000100;
              return jobs->memoAdd(add);
          },
          QStringLiteral("select count(*) || '|' || (select memoCount from tb_system_conf) from tb_memo;"),
          [m]() { return QStringLiteral("%1|%2").arg(m->memoList.size()).arg(m->userConf.systemConf.memoCount); }}},
        {QStringLiteral("memo delete"),
         {[=]() {
              TC_Memo_Del del;
              del.header.localMemoId = mo;
              del.updateTime = 1700000100;
              return jobs->memoDel(del);
          },
          memoRow, memoModel}},
        {QStringLiteral("memo colour"),
         {[=]() { TC_Memo_Edit edit = memoEdit(); return jobs->memoEditColor(edit); },
          memoRow, memoModel}},
        {QStringLiteral("memo text"),
         {[=]() { TC_Memo_Edit edit = memoEdit(); return jobs->memoEditContent(edit); },
          memoRow, memoModel}},
        {QStringLiteral("memo place"),
         {[=]() {
              TC_Memo_Edit edit = memoEdit();
              edit.localBookId = b;
              edit.localChapterId = book->chapterList.first()->localId;
              edit.x = 10;
              edit.y = 20;
              edit.isHold = 1;
              return jobs->memoEditLocation(edit);
          },
          memoRow, memoModel}},
    };
    QVERIFY(table.contains(operation));
    const Operation& op = table.value(operation);

    const QString rowBefore = rows(op.rowSql);
    const QString modelBefore = op.model();
    QVERIFY(!rowBefore.isEmpty());
    for (const char* event : {"insert", "update"})
        QVERIFY(exec(QStringLiteral("create temp trigger refuse_job_%1 before %1 on tb_job "
                                    "begin select raise(abort, 'refused'); end;").arg(QLatin1String(event))));
    const bool refusedRan = op.run();
    QVERIFY(exec(QStringLiteral("drop trigger refuse_job_insert;")) && exec(QStringLiteral("drop trigger refuse_job_update;")));
    QVERIFY(!refusedRan);
    QCOMPARE(rows(op.rowSql), rowBefore);
    QCOMPARE(op.model(), modelBefore);
    QCOMPARE(jobCount(), 0);

    // The same change with the job taken: rows, model and job all move.
    QVERIFY(op.run());
    QVERIFY(rows(op.rowSql) != rowBefore);
    QVERIFY(op.model() != modelBefore);
    QVERIFY(jobCount() >= 1);
}

int runOperationCommits(int argc, char** argv)
{
    OperationCommitsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OperationCommits.moc"
