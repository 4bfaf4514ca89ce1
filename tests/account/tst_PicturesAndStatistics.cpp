// The pictures the account keeps on disk (head image, banners) and the data
// of the statistics page.

#include "AccountFixture.h"

#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CUserJobManager.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

QByteArray pngBytes(const QColor& colour, int size = 4)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString headFolder()
{
    return appDirPath() + QStringLiteral("/data/img/");
}

QString day(int offset)
{
    return QDate::currentDate().addDays(offset).toString(QStringLiteral("yyyy-MM-dd"));
}

QStringList texts(const QJsonValue& array)
{
    QStringList out;
    for (const QJsonValue& v : array.toArray())
        out.append(v.isString() ? v.toString() : QStringLiteral("<not text>"));
    return out;
}

}

class TestPicturesAndStatistics : public QObject
{
    Q_OBJECT

private:
    QStringList m_made;

    TC_Author_UploadImg uploadRequest(const QString& path, const QByteArray& bytes)
    {
        TC_Author_UploadImg request;
        request.localPath = path;
        request.img = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
        request.update_time = 1;
        return request;
    }

private slots:
    void cleanup()
    {
        for (const QString& path : m_made)
            QFile::remove(path);
        m_made.clear();
    }

    void uploadReusesAnExistingLocalCopy()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        const QByteArray chosen = pngBytes(Qt::red, 5);
        const QString picture = world.path() + QStringLiteral("/chosen.PNG");
        QVERIFY(writeFile(picture, chosen));
        QVERIFY(mkpathIfMissing(headFolder()));
        const QString copy = headFolder() + bytesMd5(chosen) + QStringLiteral(".png");
        m_made << copy;
        const QByteArray existing = "the copy made the last time";
        QVERIFY(writeFile(copy, existing));

        TC_Author_UploadImg request = uploadRequest(picture, chosen);
        TS_Author_UploadImg reply;
        CUserJobManager::instance()->author_uploadImg(request, reply);

