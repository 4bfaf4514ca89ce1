// The transport against the stand-in: what goes on the wire, how blocking
// calls fail (time-out, HTTP error), that every
// non-blocking request is handed on exactly once, and where the token goes.

#include "RemoteTestSupport.h"
#include "common/Utility.h"
#include "remote/CTessaneHttp.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray pngBytes(const QColor& colour)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
}

class TestHttpTransport : public QObject
{
    Q_OBJECT

private:
    CTessaneHttp* m_client = nullptr;
    QString m_base;

    QJsonObject lastRequest()
    {
        const QJsonArray journal = standin().journal();
        return journal.isEmpty() ? QJsonObject() : journal.last().toObject();
    }

private slots:
    void initTestCase()
    {
        m_client = CTessaneHttp::instance();
        m_client->setToken(QString::fromLatin1(StandinServer::demoToken()));
        m_client->setUniqueCode(QStringLiteral("u-code"));
        m_base = standin().baseUrl();
    }

    void init()
    {
        QVERIFY(standin().reset());
    }

    void settingTheTokenTwiceKeepsOneHeader()
    {
        m_client->setToken(QStringLiteral("first"));
        m_client->setToken(QString::fromLatin1(StandinServer::demoToken()));
        QByteArray reply;
        m_client->getSync(m_base + QStringLiteral("/author/info"), QString(), reply, QByteArray());
        int count = 0;
        for (const QJsonValue& header : lastRequest().value(QStringLiteral("headers")).toArray()) {
            if (header.toArray().at(0).toString().compare(QStringLiteral("Authorization"), Qt::CaseInsensitive) == 0)
                ++count;
        }
        QCOMPARE(count, 1);
        QCOMPARE(StandinServer::header(lastRequest(), "Authorization"), "Bearer " + StandinServer::demoToken());
    }

    void blockingFailureIsReportedAndLeavesTheReply_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("expected");
        // Answered long after the client gave up, however late a loaded
        // machine runs the client's timer.
        QTest::newRow("time-out") << QStringLiteral("ok") << 4 * CHttpBase::kSyncTimeoutMs
                                  << int(CHttpBase::kTimeoutResult);
        QTest::newRow("HTTP 500") << QStringLiteral("http500") << 0 << int(QNetworkReply::InternalServerError);
    }

    void blockingFailureIsReportedAndLeavesTheReply()
    {
        QFETCH(QString, kind);
        QFETCH(int, delay);
        QFETCH(int, expected);
        QVERIFY(standin().addFault(QStringLiteral("/author/info"), kind, delay));
        QByteArray reply("untouched");
        QCOMPARE(int(m_client->getSync(m_base + QStringLiteral("/author/info"), QString(), reply, "1")), expected);
        QCOMPARE(reply, QByteArray("untouched"));
    }

    void everyNonBlockingRequestIsHandedOnOnceWithItsIdentity()
    {
        ReplyCatcher catcher(m_client);
        QStringList sent;
        for (int i = 1; i <= 5; ++i) {
            T_Http_Custom identity;
            identity.jobId = i;
            identity.jobType = 1016;
            sent << QString::fromLatin1(identity.toUserData());
            m_client->getAsync(m_base + QStringLiteral("/author/info"), QString(), identity.toUserData());
        }
        QVERIFY(catcher.waitFor(5));
        ReplyCatcher::settle(300);
        QCOMPARE(catcher.replies.size(), 5);
        QStringList echoed;
        for (const CaughtReply& reply : catcher.replies) {
            QCOMPARE(reply.error, QNetworkReply::NoError);
            T_Http_S head;
            CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(reply.body), &head);
            QCOMPARE(QString::fromLatin1(head.userdata.toUserData()), QString::fromLatin1(reply.requestUserdata));
            echoed << QString::fromLatin1(reply.requestUserdata);
        }
        echoed.sort();
        sent.sort();
        QCOMPARE(echoed, sent);
    }

    void failedNonBlockingRequestsAreHandedOnWithTheRequestsIdentity_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("http 500") << QStringLiteral("http500");
        QTest::newRow("dropped connection") << QStringLiteral("drop");
    }

    void failedNonBlockingRequestsAreHandedOnWithTheRequestsIdentity()
    {
        QFETCH(QString, kind);
        QVERIFY(standin().addFault(QStringLiteral("/chapter/editChapter"), kind, 0, -1));
        ReplyCatcher catcher(m_client);
        m_client->postAsync(m_base + QStringLiteral("/chapter/editChapter"), QStringLiteral("{}"),
                            "12,1016,3,51,40,93,77,1,0,0,0,0,0");
        QVERIFY(catcher.waitFor(1));
        ReplyCatcher::settle(300);
        QCOMPARE(catcher.replies.size(), 1);
        QVERIFY(catcher.replies.at(0).error != QNetworkReply::NoError);
        T_Http_Custom identity;
        identity.fromUserData(QString::fromLatin1(catcher.replies.at(0).requestUserdata));
        QCOMPARE(identity.jobId, 77);
        QCOMPARE(identity.jobType, 1016);
    }

    void tokenNeverGoesToAnotherOrigin()
    {
        const quint16 other = standin().listenAnotherPort();
        QVERIFY(other != 0);
        QByteArray reply;
        QCOMPARE(m_client->getSync(QStringLiteral("http://127.0.0.1:%1/img/cover.png").arg(other), QString(), reply,
                                   QByteArray()),
                 QNetworkReply::NoError);
        const QJsonObject entry = lastRequest();
        QCOMPARE(entry.value(QStringLiteral("port")).toInt(), int(other));
        bool found = true;
        StandinServer::header(entry, "Authorization", &found);
        QVERIFY(!found);
        StandinServer::header(entry, "uniquecode", &found);
        QVERIFY(!found);
        QVERIFY(!entry.value(QStringLiteral("target")).toString().contains(QString::fromLatin1(StandinServer::demoToken())));
        QVERIFY(CHttpBase::isApiOrigin(QUrl(m_base + QStringLiteral("/img/cover.png"))));
        QVERIFY(!CHttpBase::isApiOrigin(QUrl(QStringLiteral("https://127.0.0.1:%1/x").arg(standin().port()))));
    }

    void pictureIsStoredOnceUnderItsDigest()
    {
        QTemporaryDir folder;
        const QByteArray png = pngBytes(Qt::red);
        QVERIFY(standin().putImage(QStringLiteral("cover"), png));
        const QString url = m_base + QStringLiteral("/img/cover");
        const QString path = m_client->downloadImg(url, folder.path() + QLatin1Char('/'));
        QCOMPARE(path, folder.path() + QLatin1Char('/') + bytesMd5(png) + QStringLiteral(".png"));
        QVERIFY(!QImage(path).isNull());

        // The same picture again: same path, the file is not written anew.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("marker");
        file.close();
        QCOMPARE(m_client->downloadImg(url, folder.path()), path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("marker"));
        bool found = true;
        StandinServer::header(lastRequest(), "userdata", &found);
        QVERIFY(!found);
    }

    void failedPictureDownloadsStoreNothing()
    {
        QTemporaryDir folder;
        QVERIFY(standin().putImage(QStringLiteral("broken.png"), "not a picture"));
        QVERIFY(m_client->downloadImg(QString(), folder.path()).isEmpty());
        QVERIFY(m_client->downloadImg(m_base + QStringLiteral("/img/missing.png"), folder.path()).isEmpty());
        QVERIFY(m_client->downloadImg(m_base + QStringLiteral("/img/broken.png"), folder.path()).isEmpty());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }

};

int runHttpTransportTests(int argc, char** argv)
{
    TestHttpTransport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HttpTransport.moc"
