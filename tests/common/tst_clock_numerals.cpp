#include "common/ChineseNumerals.h"
#include "common/ServerClock.h"

#include <QDateTime>
#include <QTranslator>
#include <QtTest>

class TestClockNumerals : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initNumeralTables(); }
    void uniqueCodeIsTheDigestOfUserAndTime();

    void nextChapterTitle_data();
    void nextChapterTitle();
    void nextVolumeTitle_data();
    void nextVolumeTitle();
    void catalogueTextsMatchTheBuiltInOnes();
};

void TestClockNumerals::uniqueCodeIsTheDigestOfUserAndTime()
{
    // md5("12+Tessane+1700000000")
    const QString code = makeUniqueCode(12, 1700000000);
    QCOMPARE(code, QString::fromLatin1(QCryptographicHash::hash("12+Tessane+1700000000",
                                                                 QCryptographicHash::Md5).toHex()));
    QCOMPARE(code.size(), 32);
    QCOMPARE(makeUniqueCode(12, 1700000000), code);
    QVERIFY(makeUniqueCode(12, 1700000001) != code);
    QCOMPARE(makeUniqueCode(-1, -2), QString::fromLatin1(QCryptographicHash::hash(
                                          "-1+Tessane+-2", QCryptographicHash::Md5).toHex()));
}

void TestClockNumerals::nextChapterTitle_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("next");
    QTest::newRow("arabic") << "第9章 出发" << "第10章 ";
    QTest::newRow("nine to ten") << "第九章 出发" << "第十章 ";
    QTest::newRow("hui closes") << "第十九回 夜" << "第二十章 ";
    QTest::newRow("jie closes") << "第一百零九节" << "第一百一十章 ";
    QTest::newRow("zero") << "第0章" << "第1章 ";
    QTest::newRow("empty number") << "第章 开端" << "第一章 ";
    QTest::newRow("none yet") << "" << "第1章 ";
    QTest::newRow("too short") << "序章" << "未命名章节";
    QTest::newRow("no opener") << "楔子 开端" << "未命名章节";
    QTest::newRow("not a number") << "第x章" << "未命名章节";
    QTest::newRow("no closer") << "第九个故事" << "未命名章节";
    QTest::newRow("quotes and percent") << "第'%1章" << "未命名章节";
}

void TestClockNumerals::nextChapterTitle()
{
    QFETCH(QString, last);
    QFETCH(QString, next);
    QCOMPARE(formatChapterTitle(last), next);
}

void TestClockNumerals::nextVolumeTitle_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("next");
    QTest::newRow("none yet") << "" << "第1卷";
    QTest::newRow("arabic") << "第3卷 风起" << "第4卷 ";
    QTest::newRow("nine keeps leading one") << "第九卷" << "第一十卷 ";
    QTest::newRow("ten") << "第十卷 终" << "第一十一卷 ";
    QTest::newRow("no opener") << "卷一 开篇" << "默认卷";
    QTest::newRow("too short") << "第卷" << "默认卷";
}

void TestClockNumerals::nextVolumeTitle()
{
    QFETCH(QString, last);
    QFETCH(QString, next);
    QCOMPARE(formatVolumeTitle(last), next);
}

void TestClockNumerals::catalogueTextsMatchTheBuiltInOnes()
{
    // The title rules read their characters from the catalogue; a catalogue
    // that disagreed with the built-in texts would change every proposal.
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/res/client.qm")));
    QCoreApplication::installTranslator(&translator);
    initNumeralTables();
    QCOMPARE(formatChapterTitle(QStringLiteral("第九十九章")), QStringLiteral("第一百章 "));
    QCOMPARE(formatVolumeTitle(QString()), QStringLiteral("第1卷"));
    QCOMPARE(QCoreApplication::translate("QObject", "system init error!"),
             QStringLiteral("客户端初始化失败，请重新打开或者联系开发人员。"));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestClockNumerals)
#include "tst_clock_numerals.moc"
