// Cost of the writing tick on a 200,000-character chapter, with and without
// an edit since the previous tick, next to what a tick that copies and counts
// the whole text every second would cost (one toPlainText plus one count) and
// next to one 60 Hz frame. Figures only.
//
//   bench_creation_tick [iterations]

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

namespace {

double medianOf(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

QString chapterText()
{
    static const QString line = QStringLiteral("　　天色渐晚，山路上只剩他一个人，风从谷底吹上来，带着松脂的气味。\n");
    QString text;
    text.reserve(200000 + line.size());
    while (text.size() < 200000)
        text += line;
    text.truncate(200000);
    return text;
}

void quiet(T_WritingCounters& writing)
{
    // Keeps the tick away from its save branches: the bench has no database.
    writing.active = false;
    writing.started = false;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int iterations = argc > 1 ? qMax(10, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    QTextStream out(stdout);

    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    auto* chapter = new T_Chapter;
    chapter->localId = 1;
    chapter->localBookId = 1;
    chapter->name = QStringLiteral("第一章");
    chapter->content = chapterText();
    chapter->contentLoaded = true;
    chapter->calcWordCount();
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    // The pane looks its chapter up in the model, as in the program.
    CPublicManager::instance()->bookList.append(book);

    Widget_Creation_Content pane;
    pane.resize(900, 600);
    pane.show();
    T_WritingCounters& writing = CPublicManager::instance()->writing;
    pane.showChapter(book, chapter, true);
    Creation_TextEdit* edit = pane.textEdit();
    QElapsedTimer timer;

    QVector<double> bare, unchanged, changed;
    for (int i = 0; i < iterations; ++i) {
        timer.start();
        const QString text = edit->toPlainText();
        volatile int words = CUiManager::wordCount(text);
        (void)words;
        bare.append(timer.nsecsElapsed() / 1000.0);
    }
    for (int i = 0; i < iterations; ++i) {
        quiet(writing);
        timer.start();
        pane.onCreationTimer();
        unchanged.append(timer.nsecsElapsed() / 1000.0);
    }
    for (int i = 0; i < iterations; ++i) {
        QTextCursor cursor(edit->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("字"));
        quiet(writing);
        timer.start();
        pane.onCreationTimer();
        changed.append(timer.nsecsElapsed() / 1000.0);
    }

    const double frame = 1000000.0 / 60.0;
    const double b = medianOf(bare), u = medianOf(unchanged), c = medianOf(changed);
    out << "writing tick on a " << chapter->content.size() << "-character chapter, " << iterations
        << " ticks each, median per tick\n";
    out << QStringLiteral("  baseline: copy and count the whole text   %1 us\n").arg(b, 9, 'f', 1);
    out << QStringLiteral("  tick, text unchanged                       %1 us  (%2 x baseline, %3 of a 60 Hz frame)\n")
               .arg(u, 9, 'f', 1).arg(u / b, 0, 'f', 4).arg(u / frame, 0, 'f', 5);
    out << QStringLiteral("  tick, one character typed since the last   %1 us  (%2 x baseline, %3 of a 60 Hz frame)\n")
               .arg(c, 9, 'f', 1).arg(c / b, 0, 'f', 3).arg(c / frame, 0, 'f', 4);
    pane.closeBook();
    CPublicManager::instance()->bookList.removeOne(book);
    delete book;
    return 0;
}
