// The identity block, the path table, the JSON readers and the request
// records' own constructors.

#include "remote/CHttpBase.h"
#include "remote/CTessaneUrl.h"

#include <QSet>
#include <QTest>
#include <QUrlQuery>

namespace {
// The fields of a stored job, as the job table hands them over.
struct StoredJob
{
    int jobId = 77;
    int uid = 12;
    int jobType = 1016;
    int localBookId = 3;
    int bookId = 51;
    int localVolumeId = 5;
    int volumeId = 61;
    int localChapterId = 40;
    int chapterId = 93;
    int localMemoId = 8;
    int memoId = 71;
};
}

class TestRequestIdentity : public QObject
{
    Q_OBJECT

private slots:
    void freshBlockWritesThirteenZeros()
    {
        QCOMPARE(T_Http_Custom().toUserData(), QByteArray("0,0,0,0,0,0,0,0,0,0,0,0,0"));
    }

    void blockIsWrittenInWireOrder()
    {
        T_Http_Custom block;
        block.uid = 12;
        block.jobType = 1016;
        block.localBookId = 3;
        block.bookId = 51;
        block.localChapterId = 40;
        block.chapterId = 93;
        block.jobId = 77;
        QCOMPARE(block.toUserData(), QByteArray("12,1016,3,51,40,93,77,0,0,0,0,0,0"));
        block.runNext = 1;
        block.synStep = 2;
        block.localMemoId = 4;
        block.memoId = 5;
        block.localVolumeId = 6;
        block.volumeId = 7;
        QCOMPARE(block.toUserData(), QByteArray("12,1016,3,51,40,93,77,1,2,4,5,6,7"));
    }

    void blockRoundTripsNegativesIncluded()
    {
        T_Http_Custom block;
        block.uid = -1;
        block.jobType = 3007;
        block.localBookId = -2147483647 - 1;
        block.bookId = 2147483647;
        block.volumeId = -9;
        T_Http_Custom read;
        read.fromUserData(QString::fromLatin1(block.toUserData()));
        QVERIFY(read == block);
    }

    void tooFewPartsLeaveTheBlockUntouched()
    {
        T_Http_Custom block;
        block.jobId = 5;
        block.fromUserData(QStringLiteral("1,2,3"));
        QCOMPARE(block.jobId, 5);
        QCOMPARE(block.uid, 0);
        block.fromUserData(QString());
        QCOMPARE(block.jobId, 5);
    }

