// The text-diff engine: its results on the edge cases the time machine meets,
// its helpers, and that every result rebuilds both texts.

#include "common/DiffMatchPatch.h"

#include <QTest>

namespace {
QList<Diff> diffs(std::initializer_list<Diff> list)
{
    return QList<Diff>(list);
}

QString show(const QList<Diff>& list)
{
    QStringList parts;
    for (const Diff& d : list)
        parts.append(d.toString());
    return parts.join(QLatin1Char(','));
}
}

#define COMPARE_DIFFS(actual, expected) QCOMPARE(show(actual), show(expected))

class TextDiffTest : public QObject
{
    Q_OBJECT
private slots:
    void emptyAndIdenticalTexts();
    void insertAndDeleteAtTheEnds();
    void singleUnitAndContainment();
    void mergeNormalisesTheList();
    void commonOverlapAndScores();
    void cjkTextsDiffByCharacter();
    void longTextsGoThroughTheLinePassAndRebuildBothTexts();
    void passedDeadlineGivesCoarseButCorrectResult();
    void moreLinesThanCodesNeverWrap();
    void nullInputRaisesAnError();
    void cleanupSemanticRemovesSmallEqualities();
};

void TextDiffTest::emptyAndIdenticalTexts()
{
    DiffMatchPatch dmp;
    QVERIFY(dmp.diff_main(QStringLiteral(""), QStringLiteral(""), true).isEmpty());
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abc"), QStringLiteral("abc"), true), diffs({Diff(EQUAL, "abc")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abc"), QStringLiteral(""), true), diffs({Diff(DELETE, "abc")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral(""), QStringLiteral("abc"), true), diffs({Diff(INSERT, "abc")}));
}

void TextDiffTest::insertAndDeleteAtTheEnds()
{
    DiffMatchPatch dmp;
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abcxyz"), QStringLiteral("abcdxyz"), false),
                  diffs({Diff(EQUAL, "abc"), Diff(INSERT, "d"), Diff(EQUAL, "xyz")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abc"), QStringLiteral("xabc"), false),
                  diffs({Diff(INSERT, "x"), Diff(EQUAL, "abc")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abc"), QStringLiteral("abcx"), false),
                  diffs({Diff(EQUAL, "abc"), Diff(INSERT, "x")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("xabc"), QStringLiteral("abc"), false),
                  diffs({Diff(DELETE, "x"), Diff(EQUAL, "abc")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("abcx"), QStringLiteral("abc"), false),
                  diffs({Diff(EQUAL, "abc"), Diff(DELETE, "x")}));
}

void TextDiffTest::singleUnitAndContainment()
{
    DiffMatchPatch dmp;
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("a"), QStringLiteral("b"), false),
                  diffs({Diff(DELETE, "a"), Diff(INSERT, "b")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("xaby"), QStringLiteral("ab"), false),
                  diffs({Diff(DELETE, "x"), Diff(EQUAL, "ab"), Diff(DELETE, "y")}));
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("ab"), QStringLiteral("xaby"), false),
                  diffs({Diff(INSERT, "x"), Diff(EQUAL, "ab"), Diff(INSERT, "y")}));
    // The classic example through the bisection.
    COMPARE_DIFFS(dmp.diff_main(QStringLiteral("cat"), QStringLiteral("map"), false),
                  diffs({Diff(DELETE, "c"), Diff(INSERT, "m"), Diff(EQUAL, "a"), Diff(DELETE, "t"), Diff(INSERT, "p")}));
}

void TextDiffTest::mergeNormalisesTheList()
{
    DiffMatchPatch dmp;
    QList<Diff> list = diffs({Diff(DELETE, "a"), Diff(INSERT, "b"), Diff(DELETE, "c"), Diff(INSERT, "d")});
    dmp.diff_cleanupMerge(list);
    COMPARE_DIFFS(list, diffs({Diff(DELETE, "ac"), Diff(INSERT, "bd")}));

    list = diffs({Diff(EQUAL, "a"), Diff(INSERT, "ba"), Diff(EQUAL, "c")});
    dmp.diff_cleanupMerge(list);
    COMPARE_DIFFS(list, diffs({Diff(INSERT, "ab"), Diff(EQUAL, "ac")}));

    list = diffs({Diff(EQUAL, "a"), Diff(EQUAL, "b"), Diff(EQUAL, "c")});
    dmp.diff_cleanupMerge(list);
    COMPARE_DIFFS(list, diffs({Diff(EQUAL, "abc")}));

    // Common prefix and suffix of a replacement are factored out.
    list = diffs({Diff(DELETE, "a"), Diff(INSERT, "abc"), Diff(DELETE, "dc")});
    dmp.diff_cleanupMerge(list);
    COMPARE_DIFFS(list, diffs({Diff(EQUAL, "a"), Diff(DELETE, "d"), Diff(INSERT, "b"), Diff(EQUAL, "c")}));

    QList<Diff> empty;
    dmp.diff_cleanupMerge(empty);
    QVERIFY(empty.isEmpty());
}

void TextDiffTest::commonOverlapAndScores()
{
    DiffMatchPatch dmp;
    QCOMPARE(dmp.diff_commonOverlap(QStringLiteral("abc"), QStringLiteral("abcd")), 3);
    QCOMPARE(dmp.diff_commonOverlap(QStringLiteral("xyz"), QStringLiteral("abcd")), 0);
    QCOMPARE(dmp.diff_commonOverlap(QStringLiteral("abcxxx"), QStringLiteral("xxxdef")), 3);
    QCOMPARE(dmp.diff_commonOverlap(QStringLiteral(""), QStringLiteral("abcd")), 0);
    QCOMPARE(dmp.diff_commonPrefix(QStringLiteral("1234abcdef"), QStringLiteral("1234xyz")), 4);
    QCOMPARE(dmp.diff_commonSuffix(QStringLiteral("abcdef1234"), QStringLiteral("xyz1234")), 4);
    QCOMPARE(dmp.diff_commonSuffix(QStringLiteral("1234"), QStringLiteral("xyz1234")), 4);

    QCOMPARE(dmp.diff_cleanupSemanticScore(QString(), QStringLiteral("a")), 6);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a"), QString()), 6);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a\n"), QStringLiteral("b")), 4);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a\n\n"), QStringLiteral("b")), 5);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("end."), QStringLiteral(" b")), 3);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a "), QStringLiteral("b")), 2);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a,"), QStringLiteral("b")), 1);
    QCOMPARE(dmp.diff_cleanupSemanticScore(QStringLiteral("a"), QStringLiteral("b")), 0);
}

