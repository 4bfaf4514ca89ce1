#include "common/Utility.h"

#include <QImage>
#include <QWidget>
#include <QtTest>

class TestUtility : public QObject
{
    Q_OBJECT
private slots:
    void sqlEscapeDoublesEveryQuote_data();
    void sqlEscapeDoublesEveryQuote();
    void createFileMakesFoldersAndEmptiesExistingFiles();
    void createFileFailsWhereNoFolderCanBe();
    void secondsToTimeStringWrapsAtADay_data();
    void secondsToTimeStringWrapsAtADay();
    void imageToBase64UrlUsesTheLowercaseSuffix();
    void imageToBase64UrlLeavesResultOnFailure();
    void logDirFallsBackWhenProgramDirIsNotWritable();
};

void TestUtility::sqlEscapeDoublesEveryQuote_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("apostrophe") << "it's" << "it''s";
    QTest::newRow("two quotes") << "''" << "''''";
    QTest::newRow("none") << "第一章 %1 \"x\"" << "第一章 %1 \"x\"";
    QTest::newRow("empty") << "" << "";
}

void TestUtility::sqlEscapeDoublesEveryQuote()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(sqlEscape(in), out);
}

void TestUtility::createFileMakesFoldersAndEmptiesExistingFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a/b/c.db");
    QVERIFY(createFile(path));
    QVERIFY(QFileInfo(dir.filePath("a/b")).isDir());
    QCOMPARE(QFileInfo(path).size(), 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("content");
    file.close();
    QVERIFY(createFile(path));
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TestUtility::createFileFailsWhereNoFolderCanBe()
{
    QTemporaryDir dir;
    QVERIFY(createFile(dir.filePath("plain")));
    // A regular file stands where a folder would have to be.
    QVERIFY(!createFile(dir.filePath("plain/inner/x.db")));
}

void TestUtility::secondsToTimeStringWrapsAtADay_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "00:00:00";
    QTest::newRow("3723") << qint64(3723) << "01:02:03";
    QTest::newRow("day minus one") << qint64(86399) << "23:59:59";
    QTest::newRow("whole day") << qint64(86400) << "00:00:00";
}

void TestUtility::secondsToTimeStringWrapsAtADay()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(secondsToTimeString(seconds), text);
}

void TestUtility::imageToBase64UrlUsesTheLowercaseSuffix()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Head.PNG");
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path, "PNG"));
    QString url;
    imageToBase64Url(path, url);
    QVERIFY2(url.startsWith(QStringLiteral("data:image/png;base64,")), qPrintable(url));
    // Base64's "+", "/" and "=" never appear raw.
    const QString payload = url.mid(QStringLiteral("data:image/png;base64,").size());
    QVERIFY(!payload.contains('+') && !payload.contains('/') && !payload.contains('='));
    const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload.toLatin1()));
    QImage back;
    QVERIFY(back.loadFromData(bytes, "PNG"));
    QCOMPARE(back.size(), QSize(4, 4));
}

void TestUtility::imageToBase64UrlLeavesResultOnFailure()
{
    QTemporaryDir dir;
    QString url = QStringLiteral("previous");
    imageToBase64Url(QString(), url);
    imageToBase64Url(dir.filePath("missing.png"), url);
    QFile junk(dir.filePath("junk.png"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    imageToBase64Url(junk.fileName(), url);
    QCOMPARE(url, QStringLiteral("previous"));
}

void TestUtility::logDirFallsBackWhenProgramDirIsNotWritable()
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    QVERIFY(createFile(dir.filePath("blocker")));
    QCOMPARE(getLogDirBelow(dir.path()), dir.path() + QStringLiteral("/logs"));
    const QString fallback = getLogDirBelow(dir.filePath("blocker"));
    QCOMPARE(fallback, getAppDataDir() + QStringLiteral("/logs"));
    QVERIFY(QFileInfo(fallback).isDir());
}

QTEST_MAIN(TestUtility)
#include "tst_utility.moc"
