// Cost of recording a chapter save (merged into the chapter's pending job)
// and reading the next job, next to one bare autocommitted UPDATE of the
// same text, for the journal settings worth considering. Figures only.
//
//   bench_db_jobs [iterations] [folder for the database files]

#include "db/CTessaneDb.h"
#include "remote/T_Http_Custom.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

struct Mode
{
    const char* label;
    const char* journal;
    const char* synchronous;
};

QString chapterText(int variant)
{
    static const QString line = QStringLiteral("　　夜色渐深，城头的灯火一盏盏亮起，他握紧了手中的剑，"
                                               "回头望了一眼来时的路。\n");
    QString text;
    text.reserve(10000);
    while (text.size() < 10000)
        text += line;
    text.truncate(10000);
    // Every save differs, as an author's would.
    text.replace(0, 8, QStringLiteral("%1").arg(variant, 8, 10, QLatin1Char('0')));
    return text;
}

double medianOf(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

}

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? qMax(10, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(".");
    QTextStream out(stdout);

    const Mode modes[] = {{"WAL, synchronous FULL", "WAL", "FULL"},
                          {"WAL, synchronous NORMAL", "WAL", "NORMAL"},
                          {"rollback journal (DELETE), synchronous FULL", "DELETE", "FULL"}};
    out << "iterations per figure: " << iterations << ", chapter text 10,000 characters\n";
    int connection = 0;
    for (const Mode& mode : modes) {
        QTemporaryDir dir(base + QStringLiteral("/bench_db-XXXXXX"));
        if (!dir.isValid()) {
            out << "cannot make a folder under " << base << "\n";
            return 0;
        }
        CTessaneDb db(nullptr, QStringLiteral("bench-%1").arg(++connection));
        if (!db.init(dir.path() + QStringLiteral("/wrt.db"), dir.path() + QStringLiteral("/program"))) {
            out << "database not created: " << db.lastErrorText() << "\n";
            return 0;
        }
        db.exec(QStringLiteral("PRAGMA journal_mode = %1;").arg(QLatin1String(mode.journal)));
        db.exec(QStringLiteral("PRAGMA synchronous = %1;").arg(QLatin1String(mode.synchronous)));
        db.exec(QStringLiteral("insert into tb_chapter(localId,localBookId,bookId) values(1,1,0);"));
        db.exec(QStringLiteral("insert into tb_chapter_text(localId,content) values(1,'');"));
        db.setCurrentUid(7);
        // A few other pending jobs, as a queue usually holds.
        for (int i = 0; i < 20; ++i) {
            T_Http_Custom other;
            other.jobType = 1031;
            other.localBookId = 2;
            db.addJob(other, QStringLiteral("{\"volume_name\":\"卷\"}"), i, 0);
        }

        QVector<double> saveMicros;
        QVector<double> bareMicros;
        bool failed = false;
        QElapsedTimer timer;
        // Alternating rounds keep drift of the disk out of the ratio.
        for (int i = 0; i < iterations && !failed; ++i) {
            const QString text = chapterText(i);
            timer.start();
            T_Http_Custom save;
            save.jobType = 1016;
            save.localBookId = 1;
            save.localChapterId = 1;
            T_JobData next;
            failed = !db.addJob(save, text, 1000 + i, 0) || !db.getUserJobData(next, 7)
                || next.jobId < 1;
            saveMicros.append(timer.nsecsElapsed() / 1000.0);

            timer.start();
            failed = !db.exec(QStringLiteral("update tb_chapter_text set content = %1 where localId = 1;"),
                              {text})
                || failed;
            bareMicros.append(timer.nsecsElapsed() / 1000.0);
        }
        if (failed) {
            out << mode.label << ": a write failed: " << db.lastErrorText() << "\n";
            continue;
        }
        const double save = medianOf(saveMicros);
        const double bare = medianOf(bareMicros);
        QSqlQuery journal = db.newQuery();
        const QString actual = journal.exec(QStringLiteral("PRAGMA journal_mode;")) && journal.next()
            ? journal.value(0).toString()
            : QStringLiteral("?");
        out << mode.label << " (connection reports " << actual << ")\n"
            << "  coalesced save + next job: " << QString::number(save, 'f', 1) << " us\n"
            << "  bare autocommitted UPDATE:  " << QString::number(bare, 'f', 1) << " us\n"
            << "  ratio:                      " << QString::number(save / bare, 'f', 2) << "x\n";
    }
    return 0;
}
