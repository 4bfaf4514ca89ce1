// tb_sys and the shared data sets: categories, sensitive words, name lists
// and levels.

#include "ModelDb.h"

#include "common/Utility.h"
#include "db/records/T_Level.h"
#include "db/records/T_SysInfo.h"
#include "manager/SensitiveWordMatcher.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/SystemRecords.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

namespace {

T_Books_CateItem cateItem(int id, int fId, const QString& name, int channel,
                          QVector<T_Books_CateItem> children = {})
{
    T_Books_CateItem item;
    item.cate_id = id;
    item.parentId = fId;
    item.cate_name = name;
    item.channel = channel;
    item.childCount = children.size();
    item.children = children;
    return item;
}

QJsonObject level(int id, const QString& img)
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("name"), QStringLiteral("L%1").arg(id)},
                       {QStringLiteral("score"), id * 10},
                       {QStringLiteral("img"), img}};
}

} // namespace

class TestModelSysData : public QObject
{
    Q_OBJECT

private slots:


    void refusedCategoryRowIsLeftOutAndTheRestStoredWithItsVersion()
    {
        ModelDb m;
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_cate"), QStringLiteral("cateId"),
                                  QStringLiteral("2")));
        TS_Books_Cate cate;
        cate.version = 3;
        cate.male.items = {cateItem(1, 1, QStringLiteral("m"), 1, {cateItem(2, 1, QStringLiteral("bad"), 1),
                                                                  cateItem(11, 1, QStringLiteral("kid"), 1)})};
        cate.female.items = {cateItem(2, 2, QStringLiteral("f"), 2), cateItem(3, 2, QStringLiteral("g"), 2)};
        QVERIFY(m->saveCateList(cate));
        QCOMPARE(m.count("select count(*) from tb_cate"), 3);
        QCOMPARE(m.count("select childCount from tb_cate where cateId = 1"), 1);
        QCOMPARE(m.count("select cateVersion from tb_sys"), 3);
        QCOMPARE(m.count("select femaleCateCount from tb_sys"), 1);

        // A store that refuses every row keeps the old set and version.
        QVERIFY(m.exec(QStringLiteral("DROP TRIGGER fail_tb_cate")));
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_cate"), QStringLiteral("cateId"),
                                  QStringLiteral("NEW.cateId")));
        cate.version = 4;
        QVERIFY(!m->saveCateList(cate));
        QCOMPARE(m.count("select count(*) from tb_cate"), 3);
        QCOMPARE(m.count("select cateVersion from tb_sys"), 3);
    }


    void failedRegularListReplacementKeepsTheOldList()
    {
        ModelDb m;
        const QString before = m.value("select words from tb_sensitive_words where type = 1")
                                   .toString();
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_sensitive_words"), QStringLiteral("type"),
                                  QStringLiteral("1")));
        QVERIFY(!m->updateSensitiveWords(5, 1, QStringLiteral("new"), 4));
        QCOMPARE(m.value("select words from tb_sensitive_words where type = 1").toString(), before);
        QCOMPARE(m.count("select sensitiveVersion from tb_sys"), 1);
    }

    void ownListNeedsTheUsersRow()
    {
        ModelDb m;
        QVERIFY(!m->updateSensitiveWords(5, 2, QStringLiteral("mine"), 0));
        QCOMPARE(m.count("select count(*) from tb_sensitive_words where type = 2"), 0);
        QVERIFY(m.exec("insert into tb_sensitive_words(uid,type) values(5,2)"));
        TS_Sensitive_Get reply;
        reply.sensitive_type = 2;
        reply.sensitiveWords = QStringLiteral("mine");
        QVERIFY(m->updateSensitiveWords(5, reply));
        QCOMPARE(m.value("select words from tb_sensitive_words where uid = 5").toString(),
                 QStringLiteral("mine"));
        QCOMPARE(m.count("select sensitiveVersion from tb_sys"), 1);
        QVERIFY(!m->updateSensitiveWords(5, 3, QStringLiteral("?"), 0));
    }


    void failedNameListReplacementKeepsTheSeed()
    {
        ModelDb m;
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_people"), QStringLiteral("type"),
                                  QStringLiteral("2")));
        TS_Sensitive_NameData data;
        data.version = 6;
        data.texts.insert(1, QStringLiteral("a"));
        data.texts.insert(2, QStringLiteral("b"));
        QVERIFY(!m->savePeopleNames(data));
        QCOMPARE(m.count("select count(*) from tb_people"), 20);
        QCOMPARE(m.count("select peopleNameVersion from tb_sys"), 1);
    }


    void refusedLevelIsLeftOutAndTheRestStoredWithItsVersion()
    {
        ModelDb m;
        TS_Level_AllData first;
        first.version = 1;
        first.data = QJsonArray{level(1, QStringLiteral("a"))};
        QVERIFY(m->saveLevelList(first));
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_level"), QStringLiteral("id"),
                                  QStringLiteral("3")));
        TS_Level_AllData second;
        second.version = 2;
        second.data = QJsonArray{level(2, QStringLiteral("b")), level(3, QStringLiteral("c")),
                                 level(2, QStringLiteral("again"))};
        QVERIFY(m->saveLevelList(second));
        QCOMPARE(m.count("select count(*) from tb_level"), 1);
        QCOMPARE(m.count("select id from tb_level"), 2);
        QCOMPARE(m.count("select levelVersion from tb_sys"), 2);

        QVERIFY(m.exec(QStringLiteral("DROP TRIGGER fail_tb_level")));
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_level"), QStringLiteral("id"), QStringLiteral("NEW.id")));
        second.version = 3;
        second.data = QJsonArray{level(2, QStringLiteral("b")), level(3, QStringLiteral("c"))};
        QVERIFY(!m->saveLevelList(second));
        QCOMPARE(m.count("select id from tb_level"), 2);
        QCOMPARE(m.count("select levelVersion from tb_sys"), 2);
    }
};

int runModelSysData(int argc, char** argv)
{
    TestModelSysData test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_sysdata.moc"
