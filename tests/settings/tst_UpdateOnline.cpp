#include "common/Utility.h"
#include "remote/records/SystemRecords.h"
#include "ui/setting/Dialog_UpdateOnline.h"

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {
// Answers every request on 127.0.0.1 with one fixed response, then closes.
class OneShotHttp : public QTcpServer
{
public:
    QByteArray response;
    OneShotHttp()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                if (!s->readAll().contains("\r\n\r\n"))
                    return;
                s->write(response);
                s->disconnectFromHost();
            });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        });
    }
    QString url(const QString& name) const
    {
        return QStringLiteral("http://127.0.0.1:%1/files/%2").arg(serverPort()).arg(name);
    }
};

QByteArray httpReply(const QByteArray& body, int declaredLength, int status = 200)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: "
           + QByteArray::number(declaredLength) + "\r\nConnection: close\r\n\r\n" + body;
}
} // namespace

class UpdateOnlineTest : public QObject
{
    Q_OBJECT
private slots:
    void buttonsFollowTheUpdateKind();
    void escapeNeverDismisses();
    void progressTextUsesDecimalMegabytes();
    void downloadIsWrittenWholeIntoTheUpdateFolder();
    void truncatedDownloadIsDiscardedAndKeepsNoFile();
    void serverErrorIsNotStarted();
};

void UpdateOnlineTest::buttonsFollowTheUpdateKind()
{
    TS_UpdateOnline info;
    info.status = 2;
    info.name = QStringLiteral("2.0.0");
    Dialog_UpdateOnline forced(&info);
    const auto confirm = forced.findChildren<QPushButton*>(QStringLiteral("btnConfirm"));
    QCOMPARE(confirm.size(), 2);
    QVERIFY(confirm.at(0)->isHidden());
    QVERIFY(!confirm.at(1)->isHidden());
    QVERIFY(forced.findChild<QPushButton*>(QStringLiteral("btnCancel"))->isHidden());
    info.status = 1;
    Dialog_UpdateOnline optional(&info);
    const auto ok = optional.findChildren<QPushButton*>(QStringLiteral("btnConfirm"));
    QVERIFY(!ok.at(0)->isHidden());
    QVERIFY(ok.at(1)->isHidden());
    QVERIFY(!optional.findChild<QPushButton*>(QStringLiteral("btnCancel"))->isHidden());
}

void UpdateOnlineTest::escapeNeverDismisses()
{
    TS_UpdateOnline info;
    info.status = 1;
    Dialog_UpdateOnline dialog(&info);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
}

void UpdateOnlineTest::progressTextUsesDecimalMegabytes()
{
    QCOMPARE(Dialog_UpdateOnline::progressText(0, 52428800), QStringLiteral("0.0Mb/52.4Mb"));
    QCOMPARE(Dialog_UpdateOnline::progressText(2500000, 10000000), QStringLiteral("2.5Mb/10.0Mb"));
}

void UpdateOnlineTest::downloadIsWrittenWholeIntoTheUpdateFolder()
{
    OneShotHttp server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray body(300000, 'x');
    server.response = httpReply(body, body.size());
    const QString target = appDirPath() + QStringLiteral("/data/update/data/setup-2.0.bin");
    QVERIFY(mkpathIfMissing(appDirPath() + QStringLiteral("/data/update/data")));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("stale");
    }
    TS_UpdateOnline info;
    info.status = 2;
    info.url = server.url(QStringLiteral("setup-2.0.bin"));
    Dialog_UpdateOnline dialog(&info);
    dialog.setLaunchInstaller(false);
    QSignalSpy done(&dialog, &Dialog_UpdateOnline::sig_downloaded);
    dialog.findChildren<QPushButton*>(QStringLiteral("btnConfirm")).at(1)->click();
    QVERIFY(done.wait(15000));
    QCOMPARE(done.at(0).at(0).toString(), target);
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), body);
    f.remove();
}

void UpdateOnlineTest::truncatedDownloadIsDiscardedAndKeepsNoFile()
{
    OneShotHttp server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    server.response = httpReply(QByteArray(1000, 'y'), 5000);
    TS_UpdateOnline info;
    info.status = 2;
    info.url = server.url(QStringLiteral("setup-cut.bin"));
    Dialog_UpdateOnline dialog(&info);
    dialog.setLaunchInstaller(false);
    QSignalSpy done(&dialog, &Dialog_UpdateOnline::sig_downloaded);
    dialog.update();
    QVERIFY(done.wait(15000));
    QVERIFY(done.at(0).at(0).toString().isEmpty());
    QVERIFY(!QFile::exists(appDirPath() + QStringLiteral("/data/update/data/setup-cut.bin")));
}

void UpdateOnlineTest::serverErrorIsNotStarted()
{
    OneShotHttp server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    server.response = httpReply("missing", 7, 404);
    TS_UpdateOnline info;
    info.status = 1;
    info.url = server.url(QStringLiteral("setup-404.bin"));
    Dialog_UpdateOnline dialog(&info);
    dialog.setLaunchInstaller(false);
    QSignalSpy done(&dialog, &Dialog_UpdateOnline::sig_downloaded);
    dialog.update();
    QVERIFY(done.wait(15000));
    QVERIFY(done.at(0).at(0).toString().isEmpty());
    QVERIFY(!QFile::exists(appDirPath() + QStringLiteral("/data/update/data/setup-404.bin")));
}

int runUpdateOnlineTests(int argc, char** argv)
{
    UpdateOnlineTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_UpdateOnline.moc"
