// Saving a 1,000,000-character chapter from the editor pane (its row, the
// book's last-edited chapter and the pending job, in one transaction) after
// one key in the middle, next to a bare UPDATE of the same text into the
// chapter's row in the same run. Two ways: the writing tick's save, whose
// commit runs on the database's worker (timed from its start to the editor
// learning that it is stored), and the save on the GUI thread that showing
// another chapter makes. For each, the longest stretch the GUI thread is
// kept from its event loop. The baseline and the tick's save each start
// after the other connection committed, so both read the row's old pages
// from the file, as the author's saves do after the writes between them.
// Figures only.
//
//   bench_chapter_save [saves]

#include "BenchSupport.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>

namespace {

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

void commitInMiddle(Creation_TextEdit* edit, int i)
{
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(edit->document()->characterCount() / 2);
    edit->setTextCursor(cursor);
    QInputMethodEvent commit;
    commit.setCommitString(i % 2 == 0 ? QStringLiteral("字") : QStringLiteral("词"));
    QApplication::sendEvent(edit, &commit);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int saves = argc > 1 ? qMax(3, QString::fromLocal8Bit(argv[1]).toInt()) : 15;
    QTextStream out(stdout);
    const QString text = bench::prose(1000000, 41);

    QTemporaryDir dir;
    CTessaneDb* db = CTessaneDb::instance();
    if (!dir.isValid() || !db->init(dir.filePath(QStringLiteral("wrt.db")), dir.filePath(QStringLiteral("program")))) {
        out << "database not created\n";
        return 0;
    }
    CPublicManager* model = CPublicManager::instance();
    model->userInfo.uid = 1;
    model->userConf.uid = 1;
    db->setCurrentUid(1);
    db->exec(QStringLiteral("insert into tb_book(localId,bookName) values(1,'长篇');"));

    T_Book* book = new T_Book(1, QStringLiteral("长篇"));
    auto* chapter = new T_Chapter;
    chapter->localBookId = 1;
    chapter->name = QStringLiteral("第一章");
    chapter->content = text;
    chapter->contentLoaded = true;
    chapter->calcWordCount();
    if (!db->insertChapterWithContent(chapter)) {
        out << "chapter row not stored\n";
        return 0;
    }
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    model->bookList.append(book);
    CJobManager::instance();

    Widget_Creation_Content pane;
    pane.resize(900, 600);
    pane.show();
    pane.showChapter(book, chapter, true);
    Creation_TextEdit* edit = pane.textEdit();
    edit->setFocus();

    QVector<double> bare, save, stall, soon, soonStall;
    int failed = 0;
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
                &pane, &Widget_Creation_Content::sig_chapterSaved, [&](bool result) {
                    took = msSince(t);
                    ok = result;
                });
            QTimer::singleShot(0, [&]() {
                t.start();
                if (!pane.saveChapterInBackground())
                    took = 0;
            });
            soonStall.append(beat.runFor(300));
            QObject::disconnect(saved);
            if (!ok)
                ++failed;
            soon.append(took);
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
            query.addBindValue(chapter->localId);
            query.exec();
            bare.append(msSince(t));
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
            if (!pane.saveChapter(true))
                ++failed;
            took = msSince(t);
        });
        stall.append(beat.runFor(300));
        save.append(took);
    }
    const double b = bench::median(bare), s = bench::median(save), w = bench::median(soon);
    out << "chapter save: " << text.size() << " characters, median of " << saves << " saves\n";
    out << QStringLiteral("  baseline: bare UPDATE of the row with the text bound      %1 ms\n").arg(b, 8, 'f', 1);
    out << QStringLiteral("  tick's save: start to stored (row, book, job on worker)   %1 ms  (%2 x baseline)\n")
               .arg(w, 8, 'f', 1).arg(w / b, 0, 'f', 2);
    out << QStringLiteral("  tick's save: longest GUI stall around it                  %1 ms  (max %2 ms)\n")
               .arg(bench::median(soonStall), 8, 'f', 1)
               .arg(*std::max_element(soonStall.cbegin(), soonStall.cend()), 0, 'f', 1);
    out << QStringLiteral("  GUI-thread save: saveChapter (row, book, job)              %1 ms  (%2 x baseline)\n")
               .arg(s, 8, 'f', 1).arg(s / b, 0, 'f', 2);
    out << QStringLiteral("  GUI-thread save: longest GUI stall around it              %1 ms\n")
               .arg(bench::median(stall), 8, 'f', 1);
    if (failed > 0)
        out << "  " << failed << " saves failed: " << CJobManager::instance()->lastError() << "\n";
    pane.dropChapter();
    pane.closeBook();
    model->bookList.removeOne(book);
    delete book;
    return 0;
}
