// The writing-lock dialog: goal ranges, the mode switch and what reaches
// the model and tb_lock.

#include "JobsFixture.h"

#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Dialog_WritingLock.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {
// The stored row of the demo user, read over a connection of our own.
QList<int> storedLock(const QString& file)
{
    QList<int> row;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lockcheck"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("select lockType, lockWords, lockTime, writeWords, writeTime from tb_lock where uid = %1")
                       .arg(StandinServer::demoUid()));
            if (q.next())
                for (int i = 0; i < 5; ++i)
                    row.append(q.value(i).toInt());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lockcheck"));
    return row;
}

QLineEdit* edit(Dialog_WritingLock& d, const char* name)
{
    return d.findChild<QLineEdit*>(QString::fromLatin1(name));
}

// Types into a field as the author would: the old text selected and replaced.
void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}
} // namespace

class WritingLockDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f.reset(new JobsFixture);
        QVERIFY(m_f->seed());
        QVERIFY(m_f->start());
        CPublicManager::instance()->userConf.writeLock = T_WriteLock();
    }
    void cleanup()
    {
        CPublicManager::instance()->userConf.writeLock = T_WriteLock();
        m_f.reset();
    }

    void goalRange_data()
    {
        QTest::addColumn<bool>("byTime");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9 minutes") << true << QStringLiteral("9") << false;
        QTest::newRow("10 minutes") << true << QStringLiteral("10") << true;
        QTest::newRow("1440 minutes") << true << QStringLiteral("1440") << true;
        QTest::newRow("1441 minutes") << true << QStringLiteral("1441") << false;
        QTest::newRow("999 words") << false << QStringLiteral("999") << false;
        QTest::newRow("1000 words") << false << QStringLiteral("1000") << true;
        QTest::newRow("200000 words") << false << QStringLiteral("200000") << true;
        QTest::newRow("200001 words") << false << QStringLiteral("200001") << false;
    }
    void goalRange()
    {
        QFETCH(bool, byTime);
        QFETCH(QString, goal);
        QFETCH(bool, accepted);
        Dialog_WritingLock d;
        if (byTime)
            d.findChild<QRadioButton*>(QStringLiteral("radioButtonTime"))->click();
        const char* field = byTime ? "lineEditTime" : "lineEditWords";
        typeInto(edit(d, field), goal);
        auto* confirm = d.findChild<QPushButton*>(QStringLiteral("btnConfirm"));
        QVERIFY(confirm->isEnabled());
        confirm->click();
        QCOMPARE(d.result() == QDialog::Accepted, accepted);
        const QList<int> stored = byTime ? QList<int>{2, 0, goal.toInt(), 0, 0} : QList<int>{1, goal.toInt(), 0, 0, 0};
        // A refused goal stays in the field and engages nothing.
        QCOMPARE(CPublicManager::instance()->userConf.writeLock.lockType, accepted ? stored.first() : 0);
        QCOMPARE(storedLock(m_f->dbFile()).value(0), accepted ? stored.first() : 0);
        if (accepted)
            QCOMPARE(storedLock(m_f->dbFile()), stored);
        else
            QCOMPARE(edit(d, field)->text(), goal);
    }

    void lettersAreRefused()
    {
        Dialog_WritingLock d;
        typeInto(edit(d, "lineEditWords"), QStringLiteral("a1b2c"));
        QCOMPARE(edit(d, "lineEditWords")->text(), QStringLiteral("12"));
    }

    void goalThatCannotBeStoredKeepsTheDialogOpen()
    {
        // A user without a lock row: nothing can be written for them.
        CPublicManager* model = CPublicManager::instance();
        const int uid = model->userInfo.uid;
        model->userInfo.uid = 987654;
        Dialog_WritingLock d;
        typeInto(edit(d, "lineEditWords"), QStringLiteral("5000"));
        d.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
        model->userInfo.uid = uid;
        QVERIFY(d.result() != QDialog::Accepted);
        QCOMPARE(model->userConf.writeLock.lockType, 0);
    }

private:
    std::unique_ptr<JobsFixture> m_f;
};

int runWritingLockDialogTests(int argc, char** argv)
{
    WritingLockDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingLockDialog.moc"
