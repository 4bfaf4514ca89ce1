// The time machine on a 200,000-character chapter of which 30% of the
// sentences were rewritten since the stored version: the longest stretch the
// GUI thread is kept from its event loop from opening the dialog until both
// panes show the comparison, next to the same comparison done the earlier way
// on the GUI thread (diff, marked HTML, two setHtml). Then a 1,000,000-
// character chapter with ten versions of that length: opening the dialog and
// clicking each version, the longest GUI stall of each, next to reading the
// ten versions with their texts as the list used to be read. Last, restoring
// a version of that length with its chapter open in the writing window (the
// author's button, both saves and the editor taking the text): the longest
// GUI stall for versions that differ at the start, at the end, mid-text and
// everywhere, next to a bare QTextEdit::setPlainText of such a text. Figures
// only.
//
//   bench_time_machine [runs]

#include "BenchSupport.h"

#include "common/DiffMatchPatch.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/VersionCompare.h"

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTextStream>

namespace {

// The chapter's text as its row holds it.
QString storedText(int localChapterId)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.prepare(QStringLiteral("select content from tb_chapter_text where localId = ?"));
    query.addBindValue(localChapterId);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

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
    // The writing window holds quick widgets, drawn in software off screen.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
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
    // The dialog looks its chapter up in the model, as in the program.
    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    book->chaptersLoaded = true;
    CPublicManager::instance()->bookList.append(book);
    auto* shortChapter = new T_Chapter;
    shortChapter->localId = 1;
    shortChapter->localBookId = 1;
    shortChapter->content = current;
    shortChapter->contentLoaded = true;
    book->chapterList.append(shortChapter);
    T_Chapter& chapter = *shortChapter;

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

