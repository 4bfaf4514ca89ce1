// The reply header, the content checks and every reply parser, fed with
// fixtures: empty replies, broken ones and wrong types. What well-formed
// replies fill in is checked end to end against the stand-in by each area.

#include "common/ServerClock.h"
#include "remote/CTessaneUrl.h"

#include <QDateTime>
#include <QTest>

namespace {
const QByteArray kUserdata = "12,1016,3,51,40,93,77,1,0,0,0,5,61";

// A successful reply around the given content text.
QByteArray ok(const QByteArray& content)
{
    return "{\"code\":200,\"msg\":\"success\",\"server_time\":1700000000,\"userdata\":\"" + kUserdata
        + "\",\"content\":" + content + "}";
}

QJsonObject root(const QByteArray& body)
{
    return CTessaneUrl::rootObject(body);
}
}

class TestReplyParsers : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetServerTimeOffset(); }
    void cleanupTestCase() { resetServerTimeOffset(); }

    // ---- header and content checks ------------------------------------------

    void emptyContentFailsTheMatchingCheck()
    {
        T_Http_S head;
        head.code = 200;
        QJsonObject object;
        QJsonArray array;
        QVERIFY(!CTessaneUrl::contentArray(root(ok("[]")), array, &head));
        QVERIFY(!CTessaneUrl::contentObject(root(ok("{}")), object, &head));
        QVERIFY(!CTessaneUrl::contentObject(root(ok("null")), object, &head));
        QVERIFY(!CTessaneUrl::contentObject(root(ok("\"text\"")), object, &head));
        QVERIFY(!CTessaneUrl::contentObject(root("{\"code\":200}"), object, &head));
        QVERIFY(CTessaneUrl::contentArray(root(ok("[1]")), array, &head));
    }

    void anythingButCode200FailsBothChecks()
    {
        T_Http_S head;
        const QByteArray body = "{\"code\":300,\"msg\":\"登录已失效\",\"content\":{\"a\":1}}";
        CTessaneUrl::parseReplyHeader(root(body), &head);
        QCOMPARE(head.code, 300);
        QCOMPARE(head.msg, QStringLiteral("登录已失效"));
        QJsonObject object;
        QVERIFY(!CTessaneUrl::contentObject(root(body), object, &head));
    }

    void brokenBodiesLeaveTheHeaderAsConstructed_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not json") << QByteArray("<html>502 Bad Gateway</html>");
        QTest::newRow("truncated") << ok("{\"uid\":5,\"token\":\"abc\"}").left(40);
        QTest::newRow("array root") << QByteArray("[{\"code\":200}]");
        QTest::newRow("json text") << QByteArray("\"code\"");
    }

    void brokenBodiesLeaveTheHeaderAsConstructed()
    {
        QFETCH(QByteArray, body);
        TS_Author_Login login;
        login.uid = 3;
        CTessaneUrl::setHttpAuthorLogin(body, &login);
        QCOMPARE(login.header.code, 0);
        QVERIFY(login.header.msg.isEmpty());
        QCOMPARE(login.header.server_time, 0);
        QVERIFY(login.header.userdata == T_Http_Custom());
        QCOMPARE(login.uid, 3);
        QVERIFY(login.token.isEmpty());
        QVERIFY(qAbs(currentServerTime() - QDateTime::currentSecsSinceEpoch()) <= 2);
    }

    void codeAsTextReadsAsFailure()
    {
        TS_Author_Register reply;
        CTessaneUrl::setHttpAuthorRegister("{\"code\":\"200\",\"msg\":\"ok\",\"content\":{\"uid\":9}}", &reply);
        QCOMPARE(reply.header.code, 0);
        QCOMPARE(reply.uid, 0);
    }

    void shortUserdataKeepsTheIdentity()
    {
        T_Http_S head;
        head.userdata.jobId = 4;
        CTessaneUrl::parseReplyHeader(root("{\"code\":200,\"userdata\":\"1,2\"}"), &head);
        QCOMPARE(head.userdata.jobId, 4);
        CTessaneUrl::parseReplyHeader(root("{\"code\":200,\"userdata\":12}"), &head);
        QCOMPARE(head.userdata.jobId, 4);
    }

    void firstPositiveServerTimeSettlesTheClock()
    {
        const qint64 local = QDateTime::currentSecsSinceEpoch();
        T_Http_S head;
        CTessaneUrl::parseReplyHeader(root("{\"code\":200,\"server_time\":0}"), &head);
        CTessaneUrl::parseReplyHeader(root("{\"code\":200}"), &head);
        QVERIFY(qAbs(currentServerTime() - local) <= 2);

        const qint64 serverTime = local - 5000;
        CTessaneUrl::parseReplyHeader(root("{\"server_time\":" + QByteArray::number(serverTime) + "}"), &head);
        QVERIFY(qAbs(currentServerTime() - serverTime) <= 2);
        CTessaneUrl::parseReplyHeader(root("{\"server_time\":" + QByteArray::number(local + 9000) + "}"), &head);
        QVERIFY(qAbs(currentServerTime() - serverTime) <= 2);
    }

    void asyncHeaderLeavesServerTimeAndClockAlone()
    {
        const qint64 local = QDateTime::currentSecsSinceEpoch();
        T_Http_S head;
        CTessaneUrl::parseAsyncReplyHeader(
            root("{\"code\":400,\"msg\":\"no\",\"server_time\":" + QByteArray::number(local - 5000)
                 + ",\"userdata\":\"" + kUserdata + "\"}"),
            &head);
        QCOMPARE(head.code, 400);
        QCOMPARE(head.msg, QStringLiteral("no"));
        QCOMPARE(head.server_time, 0);
        QCOMPARE(head.userdata.jobId, 77);
        QVERIFY(qAbs(currentServerTime() - local) <= 2);
    }

    // ---- account and author --------------------------------------------------

    void authorInfoWithWrongTypesGivesDefaultsAndKeepsMissing()
    {
        TS_Author_Info info;
        info.token = QStringLiteral("kept");
        info.score = 5;
        CTessaneUrl::setHttpAuthorInfo(ok("{\"author_name\":7,\"isBindPhone\":\"yes\",\"level_id\":\"4\"}"), &info);
        QCOMPARE(info.author_name, QString());
        QVERIFY(!info.isBindPhone);
        QCOMPARE(info.level_id, 0);
        QCOMPARE(info.score, 5);
        QCOMPARE(info.sex, QStringLiteral("0"));
        QCOMPARE(info.token, QStringLiteral("kept"));
    }

    void bannersAreReadWhateverTheCode()
    {
        TS_Author_BannerList banners;
        CTessaneUrl::parseBannerList(
            "{\"code\":300,\"content\":{\"bannerList\":[{\"pic_url\":\"p1\",\"link_url\":\"l1\"},{\"pic_url\":\"p2\"}]}}", &banners);
        QCOMPARE(banners.header.code, 300);
        QCOMPARE(banners.count, 2);
        QCOMPARE(banners.items.size(), 2);
        QCOMPARE(banners.items.at(0).link_url, QStringLiteral("l1"));
        QCOMPARE(banners.items.at(1).pic_url, QStringLiteral("p2"));
        QVERIFY(banners.items.at(1).link_url.isEmpty());
        CTessaneUrl::parseBannerList(ok("{\"bannerList\":[]}"), &banners);
        QCOMPARE(banners.count, 2);
    }

    // ---- statistics, system data and change feed -----------------------------

    void changeFeedItemsAreReplacedOnlyByANonEmptyFeed()
    {
        TS_SynchronizaTion_SynBookData feed;
        CTessaneUrl::setHttpSynchronizaTionSynBookData(
            ok("[{\"book_id\":1,\"change_type\":9,\"chapter_id\":2,\"id\":3,\"extra\":\"{\\\"a\\\":1}\"},{\"id\":4}]"), &feed);
        QCOMPARE(feed.items.size(), 2);
        QCOMPARE(feed.items.at(0)->changeType, 9);
        QCOMPARE(feed.items.at(0)->synId, 3);
        QCOMPARE(feed.items.at(0)->extra, QStringLiteral("{\"a\":1}"));
        QCOMPARE(feed.items.at(1)->bookId, 0);
        CTessaneUrl::setHttpSynchronizaTionSynBookData(ok("[]"), &feed);
        QCOMPARE(feed.items.size(), 2);
        CTessaneUrl::setHttpSynchronizaTionSynBookData(ok("[{\"id\":8}]"), &feed);
        QCOMPARE(feed.items.size(), 1);
        QCOMPARE(feed.items.at(0)->synId, 8);
    }

    // ---- content -------------------------------------------------------------

    void chapterInfoKeepsTheLastElement()
    {
        TS_NewChapter_ChapterInfo info;
        CTessaneUrl::setHttpChapterInfo(
            ok("[{\"book_id\":1,\"chapter_id\":2,\"chapter_name\":\"first\",\"status\":1,\"volume_id\":3,\"order_num\":4}, {\"chapter_id\":5,\"chapter_name\":\"second\"}]"),
            &info);
        QCOMPARE(info.chapter_id, 5);
        QCOMPARE(info.chapter_name, QStringLiteral("second"));
        QCOMPARE(info.volume_id, 3);
    }

    void objectListIsEmptiedEvenByAFailedReply()
    {
        TS_JsonObjectList list;
        CTessaneUrl::setHttpObjectList(ok("[{\"chapter_id\":1},5]"), &list);
        QCOMPARE(list.list.size(), 2);
        QCOMPARE(list.list.at(0).value(QStringLiteral("chapter_id")).toInt(), 1);
        QVERIFY(list.list.at(1).isEmpty());
        CTessaneUrl::setHttpObjectList("{\"code\":500}", &list);
        QVERIFY(list.list.isEmpty());
    }

    void volumeListNeverCarriesAValueIntoTheNextEntry()
    {
        TS_Volume_Menu menu;
        CTessaneUrl::setHttpVolumeMenu(
            ok("[{\"id\":1,\"book_id\":5,\"order_num\":1,\"status\":1,\"volume_name\":\"一\"},{\"id\":2,\"book_id\":6,\"volume_name\":\"二\"}]"),
            &menu);
        QCOMPARE(menu.items.size(), 2);
        QCOMPARE(menu.items.at(0).status, 1);
        QCOMPARE(menu.items.at(1).status, 0);
        QCOMPARE(menu.items.at(1).orderNum, 0);
        QCOMPARE(menu.book_id, 6);
        CTessaneUrl::setHttpVolumeMenu(ok("[{\"id\":3}]"), &menu);
        QCOMPARE(menu.items.size(), 1);

        TS_Volume_Add add;
        CTessaneUrl::setHttpVolumeAdd(ok("{\"volume_id\":8}"), &add);
        QCOMPARE(add.volume_id, 8);
    }

    void refusedReplyLeavesTheRecordsOwnFields()
    {
        TS_Chapter_Chapter detail;
        detail.content = QStringLiteral("local text");
        CTessaneUrl::setHttpChapterDetail("{\"code\":400,\"msg\":\"章节不存在\",\"content\":{\"content\":\"x\"}}", &detail);
        QCOMPARE(detail.header.code, 400);
        QCOMPARE(detail.header.msg, QStringLiteral("章节不存在"));
        QCOMPARE(detail.content, QStringLiteral("local text"));
    }

    void hugeReplyIsReadWhole()
    {
        const QString text(8 * 1024 * 1024, QLatin1Char('x'));
        TS_Chapter_Chapter detail;
        CTessaneUrl::setHttpChapterDetail(ok("{\"content\":\"" + text.toLatin1() + "\",\"chapter_id\":3}"), &detail);
        QCOMPARE(detail.content.size(), text.size());
        QCOMPARE(detail.chapter_id, 3);
    }

    void nullRecordIsIgnored()
    {
        CTessaneUrl::setHttpAuthorInfo(ok("{}"), nullptr);
        CTessaneUrl::parseReplyHeader(root(ok("{}")), nullptr);
        QJsonObject object;
        QVERIFY(!CTessaneUrl::contentObject(root(ok("{\"a\":1}")), object, nullptr));
    }
};

int runReplyParserTests(int argc, char** argv)
{
    TestReplyParsers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ReplyParsers.moc"
