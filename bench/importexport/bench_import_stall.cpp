// Typing into another open book while a generated book is imported and
// then answered by the stand-in platform: the longest stretch the GUI thread
// stays away from its event loop and how many stretches last 100 ms or more,
// while the import writes and commits, the platform answers the book, its
// volumes and its chapter batches, and the first full synchronisation after
// them pulls the change feed, next to the same typing and saves without an
// import in the same run. The books: by default 25,000 chapters of about
// 8.7 KB in 250 volumes, 10,000 in 1,000 volumes, and one chapter of 100 MB
// (a book of many volumes gets as many answers to a volume's add). The window's
// saves are the writing tick's (on the database's worker), the save on the
// GUI thread that showing another chapter makes, and the book moved to the
// shelf's front when a book is opened. Then how long a stop holds the GUI
// thread: while a GB18030 file of the book is decoded and cut (next to
// decoding and cutting it whole), and while the chapters are written, with
// the first book of the list. Every typed character is counted in the editor
// and in the stored chapter. Figures only.
//
//   bench_import_stall [chapters:volumes,...] [MB of the one long chapter]
//
// A count of chapters without volumes puts a volume heading every 100
// chapters.

#include "BenchSupport.h"
#include "StandinServer.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/ImportTextCodec.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/BookRecords.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTextStream>
#include <QVector>

