// The system manager: the start-up check fetches only the data whose version
// grew and stores it through the replace-wholesale writers; statistics go up
// and come back; the update check; random names from the stored lists.

#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString kCate = QStringLiteral("/books/getCate");
const QString kSensitive = QStringLiteral("/sensitive/getSensitive");
const QString kNames = QStringLiteral("/sensitive/nameData");
const QString kSave = QStringLiteral("/authorcount/saveData");
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

QStringList peopleList(int type)
{
    QStringList names;
    CTessaneDb::instance()->getPeopleNames(type, names);
    return names;
}
}

class SystemManagerTest : public QObject
{
    Q_OBJECT
private slots:
    void versionCheckFetchesOnlyTheCategoriesWhenOnlyTheyGrew();
    void newerNameListsReplaceTheStoredOnes();
    void newerSensitiveWordsAreFetchedOnceTheTokenIsThere();
    void nothingNewerFetchesNothing();
    void storedStatisticsJobIsUploaded();
    void statisticsItemOfTheFeedStoresTheDays();
    void updateCheckNeedsPlatformAndChannel();
    void randomPeopleNamesJoinStoredSurnamesAndGivenNames();
    void randomNamesOfOtherKinds();
    void levelsNotCachedGiveEmptyTexts();
};

void SystemManagerTest::versionCheckFetchesOnlyTheCategoriesWhenOnlyTheyGrew()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(1, 1, 1));
    QVERIFY(standin().setVersions({{QStringLiteral("cateVersion"), 2}}));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(sysValue(QStringLiteral("cateVersion")), 2, 15000);
    QCOMPARE(JobsFixture::requestsTo(kCate).size(), 1);
    QVERIFY(JobsFixture::requestsTo(kNames).isEmpty());
    QVERIFY(JobsFixture::requestsTo(kSensitive).isEmpty());
    QCOMPARE(CPublicManager::instance()->synData.cateVersion, 2);
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("select count(*) from tb_cate;")) && query.next());
    QVERIFY(query.value(0).toInt() > 0);
    QVERIFY(!CPublicManager::instance()->cateList.male.items.isEmpty());
}

void SystemManagerTest::newerNameListsReplaceTheStoredOnes()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(1, 1, 1));
    QVERIFY(!peopleList(5).isEmpty());
    QVERIFY(standin().setVersions({{QStringLiteral("peopleNameDataVersion"), 3}}));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(sysValue(QStringLiteral("peopleNameVersion")), 3, 15000);
    QCOMPARE(JobsFixture::requestsTo(kNames).size(), 1);
    QVERIFY(JobsFixture::requestsTo(kCate).isEmpty());
    // Replaced as a whole by the platform's lists.
    QCOMPARE(peopleList(1), (QStringList{QStringLiteral("赵"), QStringLiteral("钱"), QStringLiteral("孙"),
                                         QStringLiteral("李")}));
    QVERIFY(peopleList(5).isEmpty());
}

void SystemManagerTest::newerSensitiveWordsAreFetchedOnceTheTokenIsThere()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(1, 1, 1));
    QVERIFY(standin().setVersions({{QStringLiteral("sensitiveVersion"), 4}}));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kSensitive).size(), 2, 15000);
    QStringList queries;
    for (const QJsonValue& value : JobsFixture::requestsTo(kSensitive)) {
        queries.append(value.toObject().value(QStringLiteral("query")).toString());
        // Sent with the author's token: a refusal would have signed the author out.
        QVERIFY(!StandinServer::header(value.toObject(), "Authorization").isEmpty());
    }
    QVERIFY(queries.contains(QStringLiteral("sensitive_type=1")));
    QVERIFY(queries.contains(QStringLiteral("sensitive_type=2")));
    QTRY_COMPARE_WITH_TIMEOUT(sysValue(QStringLiteral("sensitiveVersion")), 4, 15000);
}

void SystemManagerTest::nothingNewerFetchesNothing()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(5, 5, 5));
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QVERIFY(JobsFixture::requestsTo(kCate).isEmpty());
    QVERIFY(JobsFixture::requestsTo(kNames).isEmpty());
    QVERIFY(JobsFixture::requestsTo(kSensitive).isEmpty());
    QCOMPARE(sysValue(QStringLiteral("cateVersion")), 5);
    // The stored name lists were loaded into the model.
    QVERIFY(!CPublicManager::instance()->peopleNames.texts.isEmpty());
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

void SystemManagerTest::storedStatisticsJobIsUploaded()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const QString day = QStringLiteral("2024-05-06");
    const QString counters = QStringLiteral("{\"date\":\"%1\",\"wordCount\":120,\"writeTime\":300,"
                                            "\"writeSpeed\":900,\"wordCountAll\":5000,\"netIncrease\":110,"
                                            "\"outlineNum\":0,\"memoNum\":0}")
                                 .arg(day);
    QVERIFY(f.addJob(2006, counters) > 0);
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    const QJsonArray uploads = JobsFixture::requestsTo(kSave);
    QCOMPARE(uploads.size(), 1);
    const QJsonObject body =
        QJsonDocument::fromJson(uploads.at(0).toObject().value(QStringLiteral("body")).toString().toUtf8()).object();
    QCOMPARE(body.value(QStringLiteral("date")).toString(), day);
    QCOMPARE(body.value(QStringLiteral("pc_word")).toInt(), 120);
    QCOMPARE(body.value(QStringLiteral("write_time")).toInt(), 300);
    QVERIFY(f.jobIds().isEmpty());
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

