// Typing into an open chapter while a generated book of 10,000 chapters
// (about 87 MB of UTF-8) is imported: the longest stretch the GUI thread
// stays away from its event loop while the import writes, commits and the
// window's own saves follow it, next to the same typing and saves without an
// import in the same run. The window's saves are the writing tick's (on the
// database's worker), the save on the GUI thread that showing another chapter
// makes, and the book moved to the shelf's front when a book is opened. Then
// how long a stop holds the GUI thread: while a GB18030 file of the same book
// is decoded and cut (next to decoding and cutting it whole), and while the
// chapters are written. Every typed character is counted in the editor and in
// the stored chapter. Figures only.
//
//   bench_import_stall [chapters]

#include "BenchSupport.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/ImportTextCodec.h"
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

const int kUid = 1;

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

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// A fresh database with one book of one chapter, and a second book to open.
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
        db->setCurrentUid(kUid);
        CPublicManager* model = CPublicManager::instance();
        model->clearBooks();
        model->userInfo.uid = kUid;
        model->userConf.uid = kUid;
        for (int id : {1, 2})
            db->exec(QStringLiteral("insert into tb_book(localId,bookName,authorId) values(%1,'书%1',%2);"),
                     {id, kUid});
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

struct Typing
{
    double longestMs = 0;
    double ranMs = 0;
    int typed = 0;
    int inEditor = 0;
    int stored = 0;
    int result = 0;
};

int countOf(const QString& text, QChar c)
{
    return int(std::count(text.cbegin(), text.cend(), c));
}

// Types a character every 25 ms, lets the writing tick's save run every
// 250 ms, saves on the GUI thread every second and opens the other book
// every half second; with an import file, starts its import at once and
// goes on until 3 s after its end, else for runMs.
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
    QObject::connect(&openBook, &QTimer::timeout, [&]() {
        jobs->moveBookToFront(desk.book, true);
        jobs->moveBookToFront(desk.other, true);
    });
    bool finished = importFile.isEmpty();
    out.result = 0;
    const QMetaObject::Connection done =
        QObject::connect(importer, &CBookJobManager::sig_ImportBookFinished, [&](int code) {
            out.result = code;
            finished = true;
        });

    bench::Heartbeat beat(1);
    beat.start();
    key.start(25);
    tick.start(250);
    guiSave.start(1000);
    openBook.start(500);
    QElapsedTimer wall;
    wall.start();
    if (!importFile.isEmpty() && !importer->startImportBook(importFile))
        finished = true;
    qint64 end = importFile.isEmpty() ? runMs : -1;
    while (end < 0 || wall.elapsed() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (end < 0 && finished)
            end = wall.elapsed() + 3000;
        if (wall.elapsed() > 900000)
            break;
    }
    key.stop();
    tick.stop();
    guiSave.stop();
    openBook.stop();
    out.longestMs = beat.runFor(0);
    out.ranMs = wall.elapsed();
    QObject::disconnect(done);

    // Whatever is still on its way to the disk, then the rest of the words.
    for (int i = 0; i < 50 && !pane.saveChapter(true); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    out.inEditor = countOf(pane.toPlainText(), mark);
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(desk.chapter->localId))
        && query.next())
        out.stored = countOf(query.value(0).toString(), mark);
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

}

int main(int argc, char** argv)
{
    // The add-book request of the import must not leave the machine.
    qputenv("TESSANE_API_BASE", "http://127.0.0.1:9");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int chapters = argc > 1 ? qMax(100, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString text = novel(chapters);
    const QString utf8File = dir.filePath(QStringLiteral("长篇.txt"));
    const QString gbFile = dir.filePath(QStringLiteral("长篇国标.txt"));
    const QByteArray utf8 = text.toUtf8();
    const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(text);
    if (!dir.isValid() || !writeFile(utf8File, utf8) || !writeFile(gbFile, gb)) {
        out << "the import files could not be written\n";
        return 0;
    }
    CJobManager::instance();
    out << "import of " << chapters << " chapters, " << QString::number(utf8.size() / 1e6, 'f', 1)
        << " MB UTF-8 (" << QString::number(gb.size() / 1e6, 'f', 1) << " MB as GB18030)\n";

    Desk withImport;
    if (!withImport.open(dir.filePath(QStringLiteral("a")))) {
        out << "database not created\n";
        return 0;
    }
    const Typing during = type(withImport, utf8File, 0);
    Desk without;
    if (!without.open(dir.filePath(QStringLiteral("b")))) {
        out << "database not created\n";
        return 0;
    }
    const Typing alone = type(without, QString(), int(during.ranMs));

    out << QStringLiteral("  typing with an import (result %1), %2 s: longest GUI stall %3 ms\n")
               .arg(during.result)
               .arg(during.ranMs / 1000, 0, 'f', 1)
               .arg(during.longestMs, 0, 'f', 1);
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

    // Stops. The baseline: decoding and cutting the GB18030 file whole.
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
    out << QStringLiteral("  stop while the GB18030 file is decoded: %1 ms on the GUI thread (result %2); "
                          "decoding and cutting it whole: %3 ms (%4 x)\n")
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
    out << QStringLiteral("  stop with three quarters of the chapters written: %1 ms on the GUI thread (result %2); "
                          "longest stall of typing alone %3 ms (%4 x)\n")
               .arg(writingStop, 0, 'f', 1)
               .arg(stopResult)
               .arg(alone.longestMs, 0, 'f', 1)
               .arg(alone.longestMs > 0 ? writingStop / alone.longestMs : 0, 0, 'f', 2);
    CTessaneDb::instance()->close();
    return 0;
}