        QCOMPARE(reply.header.code, 200);
        QCOMPARE(readFile(copy), existing);
        QCOMPARE(CPublicManager::instance()->userInfo.localHeadImg, copy);
        QCOMPARE(world.value("select localHeadImg from tb_user").toString(), copy);
        QVERIFY(world.value("select headImgUrl from tb_user").toString().startsWith(standin().baseUrl()));
    }

    void uploadMakesAMissingCopyAndKeepsItWhenTheUploadFails()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        const QByteArray chosen = pngBytes(Qt::blue, 6);
        const QString picture = world.path() + QStringLiteral("/new.png");
        QVERIFY(writeFile(picture, chosen));
        const QString copy = headFolder() + bytesMd5(chosen) + QStringLiteral(".png");
        QFile::remove(copy);
        m_made << copy;
        QVERIFY(standin().addFault(QStringLiteral("/author/uploadimg"), QStringLiteral("http500")));

        TC_Author_UploadImg request = uploadRequest(picture, chosen);
        TS_Author_UploadImg reply;
        CUserJobManager::instance()->author_uploadImg(request, reply);

        QVERIFY(QFile::exists(copy));
        QVERIFY(!QImage(copy).isNull());
        QCOMPARE(world.value("select localHeadImg from tb_user").toString(), copy);
        QCOMPARE(world.value("select headImgUrl from tb_user").toString(), QString());
    }

    void uploadOfAnUnreadablePictureKeepsTheHeadImage()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        CPublicManager::instance()->userInfo.localHeadImg = QStringLiteral("/earlier.png");
        const QString picture = world.path() + QStringLiteral("/broken.png");
        QVERIFY(writeFile(picture, "no picture"));
        TC_Author_UploadImg request = uploadRequest(picture, "no picture");
        TS_Author_UploadImg reply;
        CUserJobManager::instance()->author_uploadImg(request, reply);
        QCOMPARE(CPublicManager::instance()->userInfo.localHeadImg, QStringLiteral("/earlier.png"));
    }

    void headImageIsDownloadedAndStored()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        const QByteArray head = pngBytes(Qt::green, 7);
        QVERIFY(standin().putImage(QStringLiteral("head.png"), head));
        TS_Author_Info& user = CPublicManager::instance()->userInfo;
        user.headimg = standin().baseUrl() + QStringLiteral("/img/head.png");
        QString path;
        CUserJobManager::instance()->getHeadImg(&path, true);
        m_made << path;
        QCOMPARE(path, headFolder() + bytesMd5(head) + QStringLiteral(".png"));
        QVERIFY(QFile::exists(path));
        QCOMPARE(world.value("select localHeadImg from tb_user").toString(), path);

        user.headimg.clear();
        CUserJobManager::instance()->getHeadImg(&path, false);
        QCOMPARE(path, QString());
    }

    void bannerPicturesAreDownloaded()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        TC_Author_BannerList request;
        TS_Author_BannerList reply;
        QCOMPARE(CUserJobManager::instance()->author_bannerList(request, reply), 200);
        QCOMPARE(reply.items.size(), 1);
        m_made << reply.items.first().localPath;
        QVERIFY(reply.items.first().localPath.startsWith(appDirPath() + QStringLiteral("/data/banner/")));
        QVERIFY(QFile::exists(reply.items.first().localPath));

        QVERIFY(standin().addFault(QStringLiteral("/author/bannerList"), QStringLiteral("drop"), 0, 2));
        TS_Author_BannerList failed;
        QCOMPARE(CUserJobManager::instance()->author_bannerList(request, failed), 10002);
    }

    void wrappersTellATransportFailureFromAnAnswer()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        auto* jobs = CUserJobManager::instance();
        TC_Author_SendCode send;
        send.phone = QStringLiteral("13800000000");
        TS_Author_SendCode sent;
        QCOMPARE(jobs->author_sendCode(send, sent), 200);
        QCOMPARE(sent.header.code, 200);

        QVERIFY(standin().addFault(QStringLiteral("/author/changePassword"), QStringLiteral("http500")));
        TC_Author_SetNewPwd change;
        TS_Author_SetNewPwd changed;
        QCOMPARE(jobs->author_setNewPwd(change, changed), 10002);
        QCOMPARE(changed.header.code, 0);

        // A refusal is an answer: 200, the verdict in the record.
        TC_Author_SetNewPwd wrong;
        wrong.password = QStringLiteral("not the password");
        wrong.newPassword = QStringLiteral("x");
        TS_Author_SetNewPwd refused;
        QCOMPARE(jobs->author_setNewPwd(wrong, refused), 200);
        QVERIFY(refused.header.code != 200);
    }

    void statisticsPageDataCombinesStoredDaysAndTheServerHistory()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed,netIncrease) "
                                          "values(10001,'%1',61,500,40,-20),(10001,'%2',120,100,10,30),"
                                          "(10001,'%3',7200,50,90,5),(20002,'%1',9999,9999,99,99)")
                               .arg(day(0), day(-6), day(-7))));
        QVERIFY(world.exec("insert into tb_level(id,name,img) values(3,'白银','3.png')"));

        QString json;
        CUserJobManager::instance()->getAuthorStatistics(&json);
        QJsonObject page = QJsonDocument::fromJson(json.toUtf8()).object();
        QVERIFY2(!page.isEmpty(), qPrintable(json));

        QStringList dates;
        for (int i = -6; i <= 0; ++i)
            dates << day(i);
        QCOMPARE(texts(page.value(QStringLiteral("timeData"))), dates);
        QCOMPARE(texts(page.value(QStringLiteral("wordData"))),
                 (QStringList{"100", "0", "0", "0", "0", "0", "500"}));
        QCOMPARE(texts(page.value(QStringLiteral("speedData"))),
                 (QStringList{"10", "0", "0", "0", "0", "0", "40"}));
        QCOMPARE(texts(page.value(QStringLiteral("writeTimeData"))),
                 (QStringList{"2", "0", "0", "0", "0", "0", "2"}));
        QCOMPARE(texts(page.value(QStringLiteral("NetGrowthWord"))),
                 (QStringList{"30", "0", "0", "0", "0", "0", "0"}));
        QCOMPARE(page.value(QStringLiteral("levelName")).toString(), QStringLiteral("白银"));
        QVERIFY(page.value(QStringLiteral("levelImg")).toString().endsWith(QStringLiteral("/data/game/3.png")));
        QCOMPARE(page.value(QStringLiteral("userScore")).toInt(), 120);
        QVERIFY2(!json.contains(QString::fromLatin1(StandinServer::demoToken())), qPrintable(json));
        // The platform's history when it answers.
        QJsonObject history = page.value(QStringLiteral("historyData")).toObject();
        QCOMPARE(history.value(QStringLiteral("max_word")).toInt(), 1200);
        QCOMPARE(history.value(QStringLiteral("sum_write_time")).toInt(), 6000);

        // The stored summary when it does not.
        QVERIFY(standin().addFault(QStringLiteral("/authorcount/getData"), QStringLiteral("http500")));
        CUserJobManager::instance()->getAuthorStatistics(&json);
        page = QJsonDocument::fromJson(json.toUtf8()).object();
        history = page.value(QStringLiteral("historyData")).toObject();
        QCOMPARE(history.value(QStringLiteral("max_word")).toInt(), 500);
        QCOMPARE(history.value(QStringLiteral("sum_word")).toInt(), 650);
        QCOMPARE(history.value(QStringLiteral("max_write_time")).toInt(), 7200);
        QCOMPARE(history.value(QStringLiteral("max_speed")).toInt(), 90);
        QCOMPARE(texts(page.value(QStringLiteral("wordData"))).last(), QStringLiteral("500"));
    }
};

int runPictureAndStatisticsTests(int argc, char** argv)
{
    TestPicturesAndStatistics test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PicturesAndStatistics.moc"
