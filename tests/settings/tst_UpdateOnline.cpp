#include "JobsFixture.h"

#include "common/Utility.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "remote/records/SystemRecords.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/setting/Dialog_UpdateOnline.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
// A start's synchronisation ends with a toast of its own: let it pass first.
bool waitForSyncEnd()
{
    if (!JobsFixture::waitForPull())
        return false;
    Widget_Bookshelf* shelf = CUiManager::instance()->bookshelf();
    for (int waited = 0; shelf && shelf->getTop()->isSyncing() && waited < 10000; waited += 20)
        QTest::qWait(20);
    return shelf && !shelf->getTop()->isSyncing();
}

QString updateFolder()
{
    return appDirPath() + QStringLiteral("/data/update/data");
}

QPushButton* visibleConfirm(QWidget* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>(QStringLiteral("btnConfirm"))) {
        if (!button->isHidden())
            return button;
    }
    return nullptr;
}

// Runs the application's own event loop (the one the client quits) while
// the update dialog that appears is confirmed like an author would. Returns
// 0 when the client quit, 7 when it was still running a while after the
// dialog went away, 9 when no dialog came.
int confirmUpdateInAppLoop(const std::function<void()>& start, QString* toastAfter = nullptr)
{
    QPointer<Dialog_UpdateOnline> seen;
    bool clicked = false;
    // Owned here: none may fire into a later test's event loop.
    QTimer stillOpen;
    stillOpen.setSingleShot(true);
    QObject::connect(&stillOpen, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(9); });
    QTimer starter;
    starter.setSingleShot(true);
    QObject::connect(&starter, &QTimer::timeout, start);
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!seen) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<Dialog_UpdateOnline*>(w);
                if (dialog && dialog->isVisible())
                    seen = dialog;
            }
        }
        if (seen && !clicked && visibleConfirm(seen)) {
            clicked = true;
            QTest::mouseClick(visibleConfirm(seen), Qt::LeftButton);
        } else if (clicked && (!seen || !seen->isVisible())) {
            poll.stop();
            // What the author is told as the dialog goes (a later
            // synchronisation may show its own toast).
            if (toastAfter && CUiManager::instance()->bookshelf())
                *toastAfter = CUiManager::instance()->bookshelf()->tips()->text();
            stillOpen.start(1000);
        }
    });
    poll.start();
    starter.start(0);
    watchdog.start(30000);
    return QCoreApplication::exec();
}

// Backups made on quitting go to a temporary folder, not the machine's.
class BackupElsewhere
{
public:
    BackupElsewhere()
    {
        QSettings s(CUiManager::settingFilePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("system/backup"), m_dir.path());
    }
    ~BackupElsewhere()
    {
        QSettings s(CUiManager::settingFilePath(), QSettings::IniFormat);
        s.remove(QStringLiteral("system/backup"));
    }

private:
    QTemporaryDir m_dir;
};
} // namespace

class UpdateOnlineTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f.reset(new JobsFixture);
        QVERIFY(m_f->seed());
        QVERIFY(m_f->start());
    }
    void cleanup() { m_f.reset(); }
    void escapeNeverDismisses();
    void offeredUpdateIsStartedByItsAbsolutePathAndTheClientQuits();
    void installerThatDoesNotStartIsReportedAndTheClientStaysOpen();
    void untrustedAddressesAreRefusedWithoutADownload();
    void truncatedOrMissingDownloadIsNeverStarted();

private:
    std::unique_ptr<JobsFixture> m_f;
};

void UpdateOnlineTest::escapeNeverDismisses()
{
    TS_UpdateOnline info;
    info.status = 1;
    Dialog_UpdateOnline dialog(&info);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
}

void UpdateOnlineTest::offeredUpdateIsStartedByItsAbsolutePathAndTheClientQuits()
{
    QVERIFY(waitForSyncEnd());
    BackupElsewhere backups;
    QTemporaryDir scratch;
    const QString marker = scratch.filePath(QStringLiteral("started"));
    // The installer notes the path it was started by.
    const QByteArray installer = "#!/bin/sh\necho \"$0\" > '" + marker.toUtf8() + "'\n";
    QVERIFY(standin().putFile(QStringLiteral("setup-2.0.sh"), installer));
    QVERIFY(standin().offerUpdate({{QStringLiteral("status"), 2},
                                   {QStringLiteral("name"), QStringLiteral("2.0.0")},
                                   {QStringLiteral("url"), standin().fileUrl(QStringLiteral("setup-2.0.sh"))}}));
    const QString target = updateFolder() + QStringLiteral("/setup-2.0.sh");

    // The check the client makes after a clean synchronisation.
    const int result = confirmUpdateInAppLoop([] {
        TC_UpdateOnline check;
        check.os = QStringLiteral("linux");
        check.channel = QStringLiteral("standin");
        check.version_code = 1;
        CSystemManager::instance()->updateOnline(check);
    });
    QCOMPARE(result, 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, 10000);
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    // Started at all means made executable: the download itself is not.
    QCOMPARE(QString::fromUtf8(started.readAll()).trimmed(), QFileInfo(target).absoluteFilePath());
    QFile::remove(target);
}

