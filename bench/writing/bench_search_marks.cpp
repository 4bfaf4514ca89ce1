// Marking every occurrence of a one-character query in a 200,000-character
// chapter, and of each further keystroke in the search box, through the
// writing window's search dialog; next to a bare QTextDocument::find loop
// over the same text, and to marking by character formats the way a cursor
// per match would (measured on a sample, scaled). Figures only.
//
//   bench_search_marks [runs]

#include "BenchSupport.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/EditorMarks.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextStream>

namespace {

QString chapterText()
{
    // About one character in 24 is "他", as in the chapter that was measured.
    QString text = bench::prose(200000, 11);
    for (int i = 5; i < text.size(); i += 24) {
        if (text.at(i) != QLatin1Char('\n'))
            text[i] = QChar(0x4ED6);
    }
    return text;
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// A keystroke (a character committed by the input method, as Chinese is
// typed) and everything it sets off on the GUI thread.
double timedKey(QLineEdit* edit, const QString& text)
{
    QElapsedTimer t;
    t.start();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
    QCoreApplication::processEvents();
    return msSince(t);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int runs = argc > 1 ? qMax(3, QString::fromLocal8Bit(argv[1]).toInt()) : 7;
    QTextStream out(stdout);
    out.setCodec("UTF-8");

    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    auto* chapter = new T_Chapter;
    chapter->localId = 1;
    chapter->localBookId = 1;
    chapter->content = chapterText();
    chapter->contentLoaded = true;
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    const QString query = QStringLiteral("他");
    const int expected = chapter->content.count(query);

    Widget_Creation_Content pane;
    pane.resize(1000, 700);
    pane.show();
    (void)QTest::qWaitForWindowExposed(&pane);
    pane.showChapter(book, chapter, true);
    pane.openSearch();
    QLineEdit* box = pane.searchDialog()->searchEdit();

    // Baseline: finding every match with the document's own search, nothing marked.
    QVector<double> bare;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        int found = 0;
        for (QTextCursor c = pane.textEdit()->document()->find(query); !c.isNull();
             c = pane.textEdit()->document()->find(query, c))
            ++found;
        bare.append(msSince(t));
        if (found != expected)
            out << "find loop found " << found << ", expected " << expected << "\n";
    }

    QVector<double> first, further, step;
    for (int r = 0; r < runs; ++r) {
        box->clear();
        pane.clearHighlights();
        QCoreApplication::processEvents();
        first.append(timedKey(box, query));
        if (pane.matchEnds().size() != expected)
            out << "search found " << pane.matchEnds().size() << ", expected " << expected << "\n";
        further.append(timedKey(box, QStringLiteral("的")));
        QElapsedTimer t;
        t.start();
        emit pane.searchDialog()->sig_sreach_btn(SreachNext, QString());
        QCoreApplication::processEvents();
        step.append(msSince(t));
    }
    // Shown at once: what the editor paints for the view, not one selection per match.
    pane.clearHighlights();
    box->clear();
    timedKey(box, query);
    const int painted = pane.textEdit()->extraSelections().size();

    // The earlier way: a character format merged per match, with undo off,
    // and the caret moved to it; measured on a sample of matches.
    const int sample = 400;
    QElapsedTimer t;
    t.start();
    Creation_TextEdit* edit = pane.textEdit();
    int marked = 0;
    for (int end : pane.matchEnds()) {
        if (marked++ == sample)
            break;
        edit->setUndoRedoEnabled(false);
        QTextCursor cursor(edit->document());
        cursor.setPosition(end - 1);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        QTextCharFormat mark;
        mark.setBackground(QColor(QStringLiteral("#81DCB5")));
        cursor.mergeCharFormat(mark);
        cursor.clearSelection();
        edit->setTextCursor(cursor);
        edit->setUndoRedoEnabled(true);
    }
    const double perFormat = msSince(t) / sample;

    const double b = bench::median(bare), f = bench::median(first), k = bench::median(further),
                 s = bench::median(step);
    out << QStringLiteral("search marks in a %1-character chapter, query \"他\" (%2 matches), median of %3 runs\n")
               .arg(chapter->content.size()).arg(expected).arg(runs);
    out << QStringLiteral("  baseline: QTextDocument::find loop, nothing marked   %1 ms\n").arg(b, 8, 'f', 2);
    out << QStringLiteral("  first keystroke: find and mark all matches        %1 ms  (%2 x baseline)\n")
               .arg(f, 8, 'f', 2).arg(f / b, 0, 'f', 2);
    out << QStringLiteral("  further keystroke (\"他的\")                         %1 ms  (%2 x baseline)\n")
               .arg(k, 8, 'f', 2).arg(k / b, 0, 'f', 2);
    out << QStringLiteral("  next match                                        %1 ms\n").arg(s, 8, 'f', 2);
    out << QStringLiteral("  selections painted for the view: %1 of %2 matches\n").arg(painted).arg(expected);
    out << QStringLiteral("  a character format per match (sample of %1): %2 ms each, %3 ms for all matches\n")
               .arg(sample).arg(perFormat, 0, 'f', 3).arg(perFormat * expected, 0, 'f', 0);
    pane.closeBook();
    delete book;
    return 0;
}
