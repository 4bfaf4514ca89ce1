// Reply parsers fed with broken bodies, short lists and refusals. What well-formed
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

}

class TestReplyParsers : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetServerTimeOffset(); }
    void cleanupTestCase() { resetServerTimeOffset(); }

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
};

int runReplyParserTests(int argc, char** argv)
{
    TestReplyParsers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ReplyParsers.moc"
