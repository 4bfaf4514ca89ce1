// Saving a 1,000,000-character chapter in the writing window of a signed-in
// author, the synchronisation on and the stand-in platform answering: its
// row, the book's last-edited chapter and the pending job in one
// transaction, then the request that carries it to the platform, after one
// key in the middle. Next to a bare UPDATE of the same text into the
// chapter's row in the same run. Two ways: the writing tick's save, whose
// commit runs on the database's worker (timed from its start to the editor
// learning that it is stored), and the save on the GUI thread that showing
// another chapter makes. For each, the longest stretch the GUI thread is
// kept from its event loop from the save's start until the platform's answer
// was taken in. Each timed write starts after the other connection
// committed, so it reads the row's old pages from the file, as the author's
// saves do after the writes between them. Figures only.
//
//   bench_chapter_save [saves]
//   bench_chapter_save --versus OTHER [--pairs N] [saves]
//
// With --versus, OTHER is this benchmark built against another tree (the
// previous build: scripts/bench.sh --baseline REV builds it): the two run in
// turn, each a process of its own, OTHER first, N pairs (5 by default), and
// each figure is given for both with the ratio pair by pair.

#include "AreaMain.h"
#include "BenchSupport.h"
#include "CreationFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "remote/CTessaneHttp.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QProcess>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

// The figures of one process, in the order they are printed.
const char* const kFigureNames[] = {
    "baseline: bare UPDATE of the row with the text bound",
    "tick's save: start to stored (row, book, job on worker)",
    "tick's save: longest GUI stall until answered",
    "GUI-thread save: saveChapter (row, book, job, request)",
    "GUI-thread save: longest GUI stall until answered",
};
constexpr int kFigures = int(sizeof(kFigureNames) / sizeof(kFigureNames[0]));
const char kFiguresMark[] = "figures:";

// An author's saves come seconds apart, and the log is copied back into the
// file a quarter of a second after each. Back to back here, the baseline's
// pages would still be in the log when the save commits, and SQLite's own
// copy at the log's bound would land on the save; each timed write starts
// from a copied-back log instead.
void copyLogBack(CTessaneDb* db)
{
    db->settleCheckpoint();
    db->exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE);"));
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

