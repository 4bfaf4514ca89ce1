// The sensitive-word matcher: both lists, overlapping and nested words, the
// treatments, and the pinyin table behind treatment 2.

#include "manager/SensitiveWordMatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kComma = QString(QChar(0x3001));

QString list(const QStringList& words)
{
    return words.join(kComma);
}

QList<int> positions(const QList<SensitiveWordHit>& hits)
{
    QList<int> out;
    for (const SensitiveWordHit& hit : hits)
        out.append(hit.position);
    return out;
}
}

class SensitiveWordsTest : public QObject
{
    Q_OBJECT
private slots:
    void regularEntriesAreTrimmedAndEmptyOnesSkipped();
    void customEntriesKeepTheirBlanks();
    void overlappingOccurrencesAreAllHits();
    void nestedAndRepeatedWordsEachGiveHits();
    void hitsComeRegularByKeyThenCustom();
    void flagsChooseTheListsAndClearedFlagsDropOldHits();
    void quotesAndPlaceholdersInWordsMatchLiterally();
    void treatmentsReplaceEveryOccurrenceOnce();
    void treatmentFollowsHitOrderForNestedWords();
    void pinyinOfCommonAndPolyphonicCharacters();
    void pinyinOfNonHanIsEmpty();
    void missingTableRetriesAndBlankLineEndsTable();
};

void SensitiveWordsTest::regularEntriesAreTrimmedAndEmptyOnesSkipped()
{
    SensitiveWordMatcher m;
    m.setWords(list({QStringLiteral(" 仙侠 "), QString(), QStringLiteral("  "), QStringLiteral("仙人"), QStringLiteral("魔")}));
    QCOMPARE(m.wordCount(), 3);
    QCOMPARE(m.wordIndex().value(QStringLiteral("仙")), (QStringList{QStringLiteral("仙侠"), QStringLiteral("仙人")}));
    QCOMPARE(m.scan(QStringLiteral("一个仙侠故事"), SensitiveWordMatcher::RegularList), 1);
    QCOMPARE(m.results().first().position, 2);
    QCOMPARE(m.results().first().length, 2);
    QCOMPARE(m.results().first().word, QStringLiteral("仙侠"));
}

void SensitiveWordsTest::customEntriesKeepTheirBlanks()
{
    SensitiveWordMatcher m;
    const QString text = QStringLiteral("甲") + kComma + QStringLiteral(" 乙") + kComma + kComma;
    m.setCustomWords(text);
    QCOMPARE(m.customText(), text);
    QCOMPARE(m.customWords(), (QStringList{QStringLiteral("甲"), QStringLiteral(" 乙"), QString(), QString()}));
    // The blank stays part of the word: only " 乙" matches.
    QCOMPARE(m.scan(QStringLiteral("乙 乙甲"), SensitiveWordMatcher::CustomList), 2);
    QCOMPARE(positions(m.results()), (QList<int>{3, 1}));
    // The same entry in the regular list is trimmed.
    m.setWords(QStringLiteral(" 乙"));
    QCOMPARE(m.scan(QStringLiteral("乙 乙甲"), SensitiveWordMatcher::RegularList), 2);

    m.setCustomWords(QString());
    QVERIFY(m.customWords().isEmpty());
}

void SensitiveWordsTest::overlappingOccurrencesAreAllHits()
{
    SensitiveWordMatcher m;
    m.setWords(QStringLiteral("哈哈"));
    QCOMPARE(m.scan(QStringLiteral("哈哈哈"), SensitiveWordMatcher::RegularList), 2);
    QCOMPARE(positions(m.results()), (QList<int>{0, 1}));
}

void SensitiveWordsTest::nestedAndRepeatedWordsEachGiveHits()
{
    SensitiveWordMatcher m;
    m.setWords(list({QStringLiteral("大坏蛋"), QStringLiteral("坏蛋"), QStringLiteral("坏蛋")}));
    // One occurrence of the long word: its own hit and two of the listed-twice inner word.
    QCOMPARE(m.scan(QStringLiteral("你这个大坏蛋"), SensitiveWordMatcher::RegularList), 3);
    m.setCustomWords(QStringLiteral("坏蛋"));
    QCOMPARE(m.scan(QStringLiteral("你这个大坏蛋"), 3), 4);
}

void SensitiveWordsTest::hitsComeRegularByKeyThenCustom()
{
    SensitiveWordMatcher m;
    m.setWords(list({QStringLiteral("b"), QStringLiteral("a")}));
    m.setCustomWords(QStringLiteral("a"));
    QCOMPARE(m.scan(QStringLiteral("ba"), 3), 3);
    QCOMPARE(m.results().at(0).word, QStringLiteral("a")); // key "a" sorts before "b"
    QCOMPARE(m.results().at(0).position, 1);
    QCOMPARE(m.results().at(1).word, QStringLiteral("b"));
    QCOMPARE(m.results().at(2).position, 1); // custom list last
    // Matching is case-sensitive.
    QCOMPARE(m.scan(QStringLiteral("BA"), 3), 0);
}