    void partsAfterTheThirteenthAreIgnored()
    {
        T_Http_Custom block;
        block.fromUserData(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14"));
        QCOMPARE(block.uid, 1);
        QCOMPARE(block.volumeId, 13);
        QCOMPARE(block.toUserData(), QByteArray("1,2,3,4,5,6,7,8,9,10,11,12,13"));
    }

    void partThatIsNoNumberReadsAsZero()
    {
        T_Http_Custom block;
        block.localBookId = 99;
        block.fromUserData(QStringLiteral("12,1016,,51,40,93,77,0,0,0,0,0,0"));
        QCOMPARE(block.localBookId, 0);
        QCOMPARE(block.bookId, 51);
        QCOMPARE(block.jobId, 77);
        block.fromUserData(QStringLiteral("12,x1016,3,51,40,93,77,0,0,0,0,0,0"));
        QCOMPARE(block.jobType, 0);
        QCOMPARE(block.localBookId, 3);
    }

    void blockFromStoredJobCarriesItsIdsAndKeepsTheFeedFlag()
    {
        T_Http_Custom block;
        block.synStep = 1;
        CTessaneUrl::setUserData(StoredJob(), block, 1);
        QCOMPARE(block.toUserData(), QByteArray("12,1016,3,51,40,93,77,1,1,8,71,5,61"));
    }

    void everyRequestIdHasItsPath()
    {
        QSet<QString> paths;
        for (int id = 1; id <= 78; ++id) {
            const QString path = CTessaneUrl::getUrlPath(id);
            QVERIFY2(path.startsWith(QLatin1Char('/')), qPrintable(QString::number(id)));
            QVERIFY(!path.contains(QLatin1Char('?')));
            paths.insert(path);
        }
        QCOMPARE(paths.size(), 78);
        QCOMPARE(CTessaneUrl::getUrlPath(34), QStringLiteral("/chapter/editChapter"));
        QCOMPARE(CTessaneUrl::getUrlPath(69), QStringLiteral("/chapter/appMoveChapter"));
        QCOMPARE(CTessaneUrl::getUrlPath(78), QStringLiteral("/authorcount/pvUv"));
    }

    void fullUrlIsBaseFollowedByPath()
    {
        const QString base = CTessaneUrl::baseAddress();
        QVERIFY(!base.endsWith(QLatin1Char('/')));
        QCOMPARE(CTessaneUrl::getFullUrl(4), base + QStringLiteral("/account/login"));
        QCOMPARE(CTessaneUrl::getFullUrl(0), base);
        QCOMPARE(CTessaneUrl::getFullUrl(79), base);
        QVERIFY(CTessaneUrl::getUrlPath(0).isEmpty());
    }

    void jsonReadersKeepMissingAndZeroWrongTypes()
    {
        const QJsonObject object{{QStringLiteral("digits"), QStringLiteral("42")},
                                 {QStringLiteral("number"), 42},
                                 {QStringLiteral("fraction"), 4.5},
                                 {QStringLiteral("text"), QStringLiteral("a")}};
        int value = 7;
        CTessaneUrl::jsonInt(object, QStringLiteral("missing"), value);
        QCOMPARE(value, 7);
        CTessaneUrl::jsonInt(object, QStringLiteral("digits"), value);
        QCOMPARE(value, 0);
        CTessaneUrl::jsonInt(object, QStringLiteral("number"), value);
        QCOMPARE(value, 42);
        CTessaneUrl::jsonInt(object, QStringLiteral("fraction"), value);
        QCOMPARE(value, 0);
        QString text = QStringLiteral("kept");
        CTessaneUrl::jsonString(object, QStringLiteral("missing"), text);
        QCOMPARE(text, QStringLiteral("kept"));
        CTessaneUrl::jsonString(object, QStringLiteral("number"), text);
        QCOMPARE(text, QString());
        CTessaneUrl::jsonString(object, QStringLiteral("text"), text);
        QCOMPARE(text, QStringLiteral("a"));
    }

    void queryValuesArePercentEncodedAndDecodeBack()
    {
        const QString awkward = QStringLiteral("a&b=c+d #e/f?g%h 中文");
        const QString query = CHttpBase::encodeQuery({{QStringLiteral("channel"), awkward},
                                                      {QStringLiteral("os"), QStringLiteral("windows")}});
        QVERIFY(!query.contains(QLatin1Char(' ')));
        QVERIFY(!query.contains(QLatin1Char('+')));
        QCOMPARE(query.count(QLatin1Char('&')), 1);
        const QUrlQuery decoded(query);
        QCOMPARE(decoded.queryItemValue(QStringLiteral("channel"), QUrl::FullyDecoded), awkward);
        QCOMPARE(decoded.queryItemValue(QStringLiteral("os"), QUrl::FullyDecoded), QStringLiteral("windows"));
        QCOMPARE(CHttpBase::encodeQuery({}), QString());
    }

    void chapterAddTimesAreBasePlusOrder()
    {
        const TC_Chapter_Add add(3, 51, 5, 61, 1000, 4, QStringLiteral("第四章"));
        QCOMPARE(add.updateTime, 1004);
        QCOMPARE(add.orderNum, 4);
        QCOMPARE(add.header.jobType, 1008);
        QCOMPARE(add.header.localVolumeId, 5);
        QCOMPARE(add.header.volumeId, 61);
    }

    void storedChapterEditFlagsOnlyWhatItHolds()
    {
        const TC_Chapter_Edit contentOnly(QJsonObject{{QStringLiteral("content"), QStringLiteral("正文")}}, 9);
        QVERIFY(contentOnly.hasContent);
        QVERIFY(!contentOnly.hasName);
        QCOMPARE(contentOnly.header.jobType, 1017);
        QCOMPARE(contentOnly.updateTime, 9);
        const TC_Chapter_Edit both(QJsonObject{{QStringLiteral("name"), QString()},
                                               {QStringLiteral("content"), QString()}}, 1);
        QVERIFY(both.hasName && both.hasContent);
    }

    void memoEditBuildsItsLocationOnlyWhenPlaced()
    {
        const TC_Memo_Edit placed(4, 71, 100, QStringLiteral("t"), QStringLiteral("#fff"), 3, 40, 12.5f, 7.0f, 1, 200, 150);
        QCOMPARE(placed.location, QStringLiteral("12.5,7,200,150"));
        QCOMPARE(placed.header.jobType, 3007);
        QCOMPARE(placed.header.memoId, 71);
        QVERIFY(!placed.contentChanged && !placed.locationChanged);
        const TC_Memo_Edit unplaced(4, 71, 100, QString(), QString(), 0, 0, 0.0f, 0.0f, 0, 200, 150);
        QVERIFY(unplaced.location.isEmpty());
    }

    void outlineCreateWritesTheBookIdsIntoTheHeaderToo()
    {
        const TC_BookOutline_Create create(51, 3, 6, 0, 2, 5, 100, QStringLiteral("标题"), QStringLiteral("内容"));
        QCOMPARE(create.header.bookId, 51);
        QCOMPARE(create.header.localBookId, 3);
        QCOMPARE(create.bookId, 51);
        QCOMPARE(create.localOutlineId, 6);
        QCOMPARE(create.header.jobType, 1022);
    }
};

int runRequestIdentityTests(int argc, char** argv)
{
    TestRequestIdentity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RequestIdentity.moc"
