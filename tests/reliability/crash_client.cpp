// A client process for the crash tests: the program's own start-up, job
// manager and book manager, driven by a scenario instead of an author. It
// reports on stdout what the client has told its caller is done, one line
// each, written before the next step starts, so a test that kills it at any
// moment knows what must have survived.
//
//   crash_client seed            remembers the stand-in's demo author
//   crash_client book            makes an online book of two volumes, waits for its ids
//   crash_client save [steps]    saves, adds and moves chapters (until killed)
//   crash_client drain           starts, drains the queue and applies the feed
//   crash_client import <file>   imports a text file as a book, then drains
//   crash_client backup <folder> grows the database, then backs it up into the folder
//   crash_client firststart      starts on whatever database is there
//   crash_client addchapter      adds a chapter to the first volume (offline: it stays queued)
//   crash_client quitwhilesaving starts the save of a long chapter on the worker
//                                and returns from main at once
//   crash_client point <step>    one step (save, move, confirm), ended at the write
//                                CRASH_POINT counts from the step's start
//   crash_client memo            types into a new memo window and leaves it open
//                                (until killed)
//
// Data lives where the client keeps it ($XDG_DATA_HOME); the stand-in is named
// by TESSANE_API_BASE.

#include "CrashPoints.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_UserConf.h"
#include "db/records/T_Volume.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "platform/ProgramPath.h"
#include "remote/records/AccountRecords.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSettings>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kDemoUid = 10001;

// One unbuffered write per line: what is reported is out of the process
// before the next step can begin.
void report(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    const ssize_t written = ::write(STDOUT_FILENO, bytes.constData(), static_cast<size_t>(bytes.size()));
    Q_UNUSED(written)
}

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return condition();
}

int jobCount()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select count(*) from tb_job;")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

T_Book* firstBook()
{
    T_Book* found = nullptr;
    for (T_Book* book : CPublicManager::instance()->bookList) {
        if (book->bookName.startsWith(QStringLiteral("崩溃测试")) && (found == nullptr || book->localId < found->localId))
            found = book;
    }
    return found;
}

// The saved text: chapter and revision first, so the test can tell which
// save a stored text is, then a filler of varying length.
QString chapterText(int localChapterId, int revision)
{
    QString text = QStringLiteral("c%1 r%2\n").arg(localChapterId).arg(revision);
    const int paragraphs = QRandomGenerator::global()->bounded(1, 40);
    for (int p = 0; p < paragraphs; ++p) {
        text += QStringLiteral("　　");
        const int length = QRandomGenerator::global()->bounded(10, 400);
        for (int i = 0; i < length; ++i)
            text += QChar(0x4E00 + QRandomGenerator::global()->bounded(0, 2000));
        text += QLatin1Char('\n');
    }
    return text;
}

int revisionOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^c\\d+ r(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

int seed()
{
    CTessaneDb* db = CTessaneDb::instance();
    if (!db->init())
        return 2;
    TS_Author_Info user;
    user.uid = kDemoUid;
    user.author_name = QStringLiteral("示例作者");
    user.token = QStringLiteral("standin-demo-token");
    user.uniqueCode = QStringLiteral("0123456789abcdef0123456789abcdef");
    T_UserConf conf;
    conf.uid = user.uid;
    if (!db->insertUser(user, conf) || !db->saveLastLogin(user.uid))
        return 3;
    db->close();
    report(QStringLiteral("seeded"));
    return 0;
}

bool start()
{
    if (!CJobManager::instance()->init())
        return false;
    report(QStringLiteral("started"));
    return true;
}

int makeBook()
{
    if (!start())
        return 2;
    TC_Books_AddBook request(QStringLiteral("崩溃测试之书"), 1700000000, 1700000000, QString());
    T_Book* book = CBookJobManager::instance()->books_add(request, false);
    if (book == nullptr)
        return 3;
    const bool ready = waitUntil([book]() {
        return book->bookId > 0 && !book->volumeList.isEmpty() && book->volumeList.first()->volumeId > 0
               && !book->chapterList.isEmpty() && book->chapterList.first()->chapterId > 0 && jobCount() == 0;
    }, 20000);
    if (!ready)
        return 4;
    // A second volume, for chapters to move into.
    TC_Volume_Add volume(book->localId, book->bookId, 0, 2, 1700000000, QStringLiteral("第二卷"));
    if (!CJobManager::instance()->volume_add(volume))
        return 5;
    const int localVolumeId = volume.header.localVolumeId;
    if (!waitUntil([book, localVolumeId]() {
            const T_Volume* second = book->findVolumeByLocalId(localVolumeId);
            return second != nullptr && second->volumeId > 0 && jobCount() == 0;
        }, 20000))
        return 6;
    report(QStringLiteral("book %1").arg(book->localId));
    return 0;
}

// Saves a random chapter (or now and then adds one) every few tens of
// milliseconds, as an author's editor does on a timer, until `steps` are done.
int save(int steps)
{
    if (!start())
        return 2;
    T_Book* book = firstBook();
    if (book == nullptr || !CJobManager::instance()->getChapters(book) || book->volumeList.isEmpty())
        return 3;
    QHash<int, int> revisions;
    for (T_Chapter* chapter : qAsConst(book->chapterList)) {
        CJobManager::instance()->getChapterContent(chapter);
        revisions.insert(chapter->localId, revisionOf(chapter->content));
    }
    const int bookLocalId = book->localId;
    for (int step = 0; step < steps; ++step) {
        // Look the book up again: the feed may have rebuilt the model.
        T_Book* current = CPublicManager::instance()->findBookByLocalId(bookLocalId);
        if (current == nullptr || current->chapterList.isEmpty())
            return 4;
        QRandomGenerator* random = QRandomGenerator::global();
        const int roll = random->bounded(10);
        if (roll == 1 && current->volumeList.size() > 1) {
            // A chapter moves to the end of another volume.
            T_Chapter* chapter = current->chapterList.at(random->bounded(current->chapterList.size()));
            const T_Volume* target = nullptr;
            for (const T_Volume* volume : qAsConst(current->volumeList)) {
                if (volume->localId != chapter->localVolumeId)
                    target = volume;
            }
            TC_Chapter_Move move;
            move.header.localBookId = current->localId;
            move.localFromVolumeId = chapter->localVolumeId;
            move.localToVolumeId = target->localId;
            move.localFromChapterId = chapter->localId;
            move.updateTime = 1700000000;
            if (!CJobManager::instance()->chapter_move(move))
                return 7;
            report(QStringLiteral("moved %1 %2").arg(chapter->localId).arg(target->localId));
        } else if (roll == 0 && current->chapterList.size() < 30) {
            const T_Volume* volume = current->volumeList.first();
            int last = 0;
            for (const T_Chapter* chapter : qAsConst(current->chapterList))
                last = std::max(last, chapter->orderNum);
            TC_Chapter_Add add(current->localId, current->bookId, volume->localId, volume->volumeId,
                               1700000000, last + 1, QStringLiteral("新章%1").arg(random->generate() % 1000000));
            if (!CJobManager::instance()->chapter_add(add))
                return 5;
            report(QStringLiteral("created %1 %2").arg(add.header.localChapterId).arg(add.chapterName));
        } else {
            T_Chapter* chapter = current->chapterList.at(random->bounded(current->chapterList.size()));
            const int revision = revisions.value(chapter->localId) + 1;
            TC_Chapter_Edit_Content request;
            request.header.localBookId = current->localId;
            request.header.localChapterId = chapter->localId;
            request.content = chapterText(chapter->localId, revision);
            request.updateTime = 1700000000 + revision;
            request.isSendToSrv = true;
            if (!CJobManager::instance()->chapter_edit_content(request))
                return 6;
            revisions.insert(chapter->localId, revision);
            report(QStringLiteral("stored %1 %2").arg(chapter->localId).arg(revision));
        }
        // Replies and timers keep running between saves.
        waitUntil([]() { return false; }, random->bounded(10, 60));
    }
    return 0;
}

// Waits until nothing is left in the queue and the feed was applied.
int waitForDrain()
{
    // A pass ends with the feed pull and its fetches; the queue must be empty
    // and stay so while the fetches finish.
    int quiet = 0;
    const bool done = waitUntil([&quiet]() {
        quiet = jobCount() == 0 && CUiManager::instance()->syncRunning() == 0 ? quiet + 1 : 0;
        return quiet > 40;
    }, 30000);
    if (!done) {
        std::fprintf(stderr, "queue not drained: %d jobs left\n", jobCount());
        return 3;
    }
    CJobManager::instance()->close();
    report(QStringLiteral("drained"));
    return 0;
}

int drain()
{
    return start() ? waitForDrain() : 2;
}

int import(const QString& path)
{
    if (!start())
        return 2;
    int result = -1;
    QObject::connect(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished,
                     [&result](int value) { result = value; });
    if (!CJobManager::instance()->startImportBook(path))
        return 3;
    if (!waitUntil([&result]() { return result >= 0; }, 30000))
        return 4;
    report(QStringLiteral("imported %1").arg(result));
    // The new book goes to the platform as the client goes on running.
    return waitForDrain();
}

// A database of some megabytes, so that a copy takes long enough to be killed in.
bool growDatabase()
{
    T_Book* book = firstBook();
    if (book == nullptr || !CJobManager::instance()->getChapters(book) || book->chapterList.isEmpty())
        return false;
    QFileInfo file(CTessaneDb::instance()->dbFilePath());
    if (file.size() > 4 * 1024 * 1024)
        return true;
    T_Chapter* chapter = book->chapterList.first();
    TC_Chapter_Edit_Content request;
    request.header.localBookId = book->localId;
    request.header.localChapterId = chapter->localId;
    request.content = QStringLiteral("c%1 r0\n").arg(chapter->localId)
        + QString(3 * 1024 * 1024, QChar(0x6587));
    request.updateTime = 1700000000;
    request.isSendToSrv = false;
    return CJobManager::instance()->chapter_edit_content(request);
}

int backup(const QString& folder)
{
    if (!start())
        return 2;
    if (!growDatabase())
        return 3;
    QSettings settings(ProgramPath::settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("system/backup"), folder);
    settings.sync();
    report(QStringLiteral("backing up"));
    if (!CUiManager::backupsDb())
        return 4;
    report(QStringLiteral("backup done"));
    return 0;
}

// A chapter added to the first volume, reported once stored.
int addChapter()
{
    if (!start())
        return 2;
    T_Book* book = firstBook();
    if (book == nullptr || !CJobManager::instance()->getChapters(book) || book->volumeList.isEmpty())
        return 3;
    const T_Volume* volume = book->volumeList.first();
    int last = 0;
    for (const T_Chapter* chapter : qAsConst(book->chapterList))
        last = std::max(last, chapter->orderNum);
    TC_Chapter_Add add(book->localId, book->bookId, volume->localId, volume->volumeId, 1700000000, last + 1,
                       QStringLiteral("等编号的章"));
    if (!CJobManager::instance()->chapter_add(add))
        return 4;
    report(QStringLiteral("created %1 %2").arg(add.header.localChapterId).arg(add.chapterName));
    CJobManager::instance()->close();
    return 0;
}

// Runs the event loop until the condition holds, woken by each event rather
// than by a clock; false when the deadline passed first.
bool waitForEvents(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.start(100);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

int countOf(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(sql) || !query.next())
        return -1;
    return query.value(0).toInt();
}

// One change, counted from its first write: a save of the first chapter, its
// move into the other volume, or the reply to a queued chapter create the
// start has sent. The process ends at the write CRASH_POINT names; a change
// done before that reports "done" with the writes it took.
int point(const QString& step)
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("CRASH_POINT", &ok);
    if (!ok || limit < 1 || !CrashPoints::install())
        return 2;
    if (!start())
        return 3;
    T_Book* book = firstBook();
    if (book == nullptr || !CJobManager::instance()->getChapters(book) || book->volumeList.size() < 2
        || book->chapterList.isEmpty())
        return 4;
    const T_Volume* first = book->volumeList.first();
    const T_Volume* second = book->volumeList.at(1);
    T_Chapter* chapter = nullptr;
    for (T_Chapter* candidate : qAsConst(book->chapterList)) {
        if (candidate->localVolumeId == first->localId && (chapter == nullptr || candidate->localId < chapter->localId))
            chapter = candidate;
    }
    if (chapter == nullptr)
        return 4;

    bool done = false;
    if (step == QLatin1String("save")) {
        TC_Chapter_Edit_Content request;
        request.header.localBookId = book->localId;
        request.header.localChapterId = chapter->localId;
        request.content = QStringLiteral("c%1 r1\n").arg(chapter->localId) + QString(600, QChar(0x5B57));
        request.updateTime = 1700000001;
        request.isSendToSrv = true;
        CrashPoints::arm(limit);
        done = CJobManager::instance()->chapter_edit_content(request);
    } else if (step == QLatin1String("move")) {
        TC_Chapter_Move move;
        move.header.localBookId = book->localId;
        move.localFromVolumeId = first->localId;
        move.localToVolumeId = second->localId;
        move.localFromChapterId = chapter->localId;
        move.updateTime = 1700000000;
        CrashPoints::arm(limit);
        done = CJobManager::instance()->chapter_move(move);
    } else if (step == QLatin1String("confirm")) {
        // The create went out during the start; its reply is what is counted.
        CrashPoints::arm(limit);
        done = waitForEvents([]() {
            return countOf(QStringLiteral("select count(*) from tb_job;")) == 0
                   && countOf(QStringLiteral("select count(*) from tb_chapter where chapterId < 1;")) == 0;
        }, 20000);
    } else {
        return 5;
    }
    const int writes = CrashPoints::disarm();
    if (!done)
        return 6;
    report(QStringLiteral("done %1").arg(writes));
    return 0;
}

