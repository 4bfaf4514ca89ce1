// A 1,000,000-character chapter in the editor pane: opening it (until it is
// shown at its end, as a chapter opens), keys in the middle of the chapter
// (a letter, an input-method commit, Enter, Backspace, in turn) and the
// one-second writing tick after them; next to a bare QTextEdit given the
// same text and the same keys in the same run. Figures only.
//
//   bench_long_chapter [keys]

#include "BenchSupport.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextEdit>
#include <QTextStream>

namespace {

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// One key with everything it sets off on the GUI thread, its painting included.
double typeKey(QTextEdit* edit, int i)
{
    QElapsedTimer t;
    t.start();
    switch (i % 4) {
    case 0:
        QTest::keyClick(edit, Qt::Key_A);
        break;
    case 1: {
        // Chinese arrives committed by the input method.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("字"));
        QApplication::sendEvent(edit, &commit);
        break;
    }
    case 2:
        QTest::keyClick(edit, Qt::Key_Return);
        break;
    default:
        QTest::keyClick(edit, Qt::Key_Backspace);
        break;
    }
    QCoreApplication::processEvents();
    // What the key made dirty is painted by the event loop, as on screen.
    return msSince(t);
}

// The caret to the middle of the text, in view.
void toMiddle(QTextEdit* edit)
{
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(edit->document()->characterCount() / 2);
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
    QCoreApplication::processEvents();
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int keys = argc > 1 ? qMax(10, QString::fromLocal8Bit(argv[1]).toInt()) : 100;
    QTextStream out(stdout);
    const QString text = bench::prose(1000000, 31);

    // Baseline: a bare editor.
    double bareOpen = 0;
    QVector<double> bareKeys;
    {
        QTextEdit bare;
        bare.resize(900, 600);
        bare.show();
        (void)QTest::qWaitForWindowExposed(&bare);
        QElapsedTimer t;
        t.start();
        bare.setPlainText(text);
        bare.moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();
        bareOpen = msSince(t);
        bare.setFocus();
        toMiddle(&bare);
        for (int i = 0; i < keys; ++i)
            bareKeys.append(typeKey(&bare, i));
    }

    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    auto* chapter = new T_Chapter;
    chapter->localId = 1;
    chapter->localBookId = 1;
    chapter->content = text;
    chapter->contentLoaded = true;
    chapter->calcWordCount();
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    // The tick looks the chapter up in the model.
    CPublicManager::instance()->bookList.append(book);

    Widget_Creation_Content pane;
    pane.resize(900, 600);
    pane.show();
    (void)QTest::qWaitForWindowExposed(&pane);
    QElapsedTimer t;
    t.start();
    pane.showChapter(book, chapter, true);
    QCoreApplication::processEvents();
    const double open = msSince(t);
    bench::Heartbeat beat;
    beat.start();
    const double afterOpen = beat.runFor(1000);

    Creation_TextEdit* edit = pane.textEdit();
    edit->setFocus();
    toMiddle(edit);
    T_WritingCounters& writing = CPublicManager::instance()->writing;
    QVector<double> paneKeys, ticks;
    for (int i = 0; i < keys; ++i) {
        paneKeys.append(typeKey(edit, i));
        if (i % 5 == 4) {
            // Five keys a second, a brisk pace; the save branches of the
            // tick stay out (no database here).
            writing.active = false;
            writing.started = false;
            writing.idleSeconds = 1000;
            t.start();
            pane.onCreationTimer();
            ticks.append(msSince(t));
        }
    }
    const double bk = bench::median(bareKeys), pk = bench::median(paneKeys), tk = bench::median(ticks);
    out << "long chapter: " << text.size() << " characters, " << keys << " keys (Latin and input-method)\n";
    out << QStringLiteral("  baseline open: bare QTextEdit, text set, caret to the end   %1 ms\n").arg(bareOpen, 8, 'f', 1);
    out << QStringLiteral("  editor pane: chapter shown at its end                       %1 ms  (%2 x baseline)\n")
               .arg(open, 8, 'f', 1).arg(open / bareOpen, 0, 'f', 2);
    out << QStringLiteral("  editor pane: longest GUI stall in the second after opening  %1 ms\n").arg(afterOpen, 8, 'f', 1);
    const double bmax = *std::max_element(bareKeys.begin(), bareKeys.end());
    const double pmax = *std::max_element(paneKeys.begin(), paneKeys.end());
    out << QStringLiteral("  baseline key in the middle: bare QTextEdit, median / max    %1 ms / %2 ms\n")
               .arg(bk, 8, 'f', 3).arg(bmax, 0, 'f', 2);
    out << QStringLiteral("  editor pane key in the middle, median / max                 %1 ms / %2 ms  (%3 x baseline)\n")
               .arg(pk, 8, 'f', 3).arg(pmax, 0, 'f', 2).arg(pk / bk, 0, 'f', 2);
    out << QStringLiteral("  writing tick after five keys, median                        %1 ms\n").arg(tk, 8, 'f', 3);
    out << QStringLiteral("  per key with its share of the tick                          %1 ms\n").arg(pk + tk / 5, 8, 'f', 3);
    pane.dropChapter();
    pane.closeBook();
    CPublicManager::instance()->bookList.removeOne(book);
    delete book;
    return 0;
}
