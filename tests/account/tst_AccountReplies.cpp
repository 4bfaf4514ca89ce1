// The replies of the asynchronous account requests that must change nothing.

#include "AccountFixture.h"

#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

namespace {

QByteArray reply(int code, const QByteArray& userdata, const QByteArray& content)
{
    return "{\"code\":" + QByteArray::number(code) + ",\"msg\":\"m\",\"userdata\":\"" + userdata
           + "\",\"content\":" + content + "}";
}

}

class TestAccountReplies : public QObject
{
    Q_OBJECT

private slots:
    void failedOrForeignProfileRepliesChangeNothing()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        auto* jobs = CUserJobManager::instance();
        jobs->asynBack(2, reply(500, "10001,2,0,0,0,0,0,0,1,0,0,0,0", R"({"author_name":"坏"})"));
        jobs->asynBack(2, reply(200, "20002,2,0,0,0,0,0,0,1,0,0,0,0", R"({"author_name":"别人"})"));
        jobs->asynBack(2, "not json at all");
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("演示作者"));
        QCOMPARE(CPublicManager::instance()->userInfo.author_name, QStringLiteral("演示作者"));
    }

    // A's profile names a new head picture on a slow host; before it comes,
    // B signs in on this machine. The picture is nobody's now: B's record
    // and row keep B's own.
    void headPictureComingAfterAnotherSignInStaysOut()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        TC_Author_Register other;
        other.phone = QStringLiteral("13900000002");
        other.password = QStringLiteral("other1234");
        TS_Author_Register registered;
        QCOMPARE(CUserJobManager::instance()->author_register(other, registered), 0);
        QVERIFY(registered.uid > 0);
        QVERIFY(world.signInDemo());

        QImage image(5, 5, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
        QVERIFY(standin().putImage(QStringLiteral("head_a.png"), bytes));
        const QString stored = appDirPath() + QStringLiteral("/data/img/") + bytesMd5(bytes) + QStringLiteral(".png");
        QFile::remove(stored);
        QVERIFY(standin().addFault(QStringLiteral("/img/head_a.png"), QStringLiteral("ok"), -1, 1));
        QVERIFY(standin().clearJournal());
        bool signedIn = false;
        QObject looks;
        standin().onceAsked(QStringLiteral("/img/head_a.png"), &looks, [&]() {
            TC_Author_Login login;
            login.phone = other.phone;
            login.password = other.password;
            TS_Author_Login reply;
            CUserJobManager::instance()->author_login(login, reply);
            signedIn = reply.header.code == 200;
            QVERIFY(standin().releaseHeld());
        });
        const QByteArray url = standin().baseUrl().toUtf8() + "/img/head_a.png";
        CUserJobManager::instance()->asynBack(
            2, reply(200, "10001,2,0,0,0,0,0,0,1,0,0,0,0", R"({"author_name":"演示作者","headimg":")" + url + R"("})"));
        QTRY_VERIFY_WITH_TIMEOUT(signedIn, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(stored), 15000);
        QCOMPARE(CPublicManager::instance()->userInfo.uid, registered.uid);
        QCOMPARE(CPublicManager::instance()->userInfo.localHeadImg, QString());
        QCOMPARE(world.value(QStringLiteral("select localHeadImg || '|' || headImgUrl from tb_user where uid = %1")
                                 .arg(registered.uid)).toString(),
                 QStringLiteral("|"));
        QFile::remove(stored);
    }

};

int runAccountReplyTests(int argc, char** argv)
{
    TestAccountReplies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AccountReplies.moc"
