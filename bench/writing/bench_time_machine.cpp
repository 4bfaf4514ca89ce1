// The time machine on a 200,000-character chapter of which 30% of the
// sentences were rewritten since the stored version: the longest stretch the
// GUI thread is kept from its event loop from opening the dialog until both
// panes show the comparison, next to the same comparison done the earlier way
// on the GUI thread (diff, marked HTML, two setHtml). Figures only.
//
//   bench_time_machine [runs]

#include "BenchSupport.h"

#include "common/DiffMatchPatch.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Chapter.h"
#include "manager/CUiManager.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/VersionCompare.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextStream>

namespace {

// The comparison as it used to be shown: marked HTML from the diff, both
// panes through chapterToHtml and setHtml.
void compareOnTheGuiThread(const QString& version, const QString& current, QTextBrowser& left, QTextBrowser& right)
{
    DiffMatchPatch engine;
    QString marked;
    for (const Diff& d : engine.diff_main(version, current, true)) {
        marked += d.operation == DELETE   ? QStringLiteral("<span style='color:#ff0000;'>")
                  : d.operation == INSERT ? QStringLiteral("<span style='color:#0000ff;'>")
                                          : QStringLiteral("<span>");
        marked += d.text;
        marked += QStringLiteral("</span>");
    }
    marked.replace(QLatin1Char('\n'), QStringLiteral("<br>&nbsp;&nbsp;&nbsp;&nbsp;"));
    QString versionHtml, currentHtml;
    CUiManager::chapterToHtml(version, versionHtml, 14, 24, 24, 10);
    CUiManager::chapterToHtml(marked, currentHtml, 14, 24, 24, 10);
    left.setHtml(versionHtml);
    right.setHtml(currentHtml);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    QTextStream out(stdout);
    out.setCodec("UTF-8");

    QStringList sentences = bench::sentences(200000, 21);
    const QString version = bench::joinParagraphs(sentences, 22);
    QRandomGenerator random(23);
    int rewritten = 0;
    for (QString& s : sentences) {
        if (random.bounded(100) < 30) {
            s = bench::sentence(random);
            ++rewritten;
        }
    }
    const QString current = bench::joinParagraphs(sentences, 22);

    QTemporaryDir dir;
    CTessaneDb* db = CTessaneDb::instance();
    if (!dir.isValid() || !db->init(dir.filePath(QStringLiteral("wrt.db")), dir.filePath(QStringLiteral("program")))) {
        out << "database not created\n";
        return 0;
    }
    T_Http_Custom header;
    header.uid = 1;
    header.localBookId = 1;
    header.localChapterId = 1;
    db->insertContentBlade(header, version);
    T_Chapter chapter;
    chapter.localId = 1;
    chapter.localBookId = 1;
    chapter.content = current;
    chapter.contentLoaded = true;

    QVector<double> oldStall, newStall, newTotal, workerMs, idleStall;
    for (int r = 0; r < runs; ++r) {
        {
            QTextBrowser left, right;
            left.resize(480, 700);
            right.resize(480, 700);
            left.show();
            right.show();
            bench::Heartbeat beat;
            beat.start();
            QTimer::singleShot(0, [&]() { compareOnTheGuiThread(version, current, left, right); });
            oldStall.append(beat.runFor(2500));
        }
        {
            // The window alone: a chapter without versions, nothing compared.
            T_Chapter empty;
            empty.localId = 2;
            empty.contentLoaded = true;
            Dialog_TimeMachine dialog(&empty);
            bench::Heartbeat beat;
            beat.start();
            QTimer::singleShot(0, [&]() { dialog.show(); });
            idleStall.append(beat.runFor(1500));
        }
        {
            QElapsedTimer t;
            t.start();
            VersionCompare::compare(version, current, 1);
            workerMs.append(t.nsecsElapsed() / 1e6);
        }
        {
            Dialog_TimeMachine dialog(&chapter);
            QElapsedTimer total;
            bench::Heartbeat filling;
            total.start();
            QTimer::singleShot(0, [&]() { dialog.show(); });
            while (!dialog.isVisible())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            filling.start();
            while (dialog.isComparing())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            newTotal.append(total.nsecsElapsed() / 1e6);
            // Laying out what was set goes on in slices after it is shown.
            newStall.append(filling.runFor(1500));
        }
    }
    const double o = bench::median(oldStall), n = bench::median(newStall);
    out << "time machine: " << version.size() << " characters, " << rewritten << " of " << sentences.size()
        << " sentences rewritten, median of " << runs << " runs\n";
    out << QStringLiteral("  baseline: compare and set the HTML on the GUI thread, longest stall   %1 ms\n").arg(o, 8, 'f', 1);
    out << QStringLiteral("  dialog: longest GUI stall while comparing, filling, laying out        %1 ms  (%2 x baseline)\n")
               .arg(n, 8, 'f', 1).arg(n / o, 0, 'f', 3);
    out << QStringLiteral("  for scale: showing the dialog with nothing to compare, longest stall  %1 ms\n")
               .arg(bench::median(idleStall), 8, 'f', 1);
    out << QStringLiteral("  dialog: opening until both panes show the comparison                  %1 ms\n")
               .arg(bench::median(newTotal), 8, 'f', 1);
    out << QStringLiteral("  worker: diff and marked runs (off the GUI thread)                     %1 ms\n")
               .arg(bench::median(workerMs), 8, 'f', 1);
    out.flush();
    return 0;
}