// Commits 8 MB and returns from main as soon as the copy of the log into the
// file has started on its worker; reports how many such rows it committed.
int quitWhileCopying()
{
    CTessaneDb* db = CTessaneDb::instance();
    if (!db->init())
        return 2;
    // The worker names its thread; its name shows once it runs.
    const auto copying = []() {
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
            if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "log copy")
                return true;
        }
        return false;
    };
    if (!db->exec(QStringLiteral("create table quit_probe(x blob);")))
        return 3;
    // A busy machine may run a whole copy while this thread waits for the
    // processor: commit again and wait for the next one.
    for (int rows = 1; rows <= 20; ++rows) {
        CTessaneDb::Transaction transaction(*db);
        if (!db->exec(QStringLiteral("insert into quit_probe values(randomblob(8000000));")) || !transaction.commit())
            return 3;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 3000) {
            if (copying()) {
                report(QStringLiteral("copying %1").arg(rows));
                return 0;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
    }
    return 4;
}


// Starts the save of a 1,000,000-character text into the book's first
// chapter on the database's worker, as the writing tick does, and returns
// from main without waiting for it.
int quitWhileSaving()
{
    if (!start())
        return 2;
    T_Book* book = firstBook();
    if (book == nullptr || !CJobManager::instance()->getChapters(book) || book->chapterList.isEmpty())
        return 3;
    const T_Chapter* chapter = book->chapterList.first();
    TC_Chapter_Edit_Content request;
    request.header.localBookId = book->localId;
    request.header.localChapterId = chapter->localId;
    request.content = QStringLiteral("quitting save\n") + QString(1000000, QChar(0x6587));
    request.updateTime = 1700000000;
    if (!CJobManager::instance()->chapter_edit_content_soon(request, [](bool ok) {
            report(ok ? QStringLiteral("stored") : QStringLiteral("failed"));
        }))
        return 4;
    report(QStringLiteral("saving %1").arg(chapter->localId));
    return 0;
}

