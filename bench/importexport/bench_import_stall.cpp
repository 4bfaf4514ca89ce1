// Typing into another open book while a generated book is imported and
// then answered by the stand-in platform: the longest stretch the GUI thread
// stays away from its event loop while the import writes and commits, the
// platform answers the book, its volumes and its chapter batches, and the
// first full synchronisation after them pulls the change feed, next to the
// same typing and saves without an import in the same run. Two books: 10,000
// chapters of about 8.7 KB (87 MB) and one chapter of 100 MB. The window's
// saves are the writing tick's (on the database's worker), the save on the
// GUI thread that showing another chapter makes, and the book moved to the
// shelf's front when a book is opened. Then how long a stop holds the GUI
// thread: while a GB18030 file of the book is decoded and cut (next to
// decoding and cutting it whole), and while the chapters are written. Every
// typed character is counted in the editor and in the stored chapter.
// Figures only.
//
//   bench_import_stall [chapters] [MB of the one long chapter]

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

namespace {

int uid()
{
    return StandinServer::demoUid();
}

// The novel as text: chapters of about 2,900 characters (8.7 KB in UTF-8),
// a volume heading every 100 chapters.
QString novel(int chapters)
{
    const QString body = bench::prose(2880, 17);
    QString text;
    text.reserve(chapters * (body.size() + 24));
    for (int n = 1; n <= chapters; ++n) {
        if (n % 100 == 1)
            text += QStringLiteral("第%1卷 卷名%1\n").arg(n / 100 + 1);
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

struct Typing
{
    double longestMs = 0;
    double stepMs[Steps] = {};
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
    while (end < 0 || wall.elapsed() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (step == Importing && finished) {
            localBookId = scalar(QStringLiteral("select max(localId) from tb_book"));
            next(out.result == 200 ? BookAnswered : After);
            if (step == After)
                end = wall.elapsed() + 3000;
        } else if (step == BookAnswered
                   && scalar(QStringLiteral("select count(*) from tb_job where jobType = %1").arg(JobType::BooksAdd))
                          == 0) {
            next(AllAnswered);
            jobs->execUserJob();
        } else if (step == AllAnswered
                   && scalar(QStringLiteral("select count(*) from tb_job where localBookId = %1").arg(localBookId))
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

    out << QStringLiteral("  typing with the import (result %1), %2 s: longest GUI stall %3 ms; "
                          "chapters with the platform's id: %4; feed pulls: %5\n")
               .arg(during.result)
               .arg(during.ranMs / 1000, 0, 'f', 1)
               .arg(during.longestMs, 0, 'f', 1)
               .arg(during.chapterIds)
               .arg(pulls);
    double from = 0;
    for (int s = 0; s < Steps; ++s) {
        out << QStringLiteral("    %1 (%2-%3 s): longest stall %4 ms\n")
                   .arg(QLatin1String(kStepNames[s]))
                   .arg(from / 1000, 0, 'f', 2)
                   .arg(during.stepEndMs[s] / 1000, 0, 'f', 2)
                   .arg(during.stepMs[s], 0, 'f', 1);
        if (during.stepEndMs[s] > 0)
            from = during.stepEndMs[s];
    }
    out << QStringLiteral("  the same typing without an import, %1 s: longest GUI stall %2 ms\n")
               .arg(alone.ranMs / 1000, 0, 'f', 1)
               .arg(alone.longestMs, 0, 'f', 1);
    if (alone.longestMs > 0)
        out << QStringLiteral("  ratio with / without: %1\n").arg(during.longestMs / alone.longestMs, 0, 'f', 2);
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
    const int chapters = argc > 1 ? qMax(100, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;
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
    const QString text = novel(chapters);
    const QString utf8File = dir.filePath(QStringLiteral("长篇.txt"));
    const QString gbFile = dir.filePath(QStringLiteral("长篇国标.txt"));
    const QString longFile = dir.filePath(QStringLiteral("长章.txt"));
    const QByteArray utf8 = text.toUtf8();
    const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(text);
    if (!writeFile(utf8File, utf8) || !writeFile(gbFile, gb) || !writeFile(longFile, oneLongChapter(longMb))) {
        out << "the import files could not be written\n";
        return 0;
    }
    CJobManager::instance();

    if (!compare(out, server, dir.filePath(QStringLiteral("a")),
                 QStringLiteral("import of %1 chapters, %2 MB UTF-8, answered by the stand-in")
                     .arg(chapters)
                     .arg(utf8.size() / 1e6, 0, 'f', 1),
                 utf8File))
        return 0;
    server.reset();
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
