// Outlines, memos and chapter versions.

#include "ModelDb.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "db/records/T_Memo.h"
#include "manager/CPublicManager.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"

#include <QtTest>

namespace {

const QString kQuote = QStringLiteral("don't %1 stop");

struct Memos
{
    QList<T_Memo*> list;
    ~Memos() { qDeleteAll(list); }
};

struct Versions
{
    QList<T_Chapter_TimeMachineItem*> list;
    ~Versions() { qDeleteAll(list); }
};

} // namespace

class TestModelNotes : public QObject
{
    Q_OBJECT

private:
    int addMemo(ModelDb& m, int uid, int time, const QString& text = QStringLiteral("m"))
    {
        TC_Memo_Add add;
        add.content = text;
        add.color = QStringLiteral("#fff");
        add.updateTime = time;
        return m->insertMemo(uid, add) ? add.header.localMemoId : 0;
    }

private slots:
    // --- outlines ---

    void storedOutlineLoadsWithItsTextAndNoIdsOfItsOwn()
    {
        ModelDb m;
        TC_BookOutline_Create create(300, 3, 0, 0, 2, 4, 1, kQuote, kQuote + kQuote);
        QVERIFY(m->insertOutline(create));
        QVERIFY(create.localOutlineId > 0);
        T_Book book(3, QStringLiteral("b"));
        QVERIFY(m->getOutlines(&book));
        QCOMPARE(book.outline.outlineList.size(), 1);
        const T_Outline* o = book.outline.outlineList.first();
        QCOMPARE(o->localId, create.localOutlineId);
        QCOMPARE(o->title, kQuote);
        QCOMPARE(o->content, kQuote + kQuote);
        QCOMPARE(o->type, 2);
        QCOMPARE(o->orderNum, 4);
        QCOMPARE(o->bookId, 0);
        QCOMPARE(o->localBookId, 0);
        QCOMPARE(o->moveLine, -1);
        QVERIFY(o->createTime > 1);
    }

    void outlineWritersChangeTheirRow()
    {
        ModelDb m;
        TC_BookOutline_Create create(300, 3, 0, 0, 1, 1, 1, QStringLiteral("t"), QString());
        QVERIFY(m->insertOutline(create));
        TC_BookOutline_Update update;
        update.localOutlineId = create.localOutlineId;
        update.title = kQuote;
        update.type = 3;
        QVERIFY(m->updateOutline(update));
        QCOMPARE(m.value("select title from tb_outline").toString(), kQuote);
        QVERIFY(m->updateOutlineId(create.localOutlineId, 55));
        QVERIFY(m->updateOutlineOrder(create.localOutlineId, 9));
        QCOMPARE(m.count("select outlineId from tb_outline"), 55);
        QCOMPARE(m.count("select orderNum from tb_outline"), 9);

        T_Outline unknown;
        unknown.bookId = 300;
        unknown.outlineId = 12345;
        QVERIFY(m->updateOutlineByOutlineId(&unknown));
        QCOMPARE(m.count("select orderNum from tb_outline"), 9);

        update.localOutlineId = 999;
        QVERIFY(!m->updateOutline(update));

        TC_BookOutline_Delete del;
        del.localOutlineId = create.localOutlineId;
        QVERIFY(m->deleteOutline(del));
        QCOMPARE(m.count("select count(*) from tb_outline"), 0);
    }

    // --- memos ---

    void holdOfTwoLoadsAsPinnedAndIsWrittenBackAsOne()
    {
        ModelDb m;
        const int id = addMemo(m, 5, 10);
        QVERIFY(m.exec(QStringLiteral("update tb_memo set isHold = 2 where localId = %1").arg(id)));
        Memos memos;
        QVERIFY(m->getMemos(5, memos.list));
        QVERIFY(memos.list.first()->isHold);
        QVERIFY(m->updateMemo(5, memos.list.first()));
        QCOMPARE(m.count("select isHold from tb_memo"), 1);
    }

    void deletingAnotherUsersMemoDeletesNothing()
    {
        ModelDb m;
        const int id = addMemo(m, 5, 10);
        TC_Memo_Del del;
        del.header.localMemoId = id;
        QVERIFY(m->deleteMemo(6, del));
        QCOMPARE(m.count("select count(*) from tb_memo"), 1);
        QVERIFY(m->deleteMemo(5, del));
        QCOMPARE(m.count("select count(*) from tb_memo"), 0);
    }