    // Ten long versions.
    const QString longText = bench::prose(1000000, 61);
    T_Http_Custom longHeader;
    longHeader.uid = 1;
    longHeader.localBookId = 1;
    longHeader.localChapterId = 3;
    for (int v = 0; v < 10; ++v) {
        QString version = longText;
        version.replace(v * 90000, 20, bench::prose(20, 70 + v));
        db->insertContentBlade(longHeader, version);
    }
    // Versions are stored long before the author looks at them: the log of
    // these writes is copied back into the database before the dialog opens.
    {
        bench::Heartbeat settle;
        settle.start();
        settle.runFor(600);
    }
    auto* longChapter = new T_Chapter;
    longChapter->localId = 3;
    longChapter->localBookId = 1;
    longChapter->content = longText;
    longChapter->contentLoaded = true;
    book->chapterList.append(longChapter);
    QList<T_Chapter_TimeMachineItem*> all;
    QElapsedTimer readAll;
    readAll.start();
    db->getContentBlades(3, all, true);
    const double readAllMs = readAll.nsecsElapsed() / 1e6;
    const int versions = all.size();
    qDeleteAll(all);
    QVector<double> clicks;
    double opening = 0;
    int compared = 0;
    {
        Dialog_TimeMachine dialog(longChapter);
        bench::Heartbeat beat;
        beat.start();
        QTimer::singleShot(0, [&]() { dialog.show(); });
        opening = beat.runFor(1500);
        auto* list = dialog.findChild<QListView*>();
        for (int row = 1; list != nullptr && row < list->model()->rowCount(); ++row) {
            bench::Heartbeat clickBeat;
            clickBeat.start();
            QTimer::singleShot(0, [&, row]() {
                const QRect rect = list->visualRect(list->model()->index(row, 0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
                if (dialog.isComparing())
                    ++compared;
            });
            clicks.append(clickBeat.runFor(1200));
        }
    }
    std::sort(clicks.begin(), clicks.end());
    out << "time machine: a " << longText.size() << "-character chapter with " << versions << " versions of that length\n";
    out << QStringLiteral("  baseline: reading the versions with their texts              %1 ms\n").arg(readAllMs, 8, 'f', 1);
    out << QStringLiteral("  dialog: longest GUI stall while opening                      %1 ms\n").arg(opening, 8, 'f', 1);
    out << QStringLiteral("  dialog: longest GUI stall of a version click, median / max    %1 ms / %2 ms (%3 of %4 clicks compared)\n")
               .arg(bench::median(clicks), 8, 'f', 1)
               .arg(clicks.isEmpty() ? 0.0 : clicks.last(), 0, 'f', 1)
               .arg(compared)
               .arg(clicks.size());

    // Restoring a version from the dialog while the writing window shows the
    // chapter: the author's button, through the saves to the editor showing
    // the version. The chapter's row, book and versions are real here.
    CPublicManager* model = CPublicManager::instance();
    model->userInfo.uid = 1;
    model->userConf.uid = 1;
    db->setCurrentUid(1);
    db->exec(QStringLiteral("insert into tb_book(localId,bookName) values(2,'恢复');"));
    T_Book* restoreBook = new T_Book(2, QStringLiteral("恢复"));
    restoreBook->chaptersLoaded = true;
    model->bookList.append(restoreBook);
    auto* restoreChapter = new T_Chapter;
    restoreChapter->localBookId = 2;
    restoreChapter->name = QStringLiteral("第一章");
    restoreChapter->content = longText;
    restoreChapter->contentLoaded = true;
    restoreChapter->calcWordCount();
    if (!db->insertChapterWithContent(restoreChapter)) {
        out << "chapter row not stored\n";
        return 0;
    }
    restoreBook->chapterList.append(restoreChapter);
    CUiManager::instance()->openCreation(restoreBook);
    Widget_Creation* window = CUiManager::instance()->creationWindow();
    Widget_Creation_Content* pane = window != nullptr ? window->getContent() : nullptr;
    if (pane == nullptr || !pane->showChapter(restoreBook, restoreChapter, true)) {
        out << "writing window not opened\n";
        return 0;
    }
    if (QTimer* tick = pane->findChild<QTimer*>())
        tick->stop();
    struct Case
    {
        const char* name;
        QString text;
    };
    const int tail = longText.size() - 20;
    const QVector<Case> cases{
        {"differs in its first 20 characters", bench::prose(20, 81) + longText.mid(20)},
        {"differs in its last 20 characters ", longText.left(tail) + bench::prose(20, 82)},
        {"differs in 20 characters mid-text ", longText.left(500000) + bench::prose(20, 83) + longText.mid(500020)},
        {"differs everywhere                ", bench::prose(1000000, 84)},
    };
    // Baseline: the same text set into a bare editor of the same size.
    QVector<double> bareSet;
    for (int r = 0; r < runs; ++r) {
        QTextEdit bare;
        bare.resize(pane->textEdit()->size());
        bare.show();
        bare.setPlainText(longText);
        bench::Heartbeat settle;
        settle.start();
        settle.runFor(600);
        bench::Heartbeat beat;
        beat.start();
        QTimer::singleShot(0, [&]() { bare.setPlainText(cases.last().text); });
        bareSet.append(beat.runFor(1500));
    }
    out << "time machine: restoring a " << longText.size() << "-character version with the chapter open in the editor, "
        << "median of " << runs << " runs\n";
    out << QStringLiteral("  baseline: a bare QTextEdit::setPlainText of the text, longest stall   %1 ms\n")
               .arg(bench::median(bareSet), 8, 'f', 1);
    T_Http_Custom restoreHeader;
    restoreHeader.uid = 1;
    restoreHeader.localBookId = 2;
    restoreHeader.localChapterId = restoreChapter->localId;
    for (const Case& c : cases) {
        QVector<double> stalls;
        int wrong = 0;
        for (int r = 0; r < runs; ++r) {
            // Each restore starts from the chapter's text in the editor.
            TC_Chapter_Edit_Content reset;
            reset.header.localBookId = 2;
            reset.header.localChapterId = restoreChapter->localId;
            reset.content = longText;
            reset.isSendToSrv = false;
            CJobManager::instance()->chapter_edit_content(reset);
            pane->showChapter(restoreBook, restoreChapter, true);
            db->insertContentBlade(restoreHeader, c.text);
            Dialog_TimeMachine dialog(restoreChapter, window);
            dialog.show();
            while (dialog.isComparing())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            // The editor's layout and the comparison have settled.
            bench::Heartbeat settle;
            settle.start();
            settle.runFor(800);
            auto* restore = dialog.findChild<QPushButton*>(QStringLiteral("btnRestore"));
            bench::Heartbeat beat;
            beat.start();
            QTimer::singleShot(0, [&]() { QTest::mouseClick(restore, Qt::LeftButton); });
            stalls.append(beat.runFor(2500));
            if (pane->textEdit()->toPlainText() != c.text || storedText(restoreChapter->localId) != c.text)
                ++wrong;
        }
        out << QStringLiteral("  dialog: restore of a version that %1, longest stall   %2 ms  (%3 x baseline)%4\n")
                   .arg(QLatin1String(c.name))
                   .arg(bench::median(stalls), 8, 'f', 1)
                   .arg(bench::median(stalls) / bench::median(bareSet), 0, 'f', 2)
                   .arg(wrong > 0 ? QStringLiteral("  WRONG TEXT in %1 runs").arg(wrong) : QString());
    }
    out.flush();
    pane->dropChapter();
    pane->closeBook();
    model->bookList.removeOne(restoreBook);
    delete restoreBook;
    CPublicManager::instance()->bookList.removeOne(book);
    delete book;
    return 0;
}
