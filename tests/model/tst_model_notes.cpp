// Memos and chapter versions.

#include "ModelDb.h"

#include "db/records/T_Chapter_TimeMachineItem.h"
#include "db/records/T_Memo.h"
#include "manager/CPublicManager.h"
#include "remote/records/MemoRecords.h"

#include <QtTest>

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
