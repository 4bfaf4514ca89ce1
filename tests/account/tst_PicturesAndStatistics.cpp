// The head image the account uploads from a local copy on disk.

#include "AccountFixture.h"

#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CUserJobManager.h"

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

};

int runPictureAndStatisticsTests(int argc, char** argv)
{
    TestPicturesAndStatistics test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PicturesAndStatistics.moc"