    void memoCountOnlyGrows()
    {
        ModelDb m;
        QVERIFY(m.exec("insert into tb_system_conf(uid,hideKey,pwdLockPwd,memoCount) "
                       "values(5,'k','0',4)"));
        CPublicManager* model = CPublicManager::instance();
        const int inMemory = model->userConf.systemConf.memoCount;
        addMemo(m, 5, 1);
        const int second = addMemo(m, 5, 2);
        addMemo(m, 5, 3);
        TC_Memo_Del del;
        del.header.localMemoId = second;
        QVERIFY(m->deleteMemo(5, del));
        QCOMPARE(m.count("select memoCount from tb_system_conf where uid = 5"), 7);
        QCOMPARE(model->userConf.systemConf.memoCount, inMemory + 3);
    }

    void memoInsertIsAllOrNothing()
    {
        ModelDb m;
        QVERIFY(m.exec("drop table tb_system_conf"));
        CPublicManager* model = CPublicManager::instance();
        const int inMemory = model->userConf.systemConf.memoCount;
        TC_Memo_Add add;
        add.content = QStringLiteral("x");
        QVERIFY(!m->insertMemo(5, add));
        QCOMPARE(add.header.localMemoId, 0);
        QCOMPARE(m.count("select count(*) from tb_memo"), 0);
        QCOMPARE(model->userConf.systemConf.memoCount, inMemory);
    }

    // --- chapter versions ---

    void newestTenVersionsComeFirst()
    {
        ModelDb m;
        for (int i = 1; i <= 15; ++i)
            QVERIFY(m.exec(QStringLiteral("insert into tb_contentblade(localChapterId,content,"
                                          "createTime,bladeId) values(4,'v%1',%1,%2)")
                               .arg(i)
                               .arg(i % 2 ? 0 : 100 + i)));
        QVERIFY(m.exec("insert into tb_contentblade(localChapterId,content,createTime) "
                       "values(5,'other chapter',999)"));
        Versions v;
        v.list.append(new T_Chapter_TimeMachineItem);
        QVERIFY(m->getContentBlades(4, v.list));
        QCOMPARE(v.list.size(), 10);
        QCOMPARE(v.list.first()->content, QStringLiteral("v15"));
        QCOMPARE(v.list.first()->bladeId, 0);
        QCOMPARE(v.list.at(1)->bladeId, 114);
        QCOMPARE(v.list.last()->content, QStringLiteral("v6"));
        QVERIFY(v.list.first()->localId > 0);
        QCOMPARE(v.list.first()->uid, 0);
    }

    void platformVersionsReplaceTheStoredOnes()
    {
        ModelDb m;
        QVERIFY(m.exec("insert into tb_contentblade(localChapterId,chapterId,content) "
                       "values(4,40,'local'),(7,0,'unsynced elsewhere')"));
        T_Chapter_TimeMachineItem a;
        a.bladeId = 1;
        a.content = kQuote;
        a.createTime = 50;
        a.wordCount = 3;
        T_Chapter_TimeMachineItem b = a;
        b.bladeId = 2;
        QVERIFY(m->replaceContentBlades(5, 1, 4, 10, 40, {a, b}));
        QCOMPARE(m.count("select count(*) from tb_contentblade where chapterId = 40"), 2);
        QCOMPARE(m.value("select content from tb_contentblade where bladeId = 1").toString(),
                 kQuote);

        QVERIFY(m->replaceContentBlades(5, 1, 4, 10, 40, {}));
        QCOMPARE(m.count("select count(*) from tb_contentblade where chapterId = 40"), 0);
        // A chapter not yet on the platform has no platform versions to take.
        QVERIFY(!m->replaceContentBlades(5, 1, 4, 10, 0, {}));
        QCOMPARE(m.count("select count(*) from tb_contentblade"), 1);
    }

    void failedVersionReplacementKeepsTheStoredVersions()
    {
        ModelDb m;
        QVERIFY(m.exec("insert into tb_contentblade(localChapterId,chapterId,content) "
                       "values(4,40,'kept')"));
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_contentblade"), QStringLiteral("bladeId"),
                                  QStringLiteral("2")));
        T_Chapter_TimeMachineItem a;
        a.bladeId = 1;
        T_Chapter_TimeMachineItem b;
        b.bladeId = 2;
        QVERIFY(!m->replaceContentBlades(5, 1, 4, 10, 40, {a, b}));
        QCOMPARE(m.count("select count(*) from tb_contentblade"), 1);
        QCOMPARE(m.value("select content from tb_contentblade").toString(), QStringLiteral("kept"));
    }
};

int runModelNotes(int argc, char** argv)
{
    TestModelNotes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_notes.moc"
