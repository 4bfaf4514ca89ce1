// The replies of the asynchronous account requests that must change nothing.

#include "AccountFixture.h"

#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QBuffer>
#include <QImage>
#include <QJsonObject>
#include <QLabel>
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

    void answerComingAfterAnotherSignInStaysWithItsAuthor_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("head picture a profile names") << "/img/head_a.png";
        QTest::newRow("head picture upload") << "/author/uploadimg";
        QTest::newRow("profile update that fails") << "/author/updateAuthor";
    }

    // A waits for the platform; before the answer comes, B signs in on this
    // machine. Whatever A changed stays A's (in A's row, or A's queued job);
    // B's record and row stay B's own.
    void answerComingAfterAnotherSignInStaysWithItsAuthor()
    {
        QFETCH(QString, held);
        AccountWorld world;
        QVERIFY(world.ok());
        const QString phone = QStringLiteral("13900000002");
        const int other = AccountWorld::signInOther(phone, true);
        QVERIFY(other > 0 && world.signInDemo());
        QImage image(5, 5, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
        const QString copy = appDirPath() + QStringLiteral("/data/img/") + bytesMd5(bytes) + QStringLiteral(".png");
        QFile::remove(copy);
        QVERIFY(standin().putImage(QStringLiteral("head_a.png"), bytes));
        QVERIFY(standin().addFault(held, held.endsWith(QLatin1String("Author")) ? "http500" : "ok", -1, 1));
        QVERIFY(standin().clearJournal());
        QObject looks;
        standin().onceAsked(held, &looks, [&]() {
            QCOMPARE(AccountWorld::signInOther(phone, false), other);
            QVERIFY(standin().releaseHeld());
        });
        auto* jobs = CUserJobManager::instance();
        if (held.startsWith(QLatin1String("/img/"))) {
            const QByteArray url = standin().baseUrl().toUtf8() + held.toUtf8();
            jobs->asynBack(2, reply(200, "10001,2,0,0,0,0,0,0,1,0,0,0,0", R"({"headimg":")" + url + R"("})"));
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 15000);
        } else if (held.endsWith(QLatin1String("uploadimg"))) {
            TC_Author_UploadImg upload;
            upload.localPath = world.path() + QStringLiteral("/mine.png");
            QVERIFY(image.save(upload.localPath));
            imageToBase64Url(upload.localPath, upload.img);
            TS_Author_UploadImg uploaded;
            jobs->author_uploadImg(upload, uploaded);
            QCOMPARE(world.value("select localHeadImg from tb_user where uid = 10001").toString(), copy);
        } else {
            TC_Author_Update update;
            update.author_name = QStringLiteral("甲的新名");
            update.sex = QStringLiteral("M");
            TS_Author_Update updated;
            jobs->author_update(update, updated);
            QCOMPARE(world.value("select uid || content from tb_job").toString(), QStringLiteral(R"(10001{"name":"甲的新名","sex":"M"})"));
        }
        const TS_Author_Info& user = CPublicManager::instance()->userInfo;
        QCOMPARE(user.uid, other);
        QCOMPARE(user.author_name + user.localHeadImg + user.headimg, QStringLiteral("作者0002"));
        QCOMPARE(world.value(QStringLiteral("select authorName || localHeadImg || headImgUrl from tb_user where uid = %1")
                                 .arg(other)).toString(), QStringLiteral("作者0002"));
        QVERIFY(held.endsWith(QLatin1String("Author")) || world.count("select count(*) from tb_job") == 0);
        QFile::remove(copy);
    }

    // The change feed says the profile changed elsewhere while a change of
    // it made here is queued: the author's waiting name and sex stay.
    void waitingProfileChangeStandsOverTheFeedsAuthorItem()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.start());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500"), 0, -1));
        TC_Author_Update update;
        update.author_name = QStringLiteral("等着的名");
        update.sex = QStringLiteral("M");
        TS_Author_Update updated;
        CJobManager::instance()->author_update(update, updated);
        QVERIFY(!standin().pushFeed(StandinServer::demoUid(), {QJsonObject{{QStringLiteral("change_type"), 13}}})
                     .isEmpty());
        QVERIFY(standin().clearJournal());

        CJobManager::instance()->synNow(true);

        QVERIFY(AccountWorld::profileAndFeedTakenIn());
        QCOMPARE(world.value("select authorName || sex from tb_user").toString(), QStringLiteral("等着的名M"));
        QCOMPARE(CPublicManager::instance()->userInfo.author_name, QStringLiteral("等着的名"));
        QCOMPARE(CUiManager::instance()->bookshelf()->labelName()->text(), QStringLiteral("等着的名"));
    }

    // The answer to a profile update comes only after a later change was
    // refused and queued: the later change stays in the record, on the shelf
    // and, once the sign-out writes the record, in the row.
    void lateAnswerToAnEarlierProfileUpdateLeavesTheQueuedChangeStanding()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.start());
        const QString path = QStringLiteral("/author/updateAuthor");
        QVERIFY(standin().addFault(path, QStringLiteral("ok"), -1, 1));
        QVERIFY(standin().addFault(path, QStringLiteral("http500"), 0, 1));
        QVERIFY(standin().clearJournal());
        CJobManager* jobs = CJobManager::instance();
        TC_Author_Update later;
        later.author_name = QStringLiteral("后改的名");
        later.sex = QStringLiteral("F");
        QObject looks;
        standin().onceAsked(path, &looks, [&]() {
            TS_Author_Update refused;
            jobs->author_update(later, refused);
            QVERIFY(standin().releaseHeld());
        });
        TC_Author_Update earlier;
        earlier.author_name = QStringLiteral("先改的名");
        earlier.sex = QStringLiteral("M");
        TS_Author_Update answered;
        jobs->author_update(earlier, answered);

        QCOMPARE(standin().requestsTo(path).size(), 2);
        QCOMPARE(world.value("select content from tb_job where jobType = 2").toString(),
                 QStringLiteral(R"({"name":"后改的名","sex":"F"})"));
        const TS_Author_Info& user = CPublicManager::instance()->userInfo;
        QCOMPARE(user.author_name + user.sex, QStringLiteral("后改的名F"));
        QCOMPARE(CUiManager::instance()->bookshelf()->labelName()->text(), QStringLiteral("后改的名"));
        QVERIFY(jobs->author_logout());
        QCOMPARE(world.value("select authorName || sex from tb_user where uid = 10001").toString(),
                 QStringLiteral("后改的名F"));
    }

    void signInAgainAnsweredToABlockingRequestSignsOut_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("personal data") << "/authorcount/getData";
        QTest::newRow("queued profile change sent again") << "/author/updateAuthor";
        QTest::newRow("banner list") << "/author/bannerList";
    }

    // The platform no longer knows the sign-in and says so to a request the
    // client waits for: the author is signed out, whatever asked.
    void signInAgainAnsweredToABlockingRequestSignsOut()
    {
        QFETCH(QString, path);
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.start());
        CJobManager* jobs = CJobManager::instance();
        if (path.endsWith(QLatin1String("updateAuthor"))) {
            QVERIFY(standin().addFault(path, QStringLiteral("http500")));
            TC_Author_Update update;
            update.author_name = QStringLiteral("等着的名");
            update.sex = QStringLiteral("M");
            TS_Author_Update updated;
            jobs->author_update(update, updated);
            QCOMPARE(world.count("select count(*) from tb_job where jobType = 2"), 1);
        }
        QVERIFY(standin().addFault(path, QStringLiteral("code300")));
        QVERIFY(standin().clearJournal());
        QSignalSpy signedOut(CUiManager::instance(), &CUiManager::sig_LoginRequired);

        if (path.endsWith(QLatin1String("getData"))) {
            QString page;
            jobs->getAuthorStatistics(&page);
        } else if (path.endsWith(QLatin1String("updateAuthor"))) {
            jobs->synNow(true);
        } else {
            TC_Author_BannerList request;
            TS_Author_BannerList banners;
            jobs->author_bannerList(request, banners);
        }

        QCOMPARE(standin().requestsTo(path).size(), 1);
        QCOMPARE(signedOut.count(), 1);
        QCOMPARE(CUiManager::instance()->signInState(), 2);
        QCOMPARE(world.count("select count(*) from tb_job where jobType = 2"),
                 path.endsWith(QLatin1String("updateAuthor")) ? 1 : 0);
    }
};

int runAccountReplyTests(int argc, char** argv)
{
    TestAccountReplies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AccountReplies.moc"
