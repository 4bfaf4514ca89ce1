// The identity block every request carries and every reply hands back.

#include "remote/CHttpBase.h"
#include "remote/CTessaneUrl.h"

#include <QTest>

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

    // A reply's identity text that is cut short or garbled never moves a
    // reply onto another job's ids.
    void malformedTextKeepsOrZeroesOnlyWhatItCannotRead()
    {
        T_Http_Custom block;
        block.jobId = 5;
        block.fromUserData(QStringLiteral("1,2,3"));
        QCOMPARE(block.jobId, 5);
        QCOMPARE(block.uid, 0);
        block.fromUserData(QString());
        QCOMPARE(block.jobId, 5);
        block.fromUserData(QStringLiteral("12,x1016,,51,40,93,77,0,0,0,0,0,0"));
        QCOMPARE(block.jobType, 0);
        QCOMPARE(block.localBookId, 0);
        QCOMPARE(block.bookId, 51);
        QCOMPARE(block.jobId, 77);
    }

    void blockFromStoredJobCarriesItsIdsAndKeepsTheFeedFlag()
    {
        T_Http_Custom block;
        block.synStep = 1;
        CTessaneUrl::setUserData(StoredJob(), block, 1);
        QCOMPARE(block.toUserData(), QByteArray("12,1016,3,51,40,93,77,1,1,8,71,5,61"));
    }

};

int runRequestIdentityTests(int argc, char** argv)
{
    TestRequestIdentity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RequestIdentity.moc"
