#include "ShellHelpers.h"

#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CQssManager.h"
#include "platform/ProgramPath.h"
#include "ui/shell/ThemeButton.h"
#include "ui/shell/Widget_ThemeSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class ThemeAndTextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CQssManager* qss = CQssManager::instance();
        qss->setQssStyle(1, QStringLiteral(":/res/qss/light.qss"));
        qss->setQssStyle(2, QStringLiteral(":/res/qss/dark.qss"));
        qss->setQssStyle(4, QStringLiteral(":/res/qss/green.qss"));
        qss->setQssStyle(8, QStringLiteral(":/res/qss/kraft.qss"));
        qss->setQssStyle(16, QStringLiteral(":/res/qss/custom.qss"));
        QVERIFY(m_fixture.seed());
        QVERIFY(m_fixture.start());
        CUiManager::instance()->idleTimer()->stop();
    }

    void customPictureIsCopiedAndNoTileStaysMarked()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("mine.jpg"));
        QFile source(picture);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("not really a jpeg, copied byte for byte");
        source.close();
        CUiManager::instance()->changeSkin(1);
        Widget_ThemeSettings picker;
        picker.updateCheckedTheme();
        QVERIFY(picker.btnThemeWhite()->isChecked());
        picker.chooseCustomImage(picture);
        QCOMPARE(CPublicManager::instance()->userInfo.style, 16);
        QFile stored(appDirPath() + QStringLiteral("/data/img/theme.png"));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray("not really a jpeg, copied byte for byte"));
        QVERIFY(!picker.btnThemeWhite()->isChecked());
        // A picture that cannot be read leaves the old one in place.
        picker.chooseCustomImage(dir.filePath(QStringLiteral("missing.png")));
        stored.close();
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray("not really a jpeg, copied byte for byte"));
        stored.close();
        stored.remove();
        CUiManager::instance()->changeSkin(1);
    }

    void backupCopiesTheDatabaseOncePerSecond()
    {
        QTemporaryDir folder;
        const QString ini = ProgramPath::settingsFile();
        QSettings settings(ini, QSettings::IniFormat);
        const QVariant previous = settings.value(QStringLiteral("system/backup"));
        settings.setValue(QStringLiteral("system/backup"), folder.path());
        settings.sync();

        // The copy is of the database in use.
        QFile db(CTessaneDb::instance()->dbFilePath());
        // Two quits within one second: the second copy must not overwrite the first.
        const QString format = QStringLiteral("yyyy-MM-dd-hh-mm-ss");
        const QString before = QDateTime::currentDateTime().toString(format);
        const bool first = CUiManager::backupsDb();
        const bool second = CUiManager::backupsDb();
        if (before == QDateTime::currentDateTime().toString(format)) {
            QVERIFY(!second);
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
        }
        QVERIFY(first);
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        QVERIFY(files.first().endsWith(QStringLiteral(".db")));
        QFile copy(folder.filePath(files.first()));
        QVERIFY(PrivateFiles::isPrivate(copy.fileName()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), db.readAll());
        db.close();

        // A folder that cannot be written: the copy fails and nothing is left behind.
        settings.setValue(QStringLiteral("system/backup"), folder.filePath(QStringLiteral("missing/deeper")));
        settings.sync();
        QVERIFY(!CUiManager::backupsDb());
        restoreBackupSetting(settings, previous);
    }

    void backupHoldsWhatIsStillInTheWriteAheadLog()
    {
        QTemporaryDir folder;
        QSettings settings(ProgramPath::settingsFile(), QSettings::IniFormat);
        const QVariant previous = settings.value(QStringLiteral("system/backup"));
        settings.setValue(QStringLiteral("system/backup"), folder.path());
        settings.sync();

        CJobManager::instance()->close();
        const QString live = getDbDir() + QStringLiteral("/wrt.db");
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(live + QLatin1String(suffix));
        CTessaneDb* db = CTessaneDb::instance();
        QVERIFY(db->init(live, m_fixture.programDbDir()));
        QSqlQuery query = db->newQuery();
        QVERIFY(query.exec(QStringLiteral("create table backup_probe(x text);")));
        QVERIFY(query.exec(QStringLiteral("insert into backup_probe values('kept');")));
        QVERIFY(CUiManager::backupsDb());

        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        {
            QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("backup_probe"));
            copy.setDatabaseName(folder.filePath(files.first()));
            QVERIFY(copy.open());
            QSqlQuery read(copy);
            QVERIFY(read.exec(QStringLiteral("select x from backup_probe;")));
            QVERIFY(read.next());
            QCOMPARE(read.value(0).toString(), QStringLiteral("kept"));
            copy.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("backup_probe"));
        db->close();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(live + QLatin1String(suffix));
        restoreBackupSetting(settings, previous);
    }

private:
    static void restoreBackupSetting(QSettings& settings, const QVariant& previous)
    {
        if (previous.isValid())
            settings.setValue(QStringLiteral("system/backup"), previous);
        else
            settings.remove(QStringLiteral("system/backup"));
        settings.sync();
    }

    JobsFixture m_fixture;
};

int runThemeAndTextTests(int argc, char** argv)
{
    ThemeAndTextTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ThemeAndText.moc"