namespace {

int uid()
{
    return StandinServer::demoUid();
}

struct Shape
{
    int chapters = 0;
    int volumes = 0;
};

// "25000:250,10000:1000"; a bare count has a volume every 100 chapters.
QVector<Shape> shapesOf(const QString& argument)
{
    QVector<Shape> shapes;
    for (const QString& part : argument.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        Shape shape;
        shape.chapters = qMax(100, part.section(QLatin1Char(':'), 0, 0).toInt());
        const int volumes = part.section(QLatin1Char(':'), 1, 1).toInt();
        shape.volumes = qBound(1, volumes > 0 ? volumes : (shape.chapters + 99) / 100, shape.chapters);
        shapes.append(shape);
    }
    return shapes;
}

// The novel as text: chapters of about 2,900 characters (8.7 KB in UTF-8),
// the volume headings spread evenly.
QString novel(const Shape& shape)
{
    const QString body = bench::prose(2880, 17);
    const int perVolume = (shape.chapters + shape.volumes - 1) / shape.volumes;
    QString text;
    text.reserve(shape.chapters * (body.size() + 24));
    for (int n = 1; n <= shape.chapters; ++n) {
        if ((n - 1) % perVolume == 0)
            text += QStringLiteral("第%1卷 卷名%1\n").arg((n - 1) / perVolume + 1);
        text += QStringLiteral("第%1章 第%1夜\n").arg(n) + body + QLatin1Char('\n');
    }
    return text;
}

// One chapter of about mb megabytes of UTF-8, in paragraphs.
QByteArray oneLongChapter(int mb)
{
    const QByteArray paragraph = bench::prose(30000, 23).toUtf8() + '\n';
    QByteArray text = QStringLiteral("第1章 长夜\n").toUtf8();
    text.reserve(mb * 1000000 + paragraph.size());
    while (text.size() < mb * 1000000)
        text += paragraph;
    return text;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

int scalar(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

// A fresh database of the signed-in demo author with one book of one
// chapter, and a second book to open; neither is on the platform.
struct Desk
{
    T_Book* book = nullptr;
    T_Book* other = nullptr;
    T_Chapter* chapter = nullptr;

    bool open(const QString& folder)
    {
        QDir().mkpath(folder + QStringLiteral("/program"));
        CTessaneDb* db = CTessaneDb::instance();
        db->close();
        if (!db->init(folder + QStringLiteral("/wrt.db"), folder + QStringLiteral("/program")))
            return false;
        db->setCurrentUid(uid());
        CPublicManager* model = CPublicManager::instance();
        model->clearBooks();
        model->userInfo.uid = uid();
        model->userConf.uid = uid();
        model->userInfo.token = QString::fromLatin1(StandinServer::demoToken());
        CTessaneHttp::instance()->setToken(model->userInfo.token);
        CUiManager::instance()->setSignInState(1);
        CUiManager::instance()->setSyncRunning(0);
        for (int id : {1, 2})
            db->exec(QStringLiteral("insert into tb_book(localId,bookName,authorId) values(%1,'书%1',%2);"),
                     {id, uid()});
        book = new T_Book(1, QStringLiteral("书1"));
        other = new T_Book(2, QStringLiteral("书2"));
        chapter = new T_Chapter;
        chapter->localBookId = 1;
        chapter->name = QStringLiteral("第一章");
        chapter->content = bench::prose(3000, 5);
        chapter->contentLoaded = true;
        chapter->calcWordCount();
        if (!db->insertChapterWithContent(chapter))
            return false;
        book->chapterList.append(chapter);
        book->chaptersLoaded = true;
        model->bookList.append(book);
        model->bookList.append(other);
        return true;
    }
};

// What an import goes through, in order; a gap of the GUI thread counts
// for the step in which it began.
enum Step { Importing, BookAnswered, AllAnswered, Synchronised, After, Steps };
const char* const kStepNames[Steps] = {"the import writes and commits", "the platform answers the book",
                                       "its volumes and chapter batches", "the first full synchronisation",
                                       "3 s after"};

// A gap this long is a stall the author notices.
constexpr double kStallMs = 100;

struct Typing
{
    double longestMs = 0;
    int stalls = 0;
    double stepMs[Steps] = {};
    int stepStalls[Steps] = {};
    double stepEndMs[Steps] = {};
    double ranMs = 0;
    int typed = 0;
    int inEditor = 0;
    int stored = 0;
    int result = 0;
    int chapterIds = 0;
    qint64 logBytes = 0;
};

int countOf(const QString& text, QChar c)
{
    return int(std::count(text.cbegin(), text.cend(), c));
}

// Types a character every 25 ms, lets the writing tick's save run every
// 250 ms, saves on the GUI thread every second and opens one of the two
// books every half second. With an import file, imports it at once, and once it
// is stored lets the queue send its book, volumes and chapter batches to
// the platform and the feed be pulled after them; goes on until 3 s after
// that. Without one, types for runMs.
Typing type(Desk& desk, const QString& importFile, int runMs)
{
    Typing out;
    Widget_Creation_Content pane;
    pane.resize(900, 600);
    pane.show();
    pane.showChapter(desk.book, desk.chapter, true);
    Creation_TextEdit* edit = pane.textEdit();
    edit->setFocus();
    const QChar mark(0x9F98);  // a character the prose never holds
    CJobManager* jobs = CJobManager::instance();
    CBookJobManager* importer = CBookJobManager::instance();
    CUiManager* ui = CUiManager::instance();

    QTimer key, tick, guiSave, openBook;
    QObject::connect(&key, &QTimer::timeout, [&]() {
        QTextCursor cursor = edit->textCursor();
        cursor.movePosition(QTextCursor::End);
        edit->setTextCursor(cursor);
        QInputMethodEvent commit;
        commit.setCommitString(QString(mark));
        QApplication::sendEvent(edit, &commit);
        ++out.typed;
    });
    QObject::connect(&tick, &QTimer::timeout, [&]() { pane.saveChapterInBackground(); });
    QObject::connect(&guiSave, &QTimer::timeout, [&]() { pane.saveChapter(true); });
    bool openOther = true;
    QObject::connect(&openBook, &QTimer::timeout, [&]() {
        jobs->moveBookToFront(openOther ? desk.other : desk.book, true);
        openOther = !openOther;
    });
    bool finished = importFile.isEmpty();
    out.result = 0;
    const QMetaObject::Connection done =
        QObject::connect(importer, &CBookJobManager::sig_ImportBookFinished, [&](int code) {
            out.result = code;
            finished = true;
        });

    int step = importFile.isEmpty() ? After : Importing;
    QElapsedTimer wall;
    qint64 last = 0;
    QTimer beat;
    beat.setInterval(1);
    beat.setTimerType(Qt::PreciseTimer);
    int stepAtBeat = step;
    QObject::connect(&beat, &QTimer::timeout, [&]() {
        const qint64 now = wall.nsecsElapsed();
        const double gap = (now - last) / 1e6;
        out.stepMs[stepAtBeat] = qMax(out.stepMs[stepAtBeat], gap);
        out.longestMs = qMax(out.longestMs, gap);
        if (gap >= kStallMs) {
            ++out.stalls;
            ++out.stepStalls[stepAtBeat];
        }
        last = now;
        stepAtBeat = step;
    });
    wall.start();
    beat.start();
    key.start(25);
    tick.start(250);
    guiSave.start(1000);
    openBook.start(500);
    if (!importFile.isEmpty() && !importer->startImportBook(importFile))
        finished = true;
    int localBookId = 0;
    // The pass that sends the volumes and batches pulls the feed when it
    // ends.
    bool synchronised = false;
    const QMetaObject::Connection synced =
        QObject::connect(ui, &CUiManager::sig_SyncAnimation, [&](bool running, bool) {
            synchronised = synchronised || (!running && (step == AllAnswered || step == Synchronised));
        });
    qint64 end = importFile.isEmpty() ? runMs : -1;
    const auto next = [&](int to) {
        out.stepEndMs[step] = wall.elapsed();
        step = to;
    };
    // The queue is looked at a few times a second: a look at every turn
    // would be the window's heaviest work itself with a book's jobs queued.
    qint64 lookedAt = 0;
    while (end < 0 || wall.elapsed() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const bool look = wall.elapsed() - lookedAt >= 100;
        if (look)
            lookedAt = wall.elapsed();
        if (step == Importing && finished) {
            localBookId = scalar(QStringLiteral("select max(localId) from tb_book"));
            next(out.result == 200 ? BookAnswered : After);
            if (step == After)
                end = wall.elapsed() + 3000;
        } else if (step == BookAnswered && look
                   && scalar(QStringLiteral("select exists (select 1 from tb_job where jobType = %1)")
                                 .arg(JobType::BooksAdd))
                          == 0) {
            next(AllAnswered);
            jobs->execUserJob();
        } else if (step == AllAnswered && look
                   && scalar(QStringLiteral("select exists (select 1 from tb_job where localBookId = %1)")
                                 .arg(localBookId))
                          == 0) {
            next(Synchronised);
        } else if (step == Synchronised && (synchronised || wall.elapsed() - out.stepEndMs[AllAnswered] > 60000)) {
            next(After);
            end = wall.elapsed() + 3000;
        }
        if (wall.elapsed() > 1800000)
            break;
    }
    out.stepEndMs[step] = wall.elapsed();
    key.stop();
    tick.stop();
    guiSave.stop();
    openBook.stop();
    beat.stop();
    out.ranMs = wall.elapsed();
    QObject::disconnect(done);
    QObject::disconnect(synced);
    if (localBookId > 0)
        out.chapterIds = scalar(
            QStringLiteral("select count(*) from tb_chapter where localBookId = %1 and chapterId > 0").arg(localBookId));

    // Whatever is still on its way to the disk, then the rest of the words.
    for (int i = 0; i < 50 && !pane.saveChapter(true); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    out.inEditor = countOf(pane.toPlainText(), mark);
    desk.chapter->contentLoaded = false;
    if (CTessaneDb::instance()->getChapterContent(desk.chapter))
        out.stored = countOf(desk.chapter->content, mark);
    pane.dropChapter();
    pane.closeBook();
    return out;
}

// Starts an import, waits until ready() says it is far enough and times the
// stop on the GUI thread; the stop's result code in *result.
double timeStop(const QString& file, const std::function<bool()>& ready, int* result)
{
    CBookJobManager* importer = CBookJobManager::instance();
    *result = -1;
    const QMetaObject::Connection done = QObject::connect(
        importer, &CBookJobManager::sig_ImportBookFinished, [result](int code) { *result = code; });
    double took = -1;
    if (importer->startImportBook(file)) {
        QElapsedTimer wait;
        wait.start();
        while (!ready() && *result < 0 && wait.elapsed() < 600000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer t;
        t.start();
        importer->stopImport();
        took = msSince(t);
    }
    QObject::disconnect(done);
    // Whatever the stop left for the database's workers ends before the next
    // part starts.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return took;
}

// The import of one file and the typing alone for as long, each on a fresh
// database; false when a database could not be made.
bool compare(QTextStream& out, StandinServer& server, const QString& folder, const QString& title,
             const QString& file)
{
    out << title << "\n";
    out.flush();
    Desk withImport;
    if (!withImport.open(folder + QStringLiteral("/with"))) {
        out << "  database not created\n";
        return false;
    }
    server.clearJournal();
    const Typing during = type(withImport, file, 0);
    const int pulls = server.requestsTo(QStringLiteral("/synchronization/synBookData")).size();
    Desk without;
    if (!without.open(folder + QStringLiteral("/without"))) {
        out << "  database not created\n";
        return false;
    }
    const Typing alone = type(without, QString(), int(during.ranMs));

    out << QStringLiteral("  typing with the import (result %1), %2 s: longest GUI stall %3 ms, %4 of 100 ms "
                          "or more; chapters with the platform's id: %5; feed pulls: %6\n")
               .arg(during.result)
               .arg(during.ranMs / 1000, 0, 'f', 1)
               .arg(during.longestMs, 0, 'f', 1)
               .arg(during.stalls)
               .arg(during.chapterIds)
               .arg(pulls);
    double from = 0;
    for (int s = 0; s < Steps; ++s) {
        out << QStringLiteral("    %1 (%2-%3 s): longest stall %4 ms, %5 of 100 ms or more\n")
                   .arg(QLatin1String(kStepNames[s]))
                   .arg(from / 1000, 0, 'f', 2)
                   .arg(during.stepEndMs[s] / 1000, 0, 'f', 2)
                   .arg(during.stepMs[s], 0, 'f', 1)
                   .arg(during.stepStalls[s]);
        if (during.stepEndMs[s] > 0)
            from = during.stepEndMs[s];
    }
    out << QStringLiteral("  the same typing without an import, %1 s: longest GUI stall %2 ms, %3 of 100 ms or more\n")
               .arg(alone.ranMs / 1000, 0, 'f', 1)
               .arg(alone.longestMs, 0, 'f', 1)
               .arg(alone.stalls);
    // No stall of the baseline counts as one, so that the ratio stays finite.
    if (alone.longestMs > 0)
        out << QStringLiteral("  ratio with / without: longest stall %1, stalls of 100 ms or more %2\n")
                   .arg(during.longestMs / alone.longestMs, 0, 'f', 2)
                   .arg(double(during.stalls) / qMax(1, alone.stalls), 0, 'f', 1);
    for (const Typing* run : {&during, &alone})
        out << QStringLiteral("  %1: typed %2, in the editor %3, stored %4\n")
                   .arg(run == &during ? QStringLiteral("with the import") : QStringLiteral("without"))
                   .arg(run->typed)
                   .arg(run->inEditor)
                   .arg(run->stored);
    out.flush();
    return true;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QVector<Shape> shapes = shapesOf(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (shapes.isEmpty())
        shapes = shapesOf(QStringLiteral("25000:250,10000:1000"));
    const int longMb = argc > 2 ? qMax(1, QString::fromLocal8Bit(argv[2]).toInt()) : 100;
    QTextStream out(stdout);

    QTemporaryDir dir;
    StandinServer server;
    server.setParentFolder(dir.path());
    if (!dir.isValid() || !server.start()) {
        out << "the stand-in platform did not start; nothing measured\n";
        return 0;
    }
    server.exportApiBase();
    // The first book is also the one of the stops, as GB18030.
    const QString gbFile = dir.filePath(QStringLiteral("长篇国标.txt"));
    QStringList files;
    QVector<double> megabytes;
    for (const Shape& shape : shapes) {
        const QString text = novel(shape);
        const QByteArray utf8 = text.toUtf8();
        files.append(dir.filePath(QStringLiteral("长篇%1.txt").arg(files.size() + 1)));
        megabytes.append(utf8.size() / 1e6);
        if (!writeFile(files.last(), utf8)
            || (files.size() == 1 && !writeFile(gbFile, QTextCodec::codecForName("GB18030")->fromUnicode(text)))) {
            out << "the import files could not be written\n";
            return 0;
        }
    }
    const QString longFile = dir.filePath(QStringLiteral("长章.txt"));
    if (!writeFile(longFile, oneLongChapter(longMb))) {
        out << "the import files could not be written\n";
        return 0;
    }
    CJobManager::instance();

    for (int i = 0; i < shapes.size(); ++i) {
        if (!compare(out, server, dir.filePath(QStringLiteral("a%1").arg(i)),
                     QStringLiteral("import of %1 chapters in %2 volumes, %3 MB UTF-8, answered by the stand-in")
                         .arg(shapes.at(i).chapters)
                         .arg(shapes.at(i).volumes)
                         .arg(megabytes.at(i), 0, 'f', 1),
                     files.at(i)))
            return 0;
        server.reset();
    }
    if (!compare(out, server, dir.filePath(QStringLiteral("b")),
                 QStringLiteral("import of one chapter of %1 MB, answered by the stand-in").arg(longMb), longFile))
        return 0;
    server.reset();

    // Stops, signed out: nothing of a stopped import is sent anyway. The
    // baseline: decoding and cutting the GB18030 file whole.
    Desk stops;
    if (!stops.open(dir.filePath(QStringLiteral("c")))) {
        out << "database not created\n";
        return 0;
    }
    CUiManager::instance()->setSignInState(0);
    QFile gbIn(gbFile);
    const QByteArray gb = gbIn.open(QIODevice::ReadOnly) ? gbIn.readAll() : QByteArray();
    gbIn.close();
    const int chapters = shapes.first().chapters;
    const QString utf8File = files.first();
    QElapsedTimer t;
    t.start();
    {
        QString decoded;
        decodeImportText(gb, decoded);
        QStringList titles, texts;
        CBookJobManager::htmlToPlainText(decoded);
        CBookJobManager::splitImportText(titles, texts, decoded, CBookJobManager::chapterPattern());
    }
    const double wholeDecode = msSince(t);
    int stopResult = 0;
    QElapsedTimer started;
    started.start();
    const double decodingStop = timeStop(gbFile, [&started]() { return started.elapsed() > 150; }, &stopResult);
    out << QStringLiteral("stop while the GB18030 file (%1 MB) is decoded: %2 ms on the GUI thread (result %3); "
                          "decoding and cutting it whole: %4 ms (%5 x)\n")
               .arg(gb.size() / 1e6, 0, 'f', 1)
               .arg(decodingStop, 0, 'f', 1)
               .arg(stopResult)
               .arg(wholeDecode, 0, 'f', 0)
               .arg(decodingStop / wholeDecode, 0, 'f', 3);
    int stored = 0;
    const QMetaObject::Connection progress = QObject::connect(
        CBookJobManager::instance(), &CBookJobManager::sig_ImportBookProgress,
        [&stored](int, int, const QString&, int done, int) { stored = done; });
    const double writingStop = timeStop(utf8File, [&stored, chapters]() { return stored > chapters * 3 / 4; },
                                        &stopResult);
    QObject::disconnect(progress);
    out << QStringLiteral("stop with three quarters of the chapters written: %1 ms on the GUI thread (result %2)\n")
               .arg(writingStop, 0, 'f', 1)
               .arg(stopResult);
    CTessaneDb::instance()->close();
    return 0;
}