void UpdateOnlineTest::installerThatDoesNotStartIsReportedAndTheClientStaysOpen()
{
    QVERIFY(waitForSyncEnd());
    BackupElsewhere backups;
    // Neither a program the system can run nor a script.
    QVERIFY(standin().putFile(QStringLiteral("setup-broken.bin"), QByteArray("\x7f" "ELF\x02\x01\x01", 7)
                                                                     + QByteArray(64, '\0')));
    TS_UpdateOnline info;
    info.status = 1;
    info.name = QStringLiteral("2.0.1");
    info.url = standin().fileUrl(QStringLiteral("setup-broken.bin"));
    QString told;
    const int result =
        confirmUpdateInAppLoop([&info] { CUiManager::instance()->showUpdateOnline(info); }, &told);
    QCOMPARE(result, 7);
    QCOMPARE(told, QCoreApplication::translate("Dialog_UpdateOnline", "The update could not be started"));
    QFile::remove(updateFolder() + QStringLiteral("/setup-broken.bin"));
}

void UpdateOnlineTest::untrustedAddressesAreRefusedWithoutADownload()
{
    QVERIFY(waitForSyncEnd());
    QVERIFY(standin().putFile(QStringLiteral("setup.sh"), "#!/bin/sh\n"));
    const quint16 otherPort = standin().listenAnotherPort();
    QVERIFY(otherPort != 0);
    const QStringList refused = {
        QStringLiteral("file://") + updateFolder() + QStringLiteral("/setup.sh"),
        updateFolder() + QStringLiteral("/setup.sh"),
        QStringLiteral("setup.sh"),
        QStringLiteral("ftp://127.0.0.1/setup.sh"),
        // Plain http from anywhere but the platform's own address.
        QStringLiteral("http://127.0.0.1:%1/files/setup.sh").arg(otherPort),
        QStringLiteral("http://localhost:%1/files/setup.sh").arg(standin().port()),
        QStringLiteral("https:///setup.sh"),
    };
    QVERIFY(standin().clearJournal());
    for (const QString& url : refused) {
        TS_UpdateOnline info;
        info.status = 2;
        info.url = url;
        Dialog_UpdateOnline dialog(&info, CUiManager::instance()->bookshelf());
        QSignalSpy done(&dialog, &Dialog_UpdateOnline::sig_downloaded);
        dialog.show();
        QTest::mouseClick(visibleConfirm(&dialog), Qt::LeftButton);
        QCOMPARE(done.size(), 1);
        QVERIFY2(done.at(0).at(0).toString().isEmpty(), qPrintable(url));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(CUiManager::instance()->bookshelf()->tips()->text(),
                 QCoreApplication::translate("Dialog_UpdateOnline", "The update address is not trusted"));
    }
    QTest::qWait(200);
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/files/setup.sh")).isEmpty());
    QVERIFY(!QFile::exists(updateFolder() + QStringLiteral("/setup.sh")));
}

void UpdateOnlineTest::truncatedOrMissingDownloadIsNeverStarted()
{
    const QByteArray body = "#!/bin/sh\necho never\n" + QByteArray(200000, '#');
    QVERIFY(standin().putFile(QStringLiteral("setup-cut.sh"), body));
    // Every attempt is cut, however often the transport tries again.
    QVERIFY(standin().addFault(QStringLiteral("/files/setup-cut.sh"), QStringLiteral("truncated"), 0, -1));
    for (const QString& name : {QStringLiteral("setup-cut.sh"), QStringLiteral("setup-404.sh")}) {
        TS_UpdateOnline info;
        info.status = 2;
        info.url = standin().fileUrl(name);
        Dialog_UpdateOnline dialog(&info);
        QSignalSpy done(&dialog, &Dialog_UpdateOnline::sig_downloaded);
        dialog.update();
        QVERIFY(done.wait(15000));
        QVERIFY(done.at(0).at(0).toString().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(updateFolder() + QLatin1Char('/') + name));
    }
    QVERIFY(!JobsFixture::requestsTo(QStringLiteral("/files/setup-cut.sh")).isEmpty());
    QVERIFY(standin().clearFaults());
}

int runUpdateOnlineTests(int argc, char** argv)
{
    UpdateOnlineTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_UpdateOnline.moc"
