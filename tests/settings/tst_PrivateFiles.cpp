#include "JobsFixture.h"

#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "manager/TextRecovery.h"
#include "ui/login/Dialog_LoginMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool writeOpenFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1
           && file.setPermissions(QFileDevice::Permissions(0x6644));
}
}

// The program's start-up over files an earlier version left readable by
// every local user.
class PrivateFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void startUpNarrowsTheAuthorsFilesAndBackups();
    void recoveredTextIsKeptPrivate();
};

void PrivateFilesTest::startUpNarrowsTheAuthorsFilesAndBackups()
{
    CJobManager::instance()->close();
    QTemporaryDir backups;
    {
        QSettings s(CUiManager::settingFilePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("system/backup"), backups.path());
    }
    const QString data = getAppDataDir();
    const QString picture = data + QStringLiteral("/data/headimg/a.png");
    const QString backup = backups.filePath(QStringLiteral("2024-01-02-03-04-05.db"));
    const QString notOurs = backups.filePath(QStringLiteral("notes.txt"));
    for (const QString& path : {picture, backup, notOurs})
        QVERIFY(writeOpenFile(path));
    for (const QString& folder : {data, data + QStringLiteral("/data"), data + QStringLiteral("/data/headimg")})
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));

    QVERIFY(CJobManager::instance()->init());

    const QString db = getDbDir() + QStringLiteral("/wrt.db");
    for (const QString& path : {data, data + QStringLiteral("/data"), data + QStringLiteral("/data/headimg"),
                                picture, getDbDir(), db, backup})
        QVERIFY2(PrivateFiles::isPrivate(path), qPrintable(path));
    // Files of the author's own in a folder the author chose stay as they are.
    QVERIFY(!PrivateFiles::isPrivate(notOurs));

    CJobManager::instance()->close();
    delete CUiManager::instance()->loginDialog();
    QFile::remove(picture);
    QSettings s(CUiManager::settingFilePath(), QSettings::IniFormat);
    s.remove(QStringLiteral("system/backup"));
}

void PrivateFilesTest::recoveredTextIsKeptPrivate()
{
    QDir(getAppDataDir() + QStringLiteral("/recovered")).removeRecursively();
    const QString path = TextRecovery::keep(1, QStringLiteral("书"), QStringLiteral("章"), QStringLiteral("没存下的字"));
    QVERIFY(!path.isEmpty());
    TextRecovery::takeUntold(1);
    const QString folder = QFileInfo(path).absolutePath();
    QCOMPARE(QFile::permissions(folder) & QFileDevice::Permissions(0x7077),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(PrivateFiles::isPrivate(path));
    QFile::remove(path);
}

int runPrivateFilesTests(int argc, char** argv)
{
    PrivateFilesTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_PrivateFiles.moc"
