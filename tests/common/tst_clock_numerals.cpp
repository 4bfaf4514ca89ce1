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
    void init() { resetServerTimeOffset(); }
    void firstPositiveServerTimeFixesTheOffset();
    void zeroServerTimeLeavesTheClockUnset();
    void uniqueCodeIsTheDigestOfUserAndTime();

    void intToChinese_data();
    void intToChinese();
    void chineseToInt_data();
    void chineseToInt();
    void nextChapterTitle_data();
    void nextChapterTitle();
    void nextVolumeTitle_data();
    void nextVolumeTitle();
    void catalogueTextsMatchTheBuiltInOnes();
};

void TestClockNumerals::firstPositiveServerTimeFixesTheOffset()
{
    const qint64 local = QDateTime::currentSecsSinceEpoch();
    setServerTimeOffset(local - 100);
    const qint64 behind = QDateTime::currentSecsSinceEpoch() - currentServerTime();
    QVERIFY2(behind >= 99 && behind <= 101, qPrintable(QString::number(behind)));

    setServerTimeOffset(QDateTime::currentSecsSinceEpoch() - 50);
    const qint64 still = QDateTime::currentSecsSinceEpoch() - currentServerTime();
    QVERIFY(still >= 99 && still <= 101);
}

void TestClockNumerals::zeroServerTimeLeavesTheClockUnset()
{
    setServerTimeOffset(0);
    setServerTimeOffset(-5);
    QVERIFY(qAbs(currentServerTime() - QDateTime::currentSecsSinceEpoch()) <= 1);
    setServerTimeOffset(QDateTime::currentSecsSinceEpoch() + 3600);
    const qint64 ahead = currentServerTime() - QDateTime::currentSecsSinceEpoch();
    QVERIFY(ahead >= 3599 && ahead <= 3601);
}

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

void TestClockNumerals::intToChinese_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "零";
    QTest::newRow("10") << qint64(10) << "一十";
    QTest::newRow("13") << qint64(13) << "一十三";
    QTest::newRow("20") << qint64(20) << "二十";
    QTest::newRow("105") << qint64(105) << "一百零五";
    QTest::newRow("110") << qint64(110) << "一百一十";
    QTest::newRow("1000") << qint64(1000) << "一千";
    QTest::newRow("1010") << qint64(1010) << "一千零一十";
    QTest::newRow("10000") << qint64(10000) << "一万";
    QTest::newRow("10001") << qint64(10001) << "一万零一";
    QTest::newRow("100000000") << qint64(100000000) << "一亿";
    QTest::newRow("100000001") << qint64(100000001) << "一亿零一";
    QTest::newRow("12345678") << qint64(12345678) << "一千二百三十四万五千六百七十八";
    QTest::newRow("negative") << qint64(-3) << "";
}

void TestClockNumerals::intToChinese()
{
    QFETCH(qint64, n);
    QFETCH(QString, text);
    QCOMPARE(::intToChinese(n), text);
}

void TestClockNumerals::chineseToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("n");
    QTest::newRow("二十万") << "二十万" << qint64(200000);
    QTest::newRow("一万零一") << "一万零一" << qint64(10001);
    QTest::newRow("三十x") << "三十x" << qint64(0);
    QTest::newRow("十二 without leading one") << "十二" << qint64(2);
    QTest::newRow("一百一十") << "一百一十" << qint64(110);
    QTest::newRow("empty") << "" << qint64(0);
}

void TestClockNumerals::chineseToInt()
{
    QFETCH(QString, text);
    QFETCH(qint64, n);
    QCOMPARE(::chineseToInt(text), n);
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
