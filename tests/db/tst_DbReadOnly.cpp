#include "DbFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

int runDbTestSqlText(int, char**) { return 0; }
int runDbTestLifecycle(int, char**) { return 0; }
int runDbTestJobQueue(int, char**) { return 0; }
int runDbTestServerIds(int, char**) { return 0; }
int runDbTestStatistics(int, char**) { return 0; }

// A database the user may read but not write fails initialisation at once,
// instead of at the author's first save, and is left as it was.
class tst_DbReadOnly : public QObject
{
    Q_OBJECT
private slots:
    void readOnlyDatabaseFailsInitialisation()
    {
        DbFixture f;
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'kept')")));
        f.release();
        const QString folder = QFileInfo(f.dbFile()).absolutePath();
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(f.dbFile(), readOnly));
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
        QFile probe(f.dbFile());
        const bool stillWritable = probe.open(QIODevice::ReadWrite);
        probe.close();
        if (!stillWritable)
            QVERIFY(!f.init());
        QFile::setPermissions(folder, readOnly | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(f.dbFile(), readOnly | QFile::WriteOwner);
        if (stillWritable)
            QSKIP("file permissions do not bind this user (running as root)");
        f.release();
        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 1);
    }
};

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    tst_DbReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DbReadOnly.moc"
