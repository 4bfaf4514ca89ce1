// The text-diff engine on the time machine's edge cases; every result rebuilds both texts.

#include "common/DiffMatchPatch.h"

#include <QTest>

namespace {
// A diff list as comparable text: "=abc,-x,+y".
QString show(const QList<Diff>& list)
{
    QStringList parts;
    for (const Diff& d : list)
        parts.append((d.operation == EQUAL ? QStringLiteral("=") : d.operation == DELETE ? QStringLiteral("-")
                                                                                          : QStringLiteral("+"))
                     + d.text);
    return parts.join(QLatin1Char(','));
}

}

class TextDiffTest : public QObject
{
    Q_OBJECT
private slots:
    void diffOfTwoTexts_data();
    void diffOfTwoTexts();
    void longTextsGoThroughTheLinePassAndRebuildBothTexts();
    void passedDeadlineGivesCoarseButCorrectResult();
    void moreLinesThanCodesNeverWrap();
    void nullInputRaisesAnError();
};

void TextDiffTest::diffOfTwoTexts_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both empty") << QStringLiteral("") << QStringLiteral("") << QString();
    QTest::newRow("identical") << "abc" << "abc" << "=abc";
    QTest::newRow("all deleted") << "abc" << QStringLiteral("") << "-abc";
    QTest::newRow("insert inside") << "abcxyz" << "abcdxyz" << "=abc,+d,=xyz";
    QTest::newRow("one unit") << "a" << "b" << "-a,+b";
    QTest::newRow("contained") << "xaby" << "ab" << "-x,=ab,-y";
    QTest::newRow("containing") << "ab" << "xaby" << "+x,=ab,+y";
    QTest::newRow("through the bisection") << "cat" << "map" << "-c,+m,=a,-t,+p";
    QTest::newRow("by character") << QStringLiteral("他走进了山门，看见一位老人。")
                                   << QStringLiteral("他慢慢走进了山门，看见两位老人。")
                                   << QStringLiteral("=他,+慢慢,=走进了山门，看见,-一,+两,=位老人。");
    // A character outside the basic plane is two units.
    QTest::newRow("outside the basic plane") << QString::fromUcs4(U"前\U00020000后") << QStringLiteral("前后")
                                             << QString::fromUcs4(U"=前,-\U00020000,=后");
}

void TextDiffTest::diffOfTwoTexts()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    DiffMatchPatch dmp;
    const QList<Diff> result = dmp.diff_main(before, after, true);
    QCOMPARE(show(result), expected);
    QCOMPARE(DiffMatchPatch::diff_text1(result), before);
    QCOMPARE(DiffMatchPatch::diff_text2(result), after);
}

void TextDiffTest::longTextsGoThroughTheLinePassAndRebuildBothTexts()
{
    DiffMatchPatch dmp;
    QString a;
    QString b;
    for (int i = 0; i < 60; ++i) {
        a += QStringLiteral("第%1段，山风吹过竹林。\n").arg(i);
        b += (i % 7 == 3) ? QStringLiteral("改写的第%1段。\n").arg(i) : QStringLiteral("第%1段，山风吹过竹林。\n").arg(i);
    }
    b += QStringLiteral("新的结尾");
    const QList<Diff> result = dmp.diff_main(a, b, true);
    QCOMPARE(DiffMatchPatch::diff_text1(result), a);
    QCOMPARE(DiffMatchPatch::diff_text2(result), b);
    QVERIFY(result.size() > 3);
    for (const Diff& d : result)
        QVERIFY(!d.text.isEmpty());
    // The line pass on its own keeps the texts too.
    const QList<Diff> lines = dmp.diff_lineMode(a, b, DiffMatchPatch::nowMs() + 1000);
    QCOMPARE(DiffMatchPatch::diff_text1(lines), a);
    QCOMPARE(DiffMatchPatch::diff_text2(lines), b);
}

void TextDiffTest::passedDeadlineGivesCoarseButCorrectResult()
{
    DiffMatchPatch dmp;
    QCOMPARE(show(dmp.diff_bisect(QStringLiteral("cat"), QStringLiteral("map"), 0)), QStringLiteral("-cat,+map"));
    const QList<Diff> all = dmp.diff_main(QStringLiteral("abcdefgh"), QStringLiteral("hgfedcba"), false, 0);
    QCOMPARE(DiffMatchPatch::diff_text1(all), QStringLiteral("abcdefgh"));
    QCOMPARE(DiffMatchPatch::diff_text2(all), QStringLiteral("hgfedcba"));
}

void TextDiffTest::moreLinesThanCodesNeverWrap()
{
    DiffMatchPatch dmp;
    QString a;
    QString b;
    for (int i = 0; i < 70000; ++i) {
        a += QString::number(i) + QLatin1Char('\n');
        b += QString::number(i * 3) + QLatin1Char('\n');
    }
    QStringList lineArray;
    const QStringList chars = dmp.diff_linesToChars(a, b, lineArray);
    QVERIFY(lineArray.size() <= 65536);
    // Decoding gives back both texts exactly.
    QList<Diff> encoded{Diff(DELETE, chars.at(0)), Diff(INSERT, chars.at(1))};
    dmp.diff_charsToLines(encoded, lineArray);
    QCOMPARE(encoded.at(0).text, a);
    QCOMPARE(encoded.at(1).text, b);
    // Text1 leaves room for text2: its first 40,000 lines have codes, the rest is one line.
    QCOMPARE(chars.at(0).size(), 40000);
    const QList<Diff> lines = dmp.diff_lineMode(a, b, DiffMatchPatch::nowMs() + 1000);
    QCOMPARE(DiffMatchPatch::diff_text1(lines), a);
    QCOMPARE(DiffMatchPatch::diff_text2(lines), b);
}

void TextDiffTest::nullInputRaisesAnError()
{
    DiffMatchPatch dmp;
    QString message;
    try {
        dmp.diff_main(QString(), QStringLiteral("a"), true);
    } catch (const DiffError& e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("Null inputs. (diff_main)"));
    // No inner step passes a null text on.
    QCOMPARE(dmp.diff_main(QStringLiteral("ab"), QStringLiteral("ba"), true).size(), 3);
}

QTEST_GUILESS_MAIN(TextDiffTest)
#include "tst_TextDiff.moc"