void commit(Creation_TextEdit* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

void commitInMiddle(Creation_TextEdit* edit, int i)
{
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(edit->document()->characterCount() / 2);
    edit->setTextCursor(cursor);
    commit(edit, i % 2 == 0 ? QStringLiteral("字") : QStringLiteral("词"));
}

// No chapter save waits and no reply is outstanding: the platform took the
// last save. (The writing statistics a save records go with the next pass.)
bool answered()
{
    const QList<int> types = BooksFixture::jobTypes();
    return !types.contains(1016) && !types.contains(1017) && CTessaneHttp::instance()->outstandingReplies() == 0;
}

// Runs the event loop until the platform answered (or two minutes passed), with the
// heartbeat on from before the save; the longest gap in ms, negative when no
// answer came.
double stallUntilAnswered(bench::Heartbeat& beat)
{
    QElapsedTimer wall;
    wall.start();
    while (!answered() && wall.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const bool ok = answered();
    // What the answer sets going runs in the turns just after it.
    const double longest = beat.runFor(50);
    // The stand-in keeps every request's body; three megabytes a save.
    standin().clearJournal();
    return ok ? longest : -1;
}

int measure(int argc, char** argv)
{
    int saves = 15;
    bool figuresOnly = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--figures"))
            figuresOnly = true;
        else if (arg.toInt() > 0)
            saves = qMax(3, arg.toInt());
    }
    QTextStream out(stdout);
    const QString text = bench::prose(1000000, 41);

    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("长篇"), true);
    if (book == nullptr) {
        out << "the writing window did not open on a book of the platform\n";
        return 1;
    }
    Widget_Creation_Content* pane = f.pane();
    Creation_TextEdit* edit = f.editor();
    QApplication::setActiveWindow(f.window());
    edit->setFocus();
    // The chapter's words, stored and on the platform before the timed saves.
    commit(edit, text);
    QCoreApplication::processEvents();
    bench::Heartbeat settle;
    settle.start();
    if (!pane->saveChapter(true) || stallUntilAnswered(settle) < 0) {
        QStringList types;
        for (int type : BooksFixture::jobTypes())
            types << QString::number(type);
        out << "the chapter's text was not stored or not answered (jobs left: " << types.join(QLatin1Char(','))
            << "; replies outstanding: " << CTessaneHttp::instance()->outstandingReplies()
            << "; editor: " << edit->toPlainText().size() << " characters) " << CJobManager::instance()->lastError() << "\n";
        return 1;
    }
    const int localChapterId = pane->currentChapter()->localId;
    CTessaneDb* db = CTessaneDb::instance();

    QVector<double> figures[kFigures];
    int failed = 0;
    int unanswered = 0;
    for (int i = 0; i < saves; ++i) {
        // The tick's save: started here, stored when the pane says so.
        commitInMiddle(edit, 3 * i);
        QCoreApplication::processEvents();
        copyLogBack(db);
        {
            bench::Heartbeat beat;
            beat.start();
            QElapsedTimer t;
            double took = -1;
            bool ok = false;
            const QMetaObject::Connection saved = QObject::connect(
                pane, &Widget_Creation_Content::sig_chapterSaved, [&](bool result) {
                    took = msSince(t);
                    ok = result;
                });
            QTimer::singleShot(0, [&]() {
                t.start();
                if (!pane->saveChapterInBackground())
                    took = 0;
            });
            // Stored first, then answered.
            QElapsedTimer wall;
            wall.start();
            while (took < 0 && wall.elapsed() < 120000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const double stall = stallUntilAnswered(beat);
            QObject::disconnect(saved);
            if (!ok)
                ++failed;
            if (stall < 0)
                ++unanswered;
            figures[1].append(took);
            figures[2].append(stall);
        }

        // Baseline: the editor's text, bound into one UPDATE of the row. Like
        // the tick's save before it, it starts with a page cache that the
        // other connection's commit made stale.
        commitInMiddle(edit, 3 * i + 1);
        const QString current = edit->toPlainText();
        copyLogBack(db);
        {
            QElapsedTimer t;
            t.start();
            QSqlQuery query = db->newQuery();
            query.prepare(QStringLiteral("update tb_chapter_text set content = ? where localId = ?"));
            query.addBindValue(current);
            query.addBindValue(localChapterId);
            query.exec();
            figures[0].append(msSince(t));
        }

        // The GUI thread's save.
        commitInMiddle(edit, 3 * i + 2);
        QCoreApplication::processEvents();
        copyLogBack(db);
        bench::Heartbeat beat;
        beat.start();
        double took = 0;
        QTimer::singleShot(0, [&]() {
            QElapsedTimer t;
            t.start();
            if (!pane->saveChapter(true))
                ++failed;
            took = msSince(t);
        });
        while (took == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double stall = stallUntilAnswered(beat);
        if (stall < 0)
            ++unanswered;
        figures[3].append(took);
        figures[4].append(stall);
    }

    double medians[kFigures];
    for (int k = 0; k < kFigures; ++k)
        medians[k] = bench::median(figures[k]);
    if (figuresOnly) {
        out << kFiguresMark;
        for (double m : medians)
            out << ' ' << QString::number(m, 'f', 3);
        out << "\n";
    } else {
        const double b = medians[0];
        out << "chapter save, signed in, the stand-in answering: " << text.size() << " characters, median of "
            << saves << " saves\n";
        for (int k = 0; k < kFigures; ++k) {
            out << QStringLiteral("  %1 %2 ms").arg(QLatin1String(kFigureNames[k]), -58).arg(medians[k], 8, 'f', 1);
            if (k == 1 || k == 3)
                out << QStringLiteral("  (%1 x baseline)").arg(medians[k] / b, 0, 'f', 2);
            out << "\n";
        }
    }
    if (failed > 0)
        out << "  " << failed << " saves failed: " << CJobManager::instance()->lastError() << "\n";
    if (unanswered > 0)
        out << "  " << unanswered << " saves not answered by the platform in two minutes\n";
    return 0;
}

// One process of the benchmark built from a tree: its figures, empty when it
// printed none.
QVector<double> runOnce(const QString& program, const QStringList& arguments, QTextStream& out)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, QStringList{QStringLiteral("--figures")} + arguments);
    if (!process.waitForFinished(600000)) {
        process.kill();
        process.waitForFinished();
    }
    QVector<double> figures;
    const QString printed = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const QString& line : printed.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String(kFiguresMark))) {
            if (!line.trimmed().isEmpty())
                out << "  (" << QFileInfo(program).path() << ") " << line << "\n";
            continue;
        }
        for (const QString& value : line.mid(int(sizeof(kFiguresMark)) - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            figures.append(value.toDouble());
    }
    return figures.size() == kFigures ? figures : QVector<double>();
}

