// Sign-in load of 200 books with 500 chapters each (no chapter text),
// against a bare select of the same chapter and book rows in the same run.
// Prints times, their ratio and the process's memory; never fails.

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kBooks = 200;
const int kChaptersPerBook = 500;
const int kVolumesPerBook = 5;
const int kOutlinesPerBook = 4;
const int kAuthor = 1;
const int kRuns = 5;

// "VmHWM" (peak) or "VmRSS" (now) of this process in KiB, -1 when unknown.
long memoryKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool fill(CTessaneDb& db)
{
    if (!db.exec(QStringLiteral("BEGIN;")))
        return false;
    QSqlQuery book = db.newQuery();
    QSqlQuery volume = db.newQuery();
    QSqlQuery chapter = db.newQuery();
    QSqlQuery outline = db.newQuery();
    book.prepare(QStringLiteral("insert into tb_book(localId,authorId,bookName,updateTime,status) "
                                "values(?,?,?,?,1)"));
    volume.prepare(QStringLiteral("insert into tb_volume(localBookId,bookId,orderNum,volumeName) "
                                  "values(?,0,?,?)"));
    chapter.prepare(QStringLiteral("insert into tb_chapter(localBookId,bookId,localVolumeId,"
                                   "orderNum,name,wordCount,status,createTime,updateTime) "
                                   "values(?,0,?,?,?,?,1,1,1)"));
    outline.prepare(QStringLiteral("insert into tb_outline(localBookId,bookId,type,title,content) "
                                   "values(?,0,1,?,?)"));
    int volumeId = 0;
    for (int b = 1; b <= kBooks; ++b) {
        book.addBindValue(b);
        book.addBindValue(kAuthor);
        book.addBindValue(QStringLiteral("Book %1").arg(b));
        book.addBindValue(b);
        if (!book.exec())
            return false;
        for (int v = 1; v <= kVolumesPerBook; ++v) {
            volume.addBindValue(b);
            volume.addBindValue(v);
            volume.addBindValue(QStringLiteral("Volume %1").arg(v));
            if (!volume.exec())
                return false;
        }
        const int firstVolume = volumeId + 1;
        volumeId += kVolumesPerBook;
        for (int c = 1; c <= kChaptersPerBook; ++c) {
            chapter.addBindValue(b);
            chapter.addBindValue(firstVolume + (c - 1) * kVolumesPerBook / kChaptersPerBook);
            chapter.addBindValue(c);
            chapter.addBindValue(QStringLiteral("第%1章 标题").arg(c));
            chapter.addBindValue(3000 + c);
            if (!chapter.exec())
                return false;
        }
        for (int o = 1; o <= kOutlinesPerBook; ++o) {
            outline.addBindValue(b);
            outline.addBindValue(QStringLiteral("outline %1").arg(o));
            outline.addBindValue(QStringLiteral("a short note"));
            if (!outline.exec())
                return false;
        }
    }
    return db.exec(QStringLiteral("COMMIT;"));
}

// Reads every value of the rows the load reads, and nothing else.
qint64 bareSelect(CTessaneDb& db, qint64& rows)
{
    QElapsedTimer timer;
    timer.start();
    qint64 sum = 0;
    rows = 0;
    for (const char* statement :
         {"select localId,bookId,bookName,cateId,cateFid,channelType,chapterCount,coverUrl,"
          "localCover,intro,wordNum,createTime,updateTime,authorId,lastEditChapterId,orderType,"
          "money,status from tb_book where authorId = 1 order by updateTime desc",
          "select localId,volumeId,localBookId,bookId,orderNum,status,volumeName,createTime "
          "from tb_volume",
          "select localId,chapterId,localBookId,bookId,localVolumeId,volumeId,orderNum,name,"
          "wordCount,status,createTime,updateTime,recycleTime from tb_chapter",
          "select localId,outlineId,type,orderNum,title,content,createTime from tb_outline"}) {
        QSqlQuery query = db.newQuery();
        query.setForwardOnly(true);
        query.exec(QString::fromLatin1(statement));
        const int columns = query.record().count();
        while (query.next()) {
            ++rows;
            for (int i = 0; i < columns; ++i) {
                const QVariant value = query.value(i);
                sum += value.type() == QVariant::String ? value.toString().size() : value.toLongLong();
            }
        }
    }
    const qint64 ns = timer.nsecsElapsed();
    return sum == -1 ? 0 : ns; // keeps the reads from being optimised away
}

qint64 signInLoad(CTessaneDb& db, int& books, int& chapters)
{
    QList<T_Book*> shelf;
    QList<T_Book*> recycled;
    QElapsedTimer timer;
    timer.start();
    const bool ok = db.getBooks(kAuthor, shelf, recycled);
    const qint64 ns = timer.nsecsElapsed();
    books = shelf.size();
    chapters = 0;
    for (const T_Book* b : qAsConst(shelf))
        chapters += b->chapterList.size();
    qDeleteAll(shelf);
    qDeleteAll(recycled);
    return ok ? ns : -1;
}

double median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2] / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/program/data/db");
    QDir().mkpath(program);
    CTessaneDb db(nullptr, QStringLiteral("bench"));
    if (!db.init(dir.path() + QStringLiteral("/wrt.db"), program) || !fill(db)) {
        out << "could not build the bench database: " << db.lastErrorText() << "\n";
        return 0;
    }
    out << "books " << kBooks << ", chapters " << kBooks * kChaptersPerBook << " (no text), volumes "
        << kBooks * kVolumesPerBook << ", outlines " << kBooks * kOutlinesPerBook << "\n";

    const long rssBefore = memoryKiB("VmRSS");
    // One warm-up of each so both read from the page cache.
    qint64 rows = 0;
    int books = 0;
    int chapters = 0;
    bareSelect(db, rows);
    signInLoad(db, books, chapters);

    std::vector<qint64> bare;
    std::vector<qint64> load;
    for (int i = 0; i < kRuns; ++i) {
        bare.push_back(bareSelect(db, rows));
        load.push_back(signInLoad(db, books, chapters));
    }
    // The model's size while it is held: load once more and keep it.
    QList<T_Book*> shelf;
    QList<T_Book*> recycled;
    db.getBooks(kAuthor, shelf, recycled);
    const long rssHeld = memoryKiB("VmRSS");

    const double bareMs = median(bare);
    const double loadMs = median(load);
    out << "bare select of the same rows: " << rows << " rows, median " << bareMs << " ms\n";
    out << "sign-in load (getBooks):      " << books << " books, " << chapters
        << " chapters, median " << loadMs << " ms\n";
    out << "ratio load / bare select:     " << (bareMs > 0 ? loadMs / bareMs : 0) << "\n";
    out << "resident memory before loads: " << rssBefore << " KiB\n";
    out << "resident memory, model held:  " << rssHeld << " KiB (+" << (rssHeld - rssBefore)
        << " KiB)\n";
    out << "peak resident memory (VmHWM): " << memoryKiB("VmHWM") << " KiB\n";
    qDeleteAll(shelf);
    qDeleteAll(recycled);
    return 0;
}
