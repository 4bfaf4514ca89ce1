// The sensitive-word matcher and its treatments, against the plain word-by-word ways.

#include "manager/SensitiveWordMatcher.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
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

class SensitiveWordsTest : public QObject
{
    Q_OBJECT
private slots:
    void scanFindsEveryOccurrenceInHitOrder_data();
    void scanFindsEveryOccurrenceInHitOrder();
    void treatmentsReplaceEveryOccurrenceOnce();
    void missingTableRetriesAndBlankLineEndsTable();
    void treatmentsInOnePassMatchWordByWord_data();
    void treatmentsInOnePassMatchWordByWord();
    void randomListsAgreeWithThePlainWays();
    void noTreatmentSplitsASurrogatePair();
};

void SensitiveWordsTest::scanFindsEveryOccurrenceInHitOrder_data()
{
    QTest::addColumn<QString>("regular");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("hits");
    QTest::newRow("trimmed regular entry") << QStringLiteral(" 仙侠 、、仙人") << QString() << QStringLiteral("一个仙侠故事") << 1
                                           << QStringList{QStringLiteral("2+2:仙侠")};
    // Only " 乙" with its blank matches in the own list; the regular one is trimmed.
    QTest::newRow("blank kept in own list") << QString() << QStringLiteral("甲、 乙、、") << QStringLiteral("乙 乙甲") << 2
                                            << QStringList{QStringLiteral("3+1:甲"), QStringLiteral("1+2: 乙")};
    QTest::newRow("blank trimmed in regular list") << QStringLiteral(" 乙") << QString() << QStringLiteral("乙 乙甲") << 1
                                                   << QStringList{QStringLiteral("0+1:乙"), QStringLiteral("2+1:乙")};
    QTest::newRow("overlapping") << QStringLiteral("哈哈") << QString() << QStringLiteral("哈哈哈") << 1
                                 << QStringList{QStringLiteral("0+2:哈哈"), QStringLiteral("1+2:哈哈")};
    // Key "坏" sorts before "大"; a word listed twice gives two hits; the own list comes last.
    QTest::newRow("nested, listed twice, both lists")
        << QStringLiteral("大坏蛋、坏蛋、坏蛋") << QStringLiteral("坏蛋") << QStringLiteral("你这个大坏蛋") << 3
        << QStringList{QStringLiteral("4+2:坏蛋"), QStringLiteral("4+2:坏蛋"), QStringLiteral("3+3:大坏蛋"),
                       QStringLiteral("4+2:坏蛋")};
    // 赌博 ends inside both longer words; only a chain of fallbacks reaches
    // it from 地下赌博, whose own fallback 下赌博 ends no word.
    QTest::newRow("word ending inside longer words")
        << QStringLiteral("赌博、下赌博场、地下赌博场") << QString() << QStringLiteral("地下赌博场") << 1
        << QStringList{QStringLiteral("1+4:下赌博场"), QStringLiteral("0+5:地下赌博场"), QStringLiteral("2+2:赌博")};
    QTest::newRow("regular by key, then own") << QStringLiteral("b、a") << QStringLiteral("a") << QStringLiteral("ba") << 3
                                              << QStringList{QStringLiteral("1+1:a"), QStringLiteral("0+1:b"),
                                                             QStringLiteral("1+1:a")};
    QTest::newRow("case-sensitive") << QStringLiteral("b、a") << QStringLiteral("a") << QStringLiteral("BA") << 3
                                    << QStringList();
    QTest::newRow("quotes and placeholders literally")
        << QStringLiteral("it's、\"%1\"、a.b") << QString() << QStringLiteral("it's \"%1\" axb a.b") << 1
        << QStringList{QStringLiteral("5+4:\"%1\""), QStringLiteral("14+3:a.b"), QStringLiteral("0+4:it's")};
}

void SensitiveWordsTest::scanFindsEveryOccurrenceInHitOrder()
{
    QFETCH(QString, regular);
    QFETCH(QString, custom);
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QStringList, hits);
    SensitiveWordMatcher m;
    m.setWords(regular);
    m.setCustomWords(custom);
    // A scan before with every list on: its hits must not linger.
    m.scan(regular + custom, 3);
    QCOMPARE(m.scan(text, flags), hits.size());
    QCOMPARE(described(m.results()), hits);
}

void SensitiveWordsTest::treatmentsReplaceEveryOccurrenceOnce()
{
    SensitiveWordMatcher m;
    m.setWords(QStringLiteral("仙侠、仙侠、魔、ab1"));
    const QString text = QStringLiteral("仙侠与魔，仙侠ab1");
    QCOMPARE(m.scan(text, 1), 6);
    int cursor = -2;
    QCOMPARE(m.applyTreatment(text, m.results(), SensitiveWordMatcher::ReplaceByPinyin, &cursor),
             QStringLiteral("xianxia与mo，xianxia")); // Latin letters and digits have no pinyin
    QCOMPARE(cursor, 2);
    QCOMPARE(m.applyTreatment(text, m.results(), SensitiveWordMatcher::ReplaceByStars),
             QStringLiteral("**与*，*****"));
    QCOMPARE(m.applyTreatment(text, m.results(), SensitiveWordMatcher::SeparateByDash),
             QStringLiteral("仙-侠与魔，仙-侠a-b-1")); // a one-character word stays as it is
    QCOMPARE(m.applyTreatment(text, m.results(), SensitiveWordMatcher::MarkOnly, &cursor), text);
    QCOMPARE(cursor, -1);
    QCOMPARE(m.applyTreatment(text, m.results(), 9), text);
    // Quotes and placeholders are replaced as typed.
    m.setWords(QStringLiteral("it's、\"%1\""));
    m.scan(QStringLiteral("it's \"%1\""), 1);
    QCOMPARE(m.applyTreatment(QStringLiteral("it's \"%1\""), m.results(), SensitiveWordMatcher::ReplaceByStars),
             QStringLiteral("**** ****"));
}

void SensitiveWordsTest::missingTableRetriesAndBlankLineEndsTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pinyin.txt"));
    SensitiveWordMatcher m;
    m.setPinyinSource(path);
    QVERIFY(m.pinyinOf(QStringLiteral("仙")).isEmpty());
    QVERIFY(m.pinyinTable().isEmpty());

    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("xian,0x4ed9\r\nbad\r\nxia,0x4fa0,zz\r\n\r\nmo,0x9b54");
    file.close();
    // The next look-up tries again and now finds the file.
    QCOMPARE(m.pinyinOf(QStringLiteral("仙")), QStringLiteral("xian"));
    QCOMPARE(m.pinyinOf(QStringLiteral("侠")), QStringLiteral("xia"));
    QCOMPARE(m.pinyinTable().size(), 2); // "bad" skipped, table ends at the blank line
    QCOMPARE(m.pinyinTable().at(1).codePoints, (QList<int>{0x4fa0, 0}));
    QVERIFY(m.pinyinOf(QStringLiteral("魔")).isEmpty());
}

void SensitiveWordsTest::treatmentsInOnePassMatchWordByWord_data()
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

void SensitiveWordsTest::treatmentsInOnePassMatchWordByWord()
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
    QCOMPARE(plain, treated);
}

void SensitiveWordsTest::randomListsAgreeWithThePlainWays()
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

void SensitiveWordsTest::noTreatmentSplitsASurrogatePair()
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

QTEST_GUILESS_MAIN(SensitiveWordsTest)
#include "tst_SensitiveWords.moc"