// This build against another, in turn, each run a process of its own.
int versus(const QString& other, int pairs, const QStringList& arguments)
{
    QTextStream out(stdout);
    const QString self = QCoreApplication::applicationFilePath();
    QVector<double> mine[kFigures], theirs[kFigures], ratios[kFigures];
    for (int pair = 0; pair < pairs; ++pair) {
        const QVector<double> b = runOnce(other, arguments, out);
        const QVector<double> a = runOnce(self, arguments, out);
        if (a.isEmpty() || b.isEmpty()) {
            out << "pair " << pair + 1 << ": a run gave no figures\n";
            continue;
        }
        for (int k = 0; k < kFigures; ++k) {
            mine[k].append(a.at(k));
            theirs[k].append(b.at(k));
            ratios[k].append(b.at(k) > 0 ? a.at(k) / b.at(k) : 0);
        }
    }
    if (mine[0].isEmpty())
        return 1;
    const auto range = [](QVector<double> values, int precision) {
        std::sort(values.begin(), values.end());
        return QStringLiteral("%1 (%2-%3)")
            .arg(bench::median(values), 0, 'f', precision)
            .arg(values.first(), 0, 'f', precision)
            .arg(values.last(), 0, 'f', precision);
    };
    out << "chapter save, signed in, the stand-in answering: this build next to " << other << ", "
        << mine[0].size() << " pairs run in turn; each run's median, then the median (min-max) over the runs\n";
    for (int k = 0; k < kFigures; ++k) {
        out << "  " << kFigureNames[k] << "\n";
        out << "    this build " << range(mine[k], 1) << " ms, the other " << range(theirs[k], 1)
            << " ms, ratio pair by pair " << range(ratios[k], 2) << "\n";
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    QString other;
    int pairs = 5;
    QStringList rest;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--versus") && i + 1 < argc)
            other = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--pairs") && i + 1 < argc)
            pairs = qMax(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else
            rest << arg;
    }
    if (!other.isEmpty()) {
        QCoreApplication app(argc, argv);
        return versus(other, pairs, rest);
    }
    // As CTest starts the tests whose fixtures open the window: no web page
    // is warmed up, and Qt Quick draws in software.
    for (const auto& setting : {std::make_pair("QT_QPA_PLATFORM", "offscreen"),
                                std::make_pair("TESSANE_WARMUP_URL", "none"),
                                std::make_pair("QT_QUICK_BACKEND", "software")}) {
        if (qEnvironmentVariableIsEmpty(setting.first))
            qputenv(setting.first, setting.second);
    }
    // The program's own log would drown the figures; what stops a run is said.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(message));
    });
    return runArea(argc, argv, {measure});
}
