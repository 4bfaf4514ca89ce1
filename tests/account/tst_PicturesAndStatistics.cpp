// The head image the account uploads from a local copy on disk.

#include "AccountFixture.h"

#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CUserJobManager.h"
#include "remote/records/AccountRecords.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
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

QString headFolder()
{
    return appDirPath() + QStringLiteral("/data/img/");
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

    // A uploads a head picture while the platform is slow; before the answer
    // comes, B signs in on this machine. A's choice is in A's row; the
    // address the platform gave it is nothing of B's.
    void uploadAnsweredAfterAnotherSignInStaysTheFirstAuthors()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        TC_Author_Register other;
        other.phone = QStringLiteral("13900000005");
        other.password = QStringLiteral("other1234");
        TS_Author_Register registered;
        QCOMPARE(CUserJobManager::instance()->author_register(other, registered), 0);
        QVERIFY(world.signInDemo());
        const QByteArray chosen = pngBytes(Qt::magenta, 7);
        const QString picture = world.path() + QStringLiteral("/mine.png");
        QVERIFY(writeFile(picture, chosen));
        const QString copy = headFolder() + bytesMd5(chosen) + QStringLiteral(".png");
        m_made << copy;
        QVERIFY(standin().addFault(QStringLiteral("/author/uploadimg"), QStringLiteral("ok"), -1, 1));
        QVERIFY(standin().clearJournal());
        QObject looks;
        standin().onceAsked(QStringLiteral("/author/uploadimg"), &looks, [&]() {
            TC_Author_Login login;
            login.phone = other.phone;
            login.password = other.password;
            TS_Author_Login reply;
            CUserJobManager::instance()->author_login(login, reply);
            QCOMPARE(reply.header.code, 200);
            QVERIFY(standin().releaseHeld());
        });
        TC_Author_UploadImg request = uploadRequest(picture, chosen);
        TS_Author_UploadImg reply;
        CUserJobManager::instance()->author_uploadImg(request, reply);
        QVERIFY(!reply.headimg.isEmpty());
        QCOMPARE(CPublicManager::instance()->userInfo.uid, registered.uid);
        QCOMPARE(CPublicManager::instance()->userInfo.headimg, QString());
        QCOMPARE(world.value(QStringLiteral("select localHeadImg || '|' || headImgUrl from tb_user where uid = %1")
                                 .arg(registered.uid)).toString(),
                 QStringLiteral("|"));
        QCOMPARE(world.value("select localHeadImg from tb_user where uid = 10001").toString(), copy);
    }

};

int runPictureAndStatisticsTests(int argc, char** argv)
{
    TestPicturesAndStatistics test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PicturesAndStatistics.moc"
