// The star treatment of the sensitive-word panel on a 1,000,000-character
// chapter in the editor pane: the time until the editor shows the treated
// text and the longest stretch the GUI thread is kept from its event loop
// afterwards, next to the word-by-word replacement of the same hits (the
// text replaced word by word, then set into a bare QTextEdit) in the same
// run. Figures only; the texts are compared.
//
//   bench_treatment [runs]

#include "BenchSupport.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/SensitiveWordMatcher.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QTest>
#include <QTextEdit>
#include <QTextStream>

namespace {

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    QTextStream out(stdout);
    const QString text = bench::prose(1000000, 51);

    // Two-character words of the text itself, a few hits each.
    SensitiveWordMatcher& matcher = CPublicManager::instance()->sensitiveMatcher;
    QStringList words;
    for (int at = 1000; words.size() < 115; at += 3331) {
        const QString word = text.mid(at, 2);
        if (!word.contains(QChar(0x3000)) && !word.contains(QLatin1Char('\n')) && !words.contains(word))
            words.append(word);
    }
    matcher.setWords(words.join(QChar(0x3001)));
    // The pane's own checks use the author's lists too.
    CPublicManager::instance()->userConf.systemConf.sensitiveStatus = 3;

    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    auto* chapter = new T_Chapter;
    chapter->localId = 1;
    chapter->localBookId = 1;
    chapter->content = text;
    chapter->contentLoaded = true;
    chapter->calcWordCount();
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    CPublicManager::instance()->bookList.append(book);

    Widget_Creation_Content pane;
    pane.resize(900, 600);
    pane.show();
    (void)QTest::qWaitForWindowExposed(&pane);
    QTextEdit bare;
    bare.resize(900, 600);
    bare.show();
    (void)QTest::qWaitForWindowExposed(&bare);

    QVector<double> treated, treatedStall, plain;
    int hits = 0;
    bool same = true;
    for (int r = 0; r < runs; ++r) {
        // The treated text of the previous run is let go, as never saved.
        pane.dropChapter();
        pane.showChapter(book, chapter, true);
        QCoreApplication::processEvents();
        hits = matcher.scan(pane.toPlainText(), 3);
        const QList<SensitiveWordHit> found = matcher.results();
        {
            QElapsedTimer t;
            t.start();
            const QString byWord = matcher.applyTreatmentWordByWord(text, found, 3, nullptr);
            bare.show();
            bare.setPlainText(byWord);
            QCoreApplication::processEvents();
            plain.append(msSince(t));
            // Out of the way of the pane's measurement.
            bare.hide();
            bare.clear();
            QCoreApplication::processEvents();
            bench::Heartbeat beat;
            beat.start();
            QElapsedTimer shown;
            shown.start();
            pane.showSensitiveWords(3);
            QCoreApplication::processEvents();
            treated.append(msSince(shown));
            treatedStall.append(qMax(beat.runFor(1000), treated.last()));
            same = same && pane.toPlainText() == byWord;
        }
    }
    const double p = bench::median(plain), f = bench::median(treated);
    out << "star treatment: " << text.size() << " characters, " << hits << " hits of " << words.size()
        << " words, median of " << runs << " runs\n";
    out << QStringLiteral("  baseline: word-by-word replacement set into a bare QTextEdit  %1 ms\n").arg(p, 8, 'f', 1);
    out << QStringLiteral("  editor pane: treatment until shown                            %1 ms  (%2 x baseline; same text: %3)\n")
               .arg(f, 8, 'f', 1).arg(f / p, 0, 'f', 2).arg(same ? "yes" : "NO");
    out << QStringLiteral("  editor pane: longest GUI stall from the treatment on          %1 ms\n")
               .arg(bench::median(treatedStall), 8, 'f', 1);
    pane.dropChapter();
    pane.closeBook();
    CPublicManager::instance()->bookList.removeOne(book);
    delete book;
    return 0;
}