void SystemManagerTest::updateCheckNeedsPlatformAndChannel()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QVERIFY(standin().clearJournal());
    CSystemManager* system = CSystemManager::instance();
    TC_UpdateOnline missing;
    missing.os = QStringLiteral("pc");
    QVERIFY(!system->updateOnline(missing));
    TC_UpdateOnline negative;
    negative.os = QStringLiteral("pc");
    negative.channel = QStringLiteral("0");
    negative.version_code = -1;
    QVERIFY(!system->updateOnline(negative));
    TC_UpdateOnline good;
    good.os = QStringLiteral("pc");
    good.channel = QStringLiteral("0");
    good.version_code = 3;
    QVERIFY(system->updateOnline(good));
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kUpdate).size(), 1, 15000);
    // The stand-in offers no update (status 0): later checks still go.
    QTest::qWait(100);
    QCOMPARE(system->updateShown(), 0);
}

void SystemManagerTest::randomPeopleNamesJoinStoredSurnamesAndGivenNames()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(5, 5, 5));
    QVERIFY(f.start());
    CPublicManager::instance()->nameCache.clear();
    const QStringList single = peopleList(1);
    const QStringList male1 = peopleList(3);
    const QStringList westernSurnames = peopleList(10);
    const QStringList westernFemale = peopleList(12);
    QVERIFY(!single.isEmpty() && !male1.isEmpty() && !westernSurnames.isEmpty() && !westernFemale.isEmpty());

    CSystemManager* system = CSystemManager::instance();
    QStringList out;
    system->randomPeopleNames(1, 1, 1, 1, QString(), out, 5);
    QCOMPARE(out.size(), 5);
    for (const QString& name : qAsConst(out)) {
        bool matched = false;
        for (const QString& surname : single)
            matched = matched || (name.startsWith(surname) && male1.contains(name.mid(surname.size())));
        QVERIFY2(matched, qPrintable(name));
    }

    system->randomPeopleNames(4, 2, 0, 0, QString(), out, 3);
    QCOMPARE(out.size(), 3);
    for (const QString& name : qAsConst(out)) {
        const QStringList parts = name.split(QStringLiteral("·"));
        QCOMPARE(parts.size(), 2);
        QVERIFY(westernFemale.contains(parts.at(0)));
        QVERIFY(westernSurnames.contains(parts.at(1)));
    }

    system->randomPeopleNames(1, 1, 1, 1, QStringLiteral("欧阳"), out, 4);
    QCOMPARE(out.size(), 4);
    for (const QString& name : qAsConst(out))
        QVERIFY(name.startsWith(QStringLiteral("欧阳")) && male1.contains(name.mid(2)));

    system->randomPeopleNames(1 | 4, 1, 1, 1, QString(), out, 6);
    for (const QString& name : qAsConst(out))
        QVERIFY(name.contains(QStringLiteral("·")));

    system->randomPeopleNames(1, 1, 1, 1, QString(), out, 0);
    QVERIFY(out.isEmpty());
    system->randomPeopleNames(0, 0, 0, 0, QString(), out, 5);
    QVERIFY(out.isEmpty());
}

void SystemManagerTest::randomNamesOfOtherKinds()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(storeVersions(5, 5, 5));
    QVERIFY(f.start());
    CPublicManager::instance()->nameCache.clear();
    CSystemManager* system = CSystemManager::instance();
    const QStringList scenic = peopleList(17);
    QStringList out;
    system->randomPlaceNames(4, out, 5, QString());
    QCOMPARE(out.size(), 5);
    for (const QString& name : qAsConst(out))
        QVERIFY(scenic.contains(name));

    const QStringList stems = peopleList(15);
    system->randomPlaceNames(1, out, 5, QStringLiteral("镇"));
    for (const QString& name : qAsConst(out))
        QVERIFY(name.endsWith(QStringLiteral("镇")) && stems.contains(name.chopped(1)));

    const QStringList weapons = peopleList(19);
    system->randomGongNames(2, out, 7);
    QCOMPARE(out.size(), 7);
    for (const QString& name : qAsConst(out))
        QVERIFY(weapons.contains(name));

    const QStringList suffixes = peopleList(14);
    system->randomPlaceSuffixes(2, out, 3);
    for (const QString& name : qAsConst(out))
        QVERIFY(suffixes.contains(name));

    system->randomSurnames(0, 0, out, 3);
    QVERIFY(out.isEmpty());
}

void SystemManagerTest::levelsNotCachedGiveEmptyTexts()
{
    CSystemManager* system = CSystemManager::instance();
    QVERIFY(system->levelImagePath(1, 6).isEmpty());
    QVERIFY(system->levelImagePath(987654, 1).isEmpty());
    QVERIFY(system->findLevel(987654).isEmpty());
}

int runSystemManagerTests(int argc, char** argv)
{
    SystemManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SystemManager.moc"