// Opens a memo window as the author does and types its text key by key;
// reports the memo and the text, then leaves the window open, never closed,
// until the process is killed.
int typeMemo()
{
    if (!start())
        return 2;
    MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
    const QString text = QStringLiteral("崩溃前写在便签里的话");
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(window->textEdit(), &press);
        QCoreApplication::sendEvent(window->textEdit(), &release);
    }
    if (window->textEdit()->toPlainText() != text || window->localMemoId() < 1)
        return 3;
    report(QStringLiteral("typed %1 %2").arg(window->localMemoId()).arg(text));
    waitUntil([]() { return false; }, 60000);
    return 0;
}

}

int main(int argc, char** argv)
{
    // Only the memo window needs the widgets.
    const bool widgets = argc > 1 && qstrcmp(argv[1], "memo") == 0;
    std::unique_ptr<QCoreApplication> application(widgets ? new QApplication(argc, argv)
                                                           : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    QCoreApplication::setOrganizationName(QStringLiteral("Tessane"));
    QCoreApplication::setApplicationName(QStringLiteral("vellora-client"));
    if (qEnvironmentVariableIsEmpty("CRASH_CLIENT_VERBOSE"))
        qInstallMessageHandler(quietMessages);

    const QStringList args = app.arguments();
    const QString scenario = args.value(1);
    if (scenario == QLatin1String("seed"))
        return seed();
    if (scenario == QLatin1String("book"))
        return makeBook();
    if (scenario == QLatin1String("save"))
        return save(args.value(2, QStringLiteral("1000000")).toInt());
    if (scenario == QLatin1String("drain"))
        return drain();
    if (scenario == QLatin1String("import"))
        return import(args.value(2));
    if (scenario == QLatin1String("backup"))
        return backup(args.value(2));
    if (scenario == QLatin1String("addchapter"))
        return addChapter();
    if (scenario == QLatin1String("point"))
        return point(args.value(2));
    if (scenario == QLatin1String("quitwhilecopying"))
        return quitWhileCopying();
    if (scenario == QLatin1String("quitwhilesaving"))
        return quitWhileSaving();
    if (scenario == QLatin1String("memo"))
        return typeMemo();
    if (scenario == QLatin1String("firststart")) {
        if (!start())
            return 2;
        CJobManager::instance()->close();
        return 0;
    }
    std::fprintf(stderr, "unknown scenario\n");
    return 1;
}