void TextDiffTest::cjkTextsDiffByCharacter()
{
    DiffMatchPatch dmp;
    const QString before = QStringLiteral("他走进了山门，看见一位老人。");
    const QString after = QStringLiteral("他慢慢走进了山门，看见两位老人。");
    const QList<Diff> result = dmp.diff_main(before, after, true);
    COMPARE_DIFFS(result, diffs({Diff(EQUAL, "他"), Diff(INSERT, "慢慢"), Diff(EQUAL, "走进了山门，看见"),
                                 Diff(DELETE, "一"), Diff(INSERT, "两"), Diff(EQUAL, "位老人。")}));
    QCOMPARE(DiffMatchPatch::diff_text1(result), before);
    QCOMPARE(DiffMatchPatch::diff_text2(result), after);

    // A character outside the BMP is two units; the result still rebuilds both texts.
    const QString astral = QString::fromUcs4(U"前\U00020000后");
    const QList<Diff> r2 = dmp.diff_main(astral, QStringLiteral("前后"), true);
    QCOMPARE(DiffMatchPatch::diff_text1(r2), astral);
    QCOMPARE(DiffMatchPatch::diff_text2(r2), QStringLiteral("前后"));
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

    QStringList lineArray;
    const QStringList chars = dmp.diff_linesToChars(QStringLiteral("a\nb\na\n"), QStringLiteral("b\nc"), lineArray);
    QCOMPARE(lineArray, (QStringList{QString(), QStringLiteral("a\n"), QStringLiteral("b\n"), QStringLiteral("c")}));
    QCOMPARE(chars.at(0), QString() + QChar(1) + QChar(2) + QChar(1));
    QCOMPARE(chars.at(1), QString() + QChar(2) + QChar(3));
}

void TextDiffTest::passedDeadlineGivesCoarseButCorrectResult()
{
    DiffMatchPatch dmp;
    const QList<Diff> result = dmp.diff_bisect(QStringLiteral("cat"), QStringLiteral("map"), 0);
    COMPARE_DIFFS(result, diffs({Diff(DELETE, "cat"), Diff(INSERT, "map")}));
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
    bool raised = false;
    try {
        dmp.diff_main(QString(), QStringLiteral("a"), true);
    } catch (const DiffError& e) {
        raised = true;
        QCOMPARE(e.message(), QStringLiteral("Null inputs. (diff_main)"));
    }
    QVERIFY(raised);
    // Empty (not null) texts are fine, and no inner step passes a null text on.
    QVERIFY(dmp.diff_main(QStringLiteral(""), QStringLiteral(""), true).isEmpty());
    QCOMPARE(dmp.diff_main(QStringLiteral("ab"), QStringLiteral("ba"), true).size(), 3);

}

void TextDiffTest::cleanupSemanticRemovesSmallEqualities()
{
    DiffMatchPatch dmp;
    QList<Diff> list = diffs({Diff(DELETE, "a"), Diff(EQUAL, "b"), Diff(DELETE, "c")});
    dmp.diff_cleanupSemantic(list);
    COMPARE_DIFFS(list, diffs({Diff(DELETE, "abc"), Diff(INSERT, "b")}));

    list = diffs({Diff(DELETE, "ab"), Diff(INSERT, "cd"), Diff(EQUAL, "12"), Diff(DELETE, "e")});
    dmp.diff_cleanupSemantic(list);
    COMPARE_DIFFS(list, diffs({Diff(DELETE, "ab"), Diff(INSERT, "cd"), Diff(EQUAL, "12"), Diff(DELETE, "e")}));

    // Overlap: a deletion ending in what the insertion starts with.
    list = diffs({Diff(DELETE, "abcxxx"), Diff(INSERT, "xxxdef")});
    dmp.diff_cleanupSemantic(list);
    COMPARE_DIFFS(list, diffs({Diff(DELETE, "abc"), Diff(EQUAL, "xxx"), Diff(INSERT, "def")}));

    // Lossless shift to a word boundary.
    list = diffs({Diff(EQUAL, "The c"), Diff(INSERT, "ow and the c"), Diff(EQUAL, "at.")});
    dmp.diff_cleanupSemanticLossless(list);
    COMPARE_DIFFS(list, diffs({Diff(EQUAL, "The "), Diff(INSERT, "cow and the "), Diff(EQUAL, "cat.")}));

    QList<Diff> empty;
    dmp.diff_cleanupSemantic(empty);
    QVERIFY(empty.isEmpty());
}

QTEST_GUILESS_MAIN(TextDiffTest)
#include "tst_TextDiff.moc"