void SensitiveWordsTest::flagsChooseTheListsAndClearedFlagsDropOldHits()
{
    SensitiveWordMatcher m;
    m.setWords(QStringLiteral("甲"));
    m.setCustomWords(QStringLiteral("乙"));
    QCOMPARE(m.scan(QStringLiteral("甲乙"), 1), 1);
    QCOMPARE(m.results().first().word, QStringLiteral("甲"));
    QCOMPARE(m.scan(QStringLiteral("甲乙"), 2), 1);
    QCOMPARE(m.results().first().word, QStringLiteral("乙"));
    QCOMPARE(m.scan(QStringLiteral("甲乙"), 0), 0);
    QVERIFY(m.results().isEmpty());
    QCOMPARE(m.scan(QString(), 3), 0);
}

void SensitiveWordsTest::quotesAndPlaceholdersInWordsMatchLiterally()
{
    SensitiveWordMatcher m;
    m.setWords(list({QStringLiteral("it's"), QStringLiteral("\"%1\""), QStringLiteral("a.b")}));
    QCOMPARE(m.scan(QStringLiteral("it's \"%1\" axb a.b"), 1), 3);
    int cursor = 0;
    const QString out = m.applyTreatment(QStringLiteral("it's \"%1\""), m.results(), SensitiveWordMatcher::ReplaceByStars, &cursor);
    QCOMPARE(out, QStringLiteral("**** ****"));
}

void SensitiveWordsTest::treatmentsReplaceEveryOccurrenceOnce()
{
    SensitiveWordMatcher m;
    m.setWords(list({QStringLiteral("仙侠"), QStringLiteral("仙侠"), QStringLiteral("魔"), QStringLiteral("ab1")}));
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
}

void SensitiveWordsTest::treatmentFollowsHitOrderForNestedWords()
{
    SensitiveWordMatcher m;
    // Key "坏" sorts before "大": the short word is replaced first, the long one is then gone.
    m.setWords(list({QStringLiteral("大坏蛋"), QStringLiteral("坏蛋")}));
    QCOMPARE(m.scan(QStringLiteral("大坏蛋"), 1), 2);
    QCOMPARE(m.results().first().word, QStringLiteral("坏蛋"));
    QCOMPARE(m.applyTreatment(QStringLiteral("大坏蛋"), m.results(), SensitiveWordMatcher::SeparateByDash),
             QStringLiteral("大坏-蛋"));
}

void SensitiveWordsTest::pinyinOfCommonAndPolyphonicCharacters()
{
    SensitiveWordMatcher m;
    QCOMPARE(m.pinyinOf(QStringLiteral("仙")), QStringLiteral("xian"));
    QCOMPARE(m.pinyinOf(QStringLiteral("侠")), QStringLiteral("xia"));
    QCOMPARE(m.replacementOf(QStringLiteral("仙侠"), SensitiveWordMatcher::ReplaceByPinyin), QStringLiteral("xianxia"));
    // A character with several readings has one entry: its customary reading.
    QCOMPARE(m.pinyinOf(QStringLiteral("行")), QStringLiteral("xing"));
    QCOMPARE(m.pinyinOf(QStringLiteral("重")), QStringLiteral("zhong"));
    // ü is written v.
    QCOMPARE(m.pinyinOf(QStringLiteral("女")), QStringLiteral("nv"));
    QCOMPARE(m.pinyinOf(QStringLiteral("绿")), QStringLiteral("lv"));
    // Only the first character counts.
    QCOMPARE(m.pinyinOf(QStringLiteral("侠客")), QStringLiteral("xia"));
    QCOMPARE(m.pinyinTable().size(), 401);
    int count = 0;
    for (const PinyinEntry& e : m.pinyinTable())
        count += e.codePoints.size();
    QCOMPARE(count, 6763);
    QCOMPARE(m.pinyinTable().first().syllable, QStringLiteral("a"));
}

void SensitiveWordsTest::pinyinOfNonHanIsEmpty()
{
    SensitiveWordMatcher m;
    QVERIFY(m.pinyinOf(QString()).isEmpty());
    QVERIFY(m.pinyinTable().isEmpty()); // an empty argument does not load the table
    for (const QString& s : {QStringLiteral("a"), QStringLiteral("7"), QStringLiteral("，"), QStringLiteral("。"),
                             QStringLiteral("ア"), QStringLiteral("\u3400")})
        QVERIFY2(m.pinyinOf(s).isEmpty(), qPrintable(s));
    // A character outside the BMP: only its high surrogate is looked up.
    QVERIFY(m.pinyinOf(QString::fromUcs4(U"\U00020000")).isEmpty());
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

QTEST_GUILESS_MAIN(SensitiveWordsTest)
#include "tst_SensitiveWords.moc"
