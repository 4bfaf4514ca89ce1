// The sensitive-word automaton and the one-pass treatments against the plain
// word-by-word ways, on Chinese text: overlapping matches, words inside words,
// characters outside the basic plane, line ends, replacements that make new
// occurrences, and random lists over a small alphabet.

#include "manager/SensitiveWordMatcher.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
const QChar kComma(0x3001);

// Hits as comparable text: position, length, word.
QStringList described(const QList<SensitiveWordHit>& hits)
{
    QStringList out;
    for (const SensitiveWordHit& hit : hits)
        out.append(QStringLiteral("%1+%2:%3").arg(hit.position).arg(hit.length).arg(hit.word));
    return out;
}
}

class SensitiveWordsOnePassTest : public QObject
{
    Q_OBJECT
private slots:
    void automatonFindsWhatWordByWordFinds_data();
    void automatonFindsWhatWordByWordFinds();
    void treatmentsInOnePassMatchWordByWord_data();
    void treatmentsInOnePassMatchWordByWord();
    void randomListsAgreeWithThePlainWays();
    void noTreatmentSplitsASurrogatePair();
};

void SensitiveWordsOnePassTest::automatonFindsWhatWordByWordFinds_data()
{
    QTest::addColumn<QString>("regular");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("hits");
    const QString big = QStringLiteral("\U00020000");
    QTest::newRow("overlapping") << QStringLiteral("哈哈") << QString() << QStringLiteral("哈哈哈，哈") << 2;
    QTest::newRow("words inside words") << QStringLiteral("坏蛋、大坏蛋、蛋") << QStringLiteral("坏")
                                        << QStringLiteral("他是大坏蛋，不是坏蛋。") << 7;
    QTest::newRow("listed twice and in both lists") << QStringLiteral("仙侠、仙侠") << QStringLiteral("仙侠")
                                                    << QStringLiteral("仙侠小说里的仙侠") << 6;
    QTest::newRow("outside the basic plane") << (big + QStringLiteral("字、字")) << big
                                             << (QStringLiteral("一") + big + QStringLiteral("字") + big) << 4;
    QTest::newRow("line ends") << QStringLiteral("江湖、湖\n山") << QStringLiteral("山")
                               << QStringLiteral("江湖\n山高\r\n江湖") << 4;
    QTest::newRow("blank kept in own list") << QStringLiteral(" 魔头 ") << QStringLiteral(" 魔头")
                                            << QStringLiteral("大魔头 魔头") << 3;
    QTest::newRow("nothing listed") << QString() << QString() << QStringLiteral("平安无事") << 0;
}

void SensitiveWordsOnePassTest::automatonFindsWhatWordByWordFinds()
{
    QFETCH(QString, regular);
    QFETCH(QString, custom);
    QFETCH(QString, text);
    QFETCH(int, hits);
    SensitiveWordMatcher m;
    m.setWords(regular);
    m.setCustomWords(custom);
    for (int flags = 0; flags <= 3; ++flags) {
        m.scan(text, flags);
        QCOMPARE(described(m.results()),
                 described(SensitiveWordMatcher::scanWordByWord(m.wordIndex(), m.customWords(), text, flags)));
    }
    QCOMPARE(m.scan(text, 3), hits);
}

void SensitiveWordsOnePassTest::treatmentsInOnePassMatchWordByWord_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("treatment");
    QTest::addColumn<QString>("treated");
    // The word whose hits come first is replaced first.
    QTest::newRow("stars, nested") << QStringLiteral("坏蛋、大坏蛋") << QStringLiteral("大坏蛋和坏蛋") << 3
                                   << QStringLiteral("大**和**");
    QTest::newRow("pinyin, overlapping") << QStringLiteral("仙侠") << QStringLiteral("仙侠侠仙侠") << 2
                                         << QStringLiteral("xianxia侠xianxia");
    // The dashes keep the characters: a later word can end up across them.
    QTest::newRow("dashes make a later word") << QStringLiteral("仙侠、侠客") << QStringLiteral("仙侠客") << 4
                                              << QStringLiteral("仙-侠-客");
    QTest::newRow("dashes, one character") << QStringLiteral("侠、大侠") << QStringLiteral("大侠在此") << 4
                                           << QStringLiteral("大-侠在此");
    // Latin words have no pinyin: the word goes and its neighbours meet.
    QTest::newRow("pinyin deletes, neighbours meet") << QStringLiteral("ab、甲乙") << QStringLiteral("甲ab乙\n甲乙")
                                                     << 2 << QStringLiteral("jiayi\njiayi");
    QTest::newRow("line ends kept") << QStringLiteral("江湖") << QStringLiteral("江湖\r\n江湖\n") << 3
                                    << QStringLiteral("**\r\n**\n");
}

