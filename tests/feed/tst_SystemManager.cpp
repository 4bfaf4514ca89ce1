// The system manager: the start-up check fetches only the data whose version
// grew and stores it through the replace-wholesale writers; statistics come
// back through the feed.

#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"

#include <QJsonArray>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString kCate = QStringLiteral("/books/getCate");
const QString kSensitive = QStringLiteral("/sensitive/getSensitive");
const QString kNames = QStringLiteral("/sensitive/nameData");
const QString kGetData = QStringLiteral("/authorcount/getData");
const QString kUpdate = QStringLiteral("/synchronization/appVersion");

int sysValue(const QString& column)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select %1 from tb_sys;").arg(column)) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool storeVersions(int cate, int sensitive, int names)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(QStringLiteral("update tb_sys set cateVersion = %1, sensitiveVersion = %2, "
                                     "peopleNameVersion = %3;")
                          .arg(cate)
                          .arg(sensitive)
                          .arg(names));
}
}

class SystemManagerTest : public QObject
{
    Q_OBJECT
private slots:
    void versionCheckFetchesOnlyWhatGrew_data();
    void versionCheckFetchesOnlyWhatGrew();
    void nothingNewerFetchesNothing();
    void statisticsItemOfTheFeedStoresTheDays();
};

void SystemManagerTest::versionCheckFetchesOnlyWhatGrew_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("fetches");
    // Categories and names are the platform's public data, asked for before
    // the sign-in is read; the words are the author's.
    QTest::addColumn<bool>("withToken");
    QTest::newRow("categories") << "cateVersion" << "cateVersion" << 3 << kCate << 1 << false;
    QTest::newRow("names") << "peopleNameDataVersion" << "peopleNameVersion" << 3 << kNames << 1 << false;
    // Both kinds of words, sent with the author's token: a refusal would sign the author out.
    QTest::newRow("sensitive") << "sensitiveVersion" << "sensitiveVersion" << 4 << kSensitive << 2 << true;
}

void SystemManagerTest::versionCheckFetchesOnlyWhatGrew()
{
    QFETCH(QString, key);
    QFETCH(QString, column);
    QFETCH(int, version);
    QFETCH(QString, path);
    QFETCH(int, fetches);
    QFETCH(bool, withToken);
    JobsFixture f;
    QVERIFY(f.seed());
    // What the stand-in reports unless told otherwise.
    QVERIFY(storeVersions(2, 1, 1));
    QVERIFY(standin().setVersions({{key, version}}));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(sysValue(column), version, 15000);
    QCOMPARE(JobsFixture::requestsTo(path).size(), fetches);
    for (const QString& other : {kCate, kNames, kSensitive})
        QCOMPARE(JobsFixture::requestsTo(other).isEmpty(), other != path);
    for (const QJsonValue& value : JobsFixture::requestsTo(path))
        QVERIFY(!withToken || !StandinServer::header(value.toObject(), "Authorization").isEmpty());
}

void SystemManagerTest::nothingNewerFetchesNothing()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(5, 5, 5));
    // What an earlier fetch left in the model must not stand in for the load.
    CPublicManager::instance()->peopleNames = TS_Sensitive_NameData();
    CPublicManager::instance()->cateList = TS_Books_Cate();
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QVERIFY(JobsFixture::requestsTo(kCate).isEmpty());
    QVERIFY(JobsFixture::requestsTo(kNames).isEmpty());
    QVERIFY(JobsFixture::requestsTo(kSensitive).isEmpty());
    QCOMPARE(sysValue(QStringLiteral("cateVersion")), 5);
    // The stored name lists were loaded into the model.
    QVERIFY(!CPublicManager::instance()->peopleNames.lists.isEmpty());
    // So was the stored category tree, in the shape the system row gives it.
    const TS_Books_Cate& cate = CPublicManager::instance()->cateList;
    QCOMPARE(cate.male.items.size(), CPublicManager::instance()->maleCateCount);
    QVERIFY(cate.male.items.size() > 0 && cate.female.items.size() > 0);
    for (const TS_Books_CateList* list : {&cate.male, &cate.female}) {
        for (const T_Books_CateItem& top : list->items) {
            QVERIFY2(top.cate_id > 0, "an empty top-category slot");
            for (const T_Books_CateItem& child : top.children)
                QVERIFY2(child.cate_id > 0, qPrintable(top.cate_name + " has an empty child slot"));
        }
    }
}

void SystemManagerTest::statisticsItemOfTheFeedStoresTheDays()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const QJsonArray ids = standin().pushFeed(StandinServer::demoUid(), {feedItem(12, 0, 0)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QCOMPARE(JobsFixture::requestsTo(kGetData).size(), 1);
    QVERIFY(JobsFixture::identityOf(JobsFixture::requestsTo(kGetData).at(0).toObject()).synStep != 0);
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("select count(*) from tb_statistics where uid = %1;").arg(StandinServer::demoUid())));
    QVERIFY(query.next());
    QVERIFY(query.value(0).toInt() > 0);
    QCOMPARE(acknowledgedIds(), QList<int>{ids.at(0).toInt()});
}

int runSystemManagerTests(int argc, char** argv)
{
    SystemManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SystemManager.moc"
