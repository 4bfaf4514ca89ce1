#include "DbFixture.h"
#include "db/SqlFormat.h"
#include "db/SqlScript.h"

#include <QtTest>

// Statement texts: values escaped and placed once, scripts split where the
// SQL really ends a statement.
class tst_SqlText : public QObject
{
    Q_OBJECT
private slots:
    void valuesArePlacedInOnePass()
    {
        const QString text = sqlFormat(QStringLiteral("values(%1,%2,%3);"),
                                       {QStringLiteral("%2 and %3"), 7, QStringLiteral("%1")});
        QCOMPARE(text, QStringLiteral("values('%2 and %3',7,'%1');"));
    }

    void twoDigitPlaceholdersNameTheirValue()
    {
        QVector<SqlArg> args;
        for (int i = 1; i <= 13; ++i)
            args.append(SqlArg(i * 10));
        QCOMPARE(sqlFormat(QStringLiteral("%1 %9 %10 %13"), args), QStringLiteral("10 90 100 130"));
        // With fewer values "%12" is the first value followed by a 2.
        QCOMPARE(sqlFormat(QStringLiteral("%12"), {5}), QStringLiteral("52"));
    }

    void textsAreQuotedAndEscaped()
    {
        QCOMPARE(sqlFormat(QStringLiteral("x = %1"), {QStringLiteral("it's 100%")}),
                 QStringLiteral("x = 'it''s 100%'"));
        QCOMPARE(sqlFormat(QStringLiteral("%1"), {QString()}), QStringLiteral("''"));
    }

    void badNamesAndMissingValuesGiveNoStatement()
    {
        QVERIFY(sqlFormat(QStringLiteral("delete from %1"), {SqlArg::name(QStringLiteral("tb_job; drop"))})
                    .isEmpty());
        QVERIFY(sqlFormat(QStringLiteral("%1 %2"), {1}).isEmpty());
        QCOMPARE(sqlFormat(QStringLiteral("delete from %1 where %2 = %3"),
                           {SqlArg::name(QStringLiteral("tb_job")), SqlArg::name(QStringLiteral("jobId")), 4}),
                 QStringLiteral("delete from tb_job where jobId = 4"));
    }

    void scriptKeepsSemicolonsInsideQuotes()
    {
        const QStringList parts = splitSqlScript(QStringLiteral(
            "INSERT INTO t VALUES('a;b');INSERT INTO \"odd;name\" VALUES(1);\n"
            "INSERT INTO t VALUES('it''s; fine');"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(0), QStringLiteral("INSERT INTO t VALUES('a;b');"));
        QCOMPARE(parts.at(2), QStringLiteral("INSERT INTO t VALUES('it''s; fine');"));
    }

    void scriptLineBreaksStayLineBreaks()
    {
        // Joined without a separator the comment would swallow the statement.
        const QStringList parts = splitSqlScript(
            QStringLiteral("CREATE TABLE \"t\"\r\n(a TEXT) -- the table\r\n;\r\nSELECT 1\rFROM t;"));
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts.at(0), QStringLiteral("CREATE TABLE \"t\"\n(a TEXT) -- the table\n;"));
        QCOMPARE(parts.at(1), QStringLiteral("SELECT 1\nFROM t;"));
    }

    void scriptSkipsEmptyAndCommentOnlyParts()
    {
        const QStringList parts = splitSqlScript(
            QStringLiteral(";;\n  ;-- nothing here;\n/* nor ; here */;SELECT 2"));
        QCOMPARE(parts, QStringList{QStringLiteral("SELECT 2;")});
    }

    void triggerBodyStaysOneStatement()
    {
        const QStringList parts = splitSqlScript(QStringLiteral(
            "CREATE TRIGGER t1 AFTER INSERT ON a BEGIN UPDATE b SET n = n + 1; DELETE FROM c; END;"
            "SELECT 3;"));
        QCOMPARE(parts.size(), 2);
        QVERIFY(parts.at(0).endsWith(QStringLiteral("END;")));
    }
};

int runDbTestSqlText(int argc, char** argv)
{
    tst_SqlText test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SqlText.moc"