void SensitiveWordsOnePassTest::treatmentsInOnePassMatchWordByWord()
{
    QFETCH(QString, words);
    QFETCH(QString, text);
    QFETCH(int, treatment);
    QFETCH(QString, treated);
    SensitiveWordMatcher m;
    m.setCustomWords(words);
    m.scan(text, SensitiveWordMatcher::CustomList);
    int fastCursor = 0;
    int plainCursor = 0;
    const QString plain = m.applyTreatmentWordByWord(text, m.results(), treatment, &plainCursor);
    QCOMPARE(m.applyTreatment(text, m.results(), treatment, &fastCursor), plain);
    QCOMPARE(fastCursor, plainCursor);
    // The plain way is checked against what the author expects, too.
    if (!treated.isEmpty())
        QCOMPARE(plain, treated);
}

void SensitiveWordsOnePassTest::randomListsAgreeWithThePlainWays()
{
    // A small alphabet makes overlaps, nested words and replacements that
    // touch later words common.
    const QString alphabet = QStringLiteral("仙侠大坏蛋江湖\n-*x");
    QRandomGenerator random(20261207);
    SensitiveWordMatcher m;
    for (int round = 0; round < 300; ++round) {
        auto pick = [&](int length) {
            QString s;
            for (int i = 0; i < length; ++i)
                s += alphabet.at(random.bounded(alphabet.size() - (length > 4 ? 0 : 4)));
            return s;
        };
        QStringList regular, custom;
        for (int i = random.bounded(8); i > 0; --i)
            regular.append(pick(1 + random.bounded(3)));
        for (int i = random.bounded(4); i > 0; --i)
            custom.append(pick(1 + random.bounded(3)));
        const QString text = pick(40 + random.bounded(80));
        m.setWords(regular.join(kComma));
        m.setCustomWords(custom.join(kComma));
        m.scan(text, 3);
        const QList<SensitiveWordHit> hits = m.results();
        QCOMPARE(described(hits), described(SensitiveWordMatcher::scanWordByWord(m.wordIndex(), m.customWords(), text, 3)));
        for (int treatment = 2; treatment <= 4; ++treatment) {
            int a = 0, b = 0;
            const QString fast = m.applyTreatment(text, hits, treatment, &a);
            const QString plain = m.applyTreatmentWordByWord(text, hits, treatment, &b);
            if (fast != plain || a != b)
                QFAIL(qPrintable(QStringLiteral("round %1, treatment %2: words %3 | %4, text %5")
                                     .arg(round).arg(treatment).arg(regular.join(kComma), custom.join(kComma), text)));
        }
    }
}

void SensitiveWordsOnePassTest::noTreatmentSplitsASurrogatePair()
{
    const QString big = QStringLiteral("\U00020000");
    SensitiveWordMatcher m;
    m.setCustomWords(big + QStringLiteral("仙"));
    const QString text = QStringLiteral("有") + big + QStringLiteral("仙。");
    m.scan(text, SensitiveWordMatcher::CustomList);
    QCOMPARE(m.applyTreatment(text, m.results(), SensitiveWordMatcher::ReplaceByStars),
             QStringLiteral("有**。"));
    const QString dashed = m.applyTreatment(text, m.results(), SensitiveWordMatcher::SeparateByDash);
    QCOMPARE(dashed, QStringLiteral("有") + big + QStringLiteral("-仙。"));
    QVERIFY(dashed.isValidUtf16());
}

QTEST_GUILESS_MAIN(SensitiveWordsOnePassTest)
#include "tst_SensitiveWordsOnePass.moc"
