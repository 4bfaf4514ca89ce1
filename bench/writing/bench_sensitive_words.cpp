// Checking a 1,000,000-character text against 5,000 listed words with the
// word automaton, next to the word-by-word scan (one substring search per
// word) in the same run; then each replacing treatment in one pass, next to
// one whole-text replacement per word and to one per hit (measured on a
// sample, scaled). Every fast result is compared with its plain one.
//
//   bench_sensitive_words [runs]

#include "BenchSupport.h"

#include "manager/SensitiveWordMatcher.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

bool sameHits(const QList<SensitiveWordHit>& a, const QList<SensitiveWordHit>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i).position != b.at(i).position || a.at(i).length != b.at(i).length || a.at(i).word != b.at(i).word)
            return false;
    }
    return true;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    QTextStream out(stdout);
    out.setCodec("UTF-8");

    const QString text = bench::prose(1000000, 3);
    // 5,000 words of two to four characters drawn from the same characters,
    // some of them inside others; two-character ones hit often.
    QRandomGenerator random(5);
    const QString& chars = bench::alphabet();
    QStringList words;
    for (int i = 0; i < 5000; ++i) {
        const int length = i < 4500 ? 2 : 3 + random.bounded(2);
        QString word;
        for (int k = 0; k < length; ++k)
            word += chars.at(random.bounded(chars.size()));
        words.append(word);
    }
    const QChar comma(0x3001);
    SensitiveWordMatcher matcher;
    QElapsedTimer t;
    t.start();
    matcher.setWords(words.mid(0, 4000).join(comma));
    matcher.setCustomWords(words.mid(4000).join(comma));
    const double build = msSince(t);

    QVector<double> fast, plain;
    QList<SensitiveWordHit> reference;
    int count = 0;
    for (int r = 0; r < runs; ++r) {
        t.start();
        count = matcher.scan(text, 3);
        fast.append(msSince(t));
        t.start();
        reference = SensitiveWordMatcher::scanWordByWord(matcher.wordIndex(), matcher.customWords(), text, 3);
        plain.append(msSince(t));
    }
    const bool same = sameHits(matcher.results(), reference);
    const double f = bench::median(fast), p = bench::median(plain);
    out << "sensitive words: " << text.size() << " characters, " << words.size() << " words, " << count
        << " hits, median of " << runs << " runs\n";
    out << QStringLiteral("  automata built once for both lists          %1 ms\n").arg(build, 9, 'f', 1);
    out << QStringLiteral("  baseline: one substring search per word     %1 ms\n").arg(p, 9, 'f', 1);
    out << QStringLiteral("  word automaton, one pass per list           %1 ms  (%2 x faster; same hits: %3)\n")
               .arg(f, 9, 'f', 1).arg(p / f, 0, 'f', 1).arg(same ? "yes" : "NO");

    const QList<SensitiveWordHit> hits = matcher.results();
    const char* names[] = {"", "", "pinyin", "stars", "dashes"};
    for (int treatment = 2; treatment <= 4; ++treatment) {
        int c1 = 0, c2 = 0;
        t.start();
        const QString one = matcher.applyTreatment(text, hits, treatment, &c1);
        const double onePass = msSince(t);
        t.start();
        const QString byWord = matcher.applyTreatmentWordByWord(text, hits, treatment, &c2);
        const double wordByWord = msSince(t);
        // The earlier treatment replaced through the whole text once per hit.
        const int sample = 200;
        QString perHit = text;
        t.start();
        for (int i = 0; i < sample && i < hits.size(); ++i)
            perHit.replace(hits.at(i).word, matcher.replacementOf(hits.at(i).word, treatment));
        const double perHitMs = msSince(t) / sample * hits.size();
        out << QStringLiteral("  treatment %1 (%2): one pass %3 ms, word by word %4 ms, per hit ~%5 ms; same text: %6\n")
                   .arg(treatment)
                   .arg(QLatin1String(names[treatment]))
                   .arg(onePass, 0, 'f', 1)
                   .arg(wordByWord, 0, 'f', 1)
                   .arg(perHitMs, 0, 'f', 0)
                   .arg(one == byWord && c1 == c2 ? "yes" : "NO");
    }
    return 0;
}
