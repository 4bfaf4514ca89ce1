// The store refusing a write in the middle of a change.
//
// A full disk while the author types: the save fails and says so, the typed
// text stays in the editor, what was stored before is whole and unchanged,
// and the next save once the disk takes writes again stores what was typed
// meanwhile. The refusal is a file size limit of one byte for the process
// (RLIMIT_FSIZE): every write into a file then fails as on a full disk, also
// for root, for whom file modes do not bind.
//
// One statement of a change refused (a trigger on the connection): the whole
// change is undone, so that no row is left without the job that sends it
// and no job leaves the queue without the ids its reply brought.
//
// A damaged table page in a signed-in author's file (the file opens and its
// schema reads): the start tells the author which file is damaged and where
// its newest backup is, and nothing more is written or synchronised.

#include "CreationFixture.h"
#include "FullDisk.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_Volume.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/DbFaultText.h"
#include "platform/ProgramPath.h"
#include "remote/CTessaneHttp.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"
#include "WhenShown.h"

#include <QApplication>
#include <QtEndian>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QLabel>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTest>


namespace {

StandinServer* g_standin = nullptr;

bool exec(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(sql);
}

int count(const QString& sql)
{
    return BooksFixture::scalar(sql).toInt();
}

// Overwrites a table's root page in the file: the file opens and its schema
// reads, but that table cannot be read.
void damageTable(const QString& dbFile, const QString& table = QStringLiteral("tb_chapter"))
{
    const int rootPage = count(QStringLiteral("select rootpage from sqlite_master where name = '%1';").arg(table));
    const int pageSize = count(QStringLiteral("PRAGMA page_size;"));
    // A copy of the log still running on its worker would make the truncation
    // give up, and could then write the page back over the damage.
    CTessaneDb::instance()->settleCheckpoint();
    QVERIFY(rootPage > 1 && exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);")));
    QFile file(dbFile);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(rootPage - 1) * pageSize));
    QCOMPARE(file.write(QByteArray(pageSize, '\xff')), qint64(pageSize));
}

// The text of the fault box once it is shown.
QString faultTold()
{
    CUiManager* ui = CUiManager::instance();
    if (!QTest::qWaitFor([ui]() { return ui->dbFaultBox() && ui->dbFaultBox()->isVisible(); }, 15000))
        return QString();
    return ui->dbFaultBox()->textLabel()->text();
}

// A click (or a double click) on the item of the tree's panel whose text (or
// tool glyph) it is.
bool clickInTree(const QString& text, Qt::MouseButton button = Qt::LeftButton, bool twice = false,
                 QQuickItem* from = nullptr)
{
    QQuickWidget* panel = CBookVolumeController::instance()->getQuickWidget();
    for (QQuickItem* item : (from ? from : panel->rootObject())->childItems()) {
        if (!item->isVisible())
            continue;
        if (item->property("glyph") == text || (item->inherits("QQuickText") && item->property("text") == text)) {
            const QPoint at = item->mapToScene(item->boundingRect().center()).toPoint();
            if (twice)
                QTest::mouseDClick(panel, button, {}, at);
            else
                QTest::mouseClick(panel, button, {}, at);
            return true;
        }
        if (clickInTree(text, button, twice, item))
            return true;
    }
    return false;
}


}

// The rows-and-job commits of the book, volume, outline and memo changes.
int runOperationCommits(int argc, char** argv);

StandinServer& standin()
{
    return *g_standin;
}

class StoreFaultsTest : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskKeepsTypedTextAndStoredChapter();
    void upgradeWithoutRoomKeepsEveryTextAndTheWordsTypedMeanwhile_data();
    void upgradeWithoutRoomKeepsEveryTextAndTheWordsTypedMeanwhile();
    void refusedChangeIsToldAndTypingLandsInNoChapter_data();
    void refusedChangeIsToldAndTypingLandsInNoChapter();
    void refusedJobUndoesTheChapterChange();
    void refusedIdsKeepTheCreateQueued();
    void damagedTableStopsWritesAndSyncAndSaysWhere();
    void damageFoundOnASaveStopsSyncAndSaysSo();
    void damageNoStartReadsIsNeitherCopiedNorNamed();
    void fileInUseIsReadAsOneCommittedState();
};

void StoreFaultsTest::fullDiskKeepsTypedTextAndStoredChapter()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("满盘"));
    QVERIFY(book);
    QVERIFY(f.open(book));
    const T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    const int localChapterId = chapter->localId;
    f.editor()->setFocus();
    const auto typeAndPause = [&f](const QString& text) {
        f.type(text);
        f.tick();
        f.pause();
        f.tick(2);
    };
    typeAndPause(QStringLiteral("已经存好的一段。"));
    const QString stored = CreationFixture::storedText(chapter);
    QVERIFY(stored.endsWith(QStringLiteral("已经存好的一段。")));

    {
        FullDisk disk;
        QVERIFY(disk.ok());
        typeAndPause(QStringLiteral("磁盘满时写的字。"));
        // Said to the author once the save's commit failed, and the text
        // still in the editor.
        QTRY_VERIFY(f.window()->tips()->isVisible());
        QCOMPARE(f.window()->tips()->label()->text(),
                 QCoreApplication::translate("Widget_Creation_Content", "The chapter could not be saved; the text stays in the editor"));
        QVERIFY(f.editor()->toPlainText().endsWith(QStringLiteral("磁盘满时写的字。")));
    }
    // What was stored is whole and unchanged.
    QCOMPARE(BooksFixture::scalar(QStringLiteral("PRAGMA integrity_check;")).toString(), QStringLiteral("ok"));
    QCOMPARE(CreationFixture::storedText(chapter), stored);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where localChapterId = %1 "
                                                 "and content like '%磁盘满%';").arg(localChapterId)).toInt(), 0);

    // The disk takes writes again: the next tick stores what was refused,
    // with nothing more typed.
    f.tick();
    QTRY_VERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("磁盘满时写的字。")));
    typeAndPause(QStringLiteral("又一句。"));
    QVERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("磁盘满时写的字。又一句。")));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("PRAGMA integrity_check;")).toString(), QStringLiteral("ok"));
}

void StoreFaultsTest::upgradeWithoutRoomKeepsEveryTextAndTheWordsTypedMeanwhile_data()
{
    QTest::addColumn<bool>("neverSent");
    QTest::newRow("a queued save") << false;
    // Its texts are more than the disk has room for again.
    QTest::newRow("a queued save and an imported book never sent, answered meanwhile") << true;
}

// A database of the build before the texts' move, its save queued while the
// platform was away (in one row also a book imported and never sent), and
// another author's book with more text than the disk has room to move.
void StoreFaultsTest::upgradeWithoutRoomKeepsEveryTextAndTheWordsTypedMeanwhile()
{
    QFETCH(bool, neverSent);
    delete CUiManager::instance()->dbFaultBox();
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("升级"), true);
    QVERIFY(book);
    const int localBookId = book->localId;
    const int chapterId = book->chapterList.first()->chapterId;
    QVERIFY(standin().addFault(QStringLiteral("/chapter/editChapter"), QStringLiteral("drop"), 0, -1));
    f.editor()->setFocus();
    const auto typeAndPause = [&f](const QString& text) {
        f.type(text);
        f.tick();
        f.pause();
        f.tick(2);
    };
    typeAndPause(QStringLiteral("上一版排队的一段。"));
    QTRY_COMPARE(CreationFixture::pendingSaves(), 1);
    const QString queued = f.editor()->toPlainText();
    const QString typed = queued + QStringLiteral("盘满时接着写。");
    QStringList importedTexts;
    for (int i = 1; neverSent && i <= 20; ++i)
        importedTexts.append(QString(3000, QChar(0x6C34)) + QString::number(i) + QLatin1Char('\n'));
    if (neverSent) {
        QString imported;
        for (int i = 0; i < importedTexts.size(); ++i)
            imported += QStringLiteral("第%1章 未发%1\n").arg(i + 1) + importedTexts.at(i);
        QVERIFY(standin().addFault(QStringLiteral("/books/addBook"), QStringLiteral("drop"), 0, -1));
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("未发.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(imported.toUtf8()) > 0);
        file.close();
        QSignalSpy finished(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished);
        QVERIFY(CBookJobManager::instance()->startImportBook(file.fileName()));
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toInt(), 200);
    }
    f.pane()->closeBook();
    CJobManager::instance()->close();
    QVERIFY(standin().clearFaults());
    QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("previous build"));
    old.setDatabaseName(f.dbFile());
    QVERIFY(old.open());
    for (const char* statement :
         {"ALTER TABLE tb_chapter ADD COLUMN content TEXT;",
          "update tb_chapter set content = (select content from tb_chapter_text t where t.localId = tb_chapter.localId);",
          // That build's batches carried their chapters' texts.
          "update tb_job set content = (select json_group_array(json_set(b.value,'$.content',(select t.content from "
          "tb_chapter_text t where t.localId = json_extract(b.value,'$.local_id')))) from json_each(tb_job.content) b) "
          "where jobType = 1009;",
          "DROP TRIGGER chapterTextGoesWithItsChapter;", "DROP TABLE tb_chapter_text;",
          "insert into tb_book(localId,authorId,bookName) values(900,1,'他人');",
          "with recursive n(i) as (select 1 union all select i + 1 from n where i < 80) insert into "
          "tb_chapter(localBookId,bookId,name,content) select 900,0,'长',replace(hex(zeroblob(3000)),'00','山水') from n;"})
        QVERIFY2(QSqlQuery(old).exec(QString::fromUtf8(statement)), statement);
    old.close();
    old = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("previous build"));
    {
        FullDisk disk(512 * 1024);
        QVERIFY(disk.ok() && f.restart());
        QCOMPARE(faultTold(), DbFaultText::unfinishedUpgrade(DbFault::DiskFull));
        delete CUiManager::instance()->dbFaultBox();
        QVERIFY(f.open(CPublicManager::instance()->findBookByLocalId(localBookId)));
        QTRY_COMPARE(f.editor()->toPlainText(), queued);
        // The platform's answers give the book that never went, its volume
        // and its chapters their ids, and later saves still commit.
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("select count(*) from tb_chapter c join tb_book b on "
                                                       "b.localId = c.localBookId where b.bookName = '未发' and "
                                                       "b.bookId > 0 and c.volumeId > 0 and c.chapterId > 0;")),
                                  neverSent ? 20 : 0, 15000);
        f.editor()->moveCursor(QTextCursor::End);
        typeAndPause(QStringLiteral("盘满时接着写。"));
        QTRY_COMPARE(CreationFixture::storedText(f.pane()->currentChapter()), typed);
        f.pane()->closeBook();
        QTRY_COMPARE_WITH_TIMEOUT(BooksFixture::jobTypes(), QList<int>(), 15000);
    }
    // The next start, with room, moves everything but the words typed meanwhile.
    QVERIFY(f.restart());
    QCOMPARE(count(QStringLiteral("select count(*) from pragma_table_info('tb_chapter') where name = 'content';")), 0);
    QCOMPARE(CreationFixture::storedText(CPublicManager::instance()->findBookByLocalId(localBookId)->chapterList.first()),
             typed);
    QCOMPARE(count(QStringLiteral("select sum(length(content)) from tb_chapter_text where localId in "
                                  "(select localId from tb_chapter where localBookId = 900);")), 80 * 6000);
    QString onPlatform;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("chapter_id")).toInt() == chapterId)
            onPlatform = value.toObject().value(QStringLiteral("content")).toString();
    }
    QCOMPARE(onPlatform, typed);
    // Every text of the book that never went reaches the platform once.
    QStringList importedThere;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray())
        importedThere.append(value.toObject().value(QStringLiteral("content")).toString());
    QCOMPARE(importedThere.filter(QRegularExpression(QStringLiteral("^水{3000}"))).size(), importedTexts.size());
    for (const QString& text : qAsConst(importedTexts))
        QCOMPARE(importedThere.count(text), 1);
}

void StoreFaultsTest::refusedChangeIsToldAndTypingLandsInNoChapter_data()
{
    QTest::addColumn<QString>("change");  // a tool, an entry of the tree's menus, or what the author does
    QTest::addColumn<QString>("told");
    const auto row = [](const char* change, const char* context, const char* told) {
        QTest::newRow(change) << QString::fromUtf8(change) << QCoreApplication::translate(context, told);
    };
    const char* tree = "CBookVolumeController";
    row("+章", tree, "The new chapter could not be stored.");
    row("Creater Chapter", tree, "The new chapter could not be stored.");
    row("+卷", tree, "The new volume could not be stored.");
    row("a chapter's name typed over", tree, "The chapter's new name could not be stored; it keeps its name.");
    row("a volume's name typed over", tree, "The volume's new name could not be stored; it keeps its name.");
    row("Down Chapter", tree, "The chapter's new place could not be stored; it stays where it was.");
    row("Down Volume", tree, "The volume's new place could not be stored; it stays where it was.");
    row("Delete Chapter", tree, "The chapter could not be moved to the recycle bin; it stays where it was.");
    row("Delete Volume", tree, "The volume could not be deleted; it stays where it was.");
    row("Recover", "Widget_RecycleBin", "The chapter could not be restored; it stays in the recycle bin.");
    row("Delete", "Widget_RecycleBin", "The chapter could not be deleted; it stays in the recycle bin.");
    row("another chapter, words unsaved", "Widget_Creation_Content",
        "The chapter could not be saved; it stays open so that no word is lost");
    row("shelf: new book", "Widget_BookShelfList", "The new book could not be stored.");
    row("shelf: recycle", "Widget_BookShelfList", "The book could not be moved to the recycle bin; it stays on the shelf.");
    row("book bin: restore", "Dialog_BookRecycle", "The book could not be restored; it stays in the recycle bin.");
    row("book bin: delete", "Dialog_BookRecycle", "The book could not be deleted; it stays in the recycle bin.");
}

// The database refusing what the author asks for in the tree, the bins or on
// the shelf: the author is told what and why, nothing of it is stored, and
// what is typed at once lands in no chapter.
void StoreFaultsTest::refusedChangeIsToldAndTypingLandsInNoChapter()
{
    QFETCH(QString, change);
    QFETCH(QString, told);
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("拒绝"));
    T_Book* binned = f.offlineBook(QStringLiteral("书架"));
    QVERIFY(book && binned);
    // A second volume, a chapter in the chapter bin and a book in the book bin.
    TC_Volume_Add second(book->localId, 0, 0, 2, 1700000000, QStringLiteral("第二卷"));
    TC_Chapter_Add gone(book->localId, 0, book->volumeList.first()->localId, 0, 1700000000, 3, QStringLiteral("旧章"));
    second.header.synStep = gone.header.synStep = 1;
    TC_Books_Delete toBin(binned->localId, 1700000000);
    QVERIFY(CJobManager::instance()->volume_add(second) && CJobManager::instance()->chapter_add(gone)
            && CBookJobManager::instance()->books_delete(toBin, true));
    TC_Chapter_Recycle recycle;
    recycle.header.localBookId = book->localId;
    recycle.header.localVolumeId = gone.header.localVolumeId;
    recycle.header.localChapterId = gone.header.localChapterId;
    QVERIFY(CBookJobManager::instance()->chapter_recycle(recycle, true));
    const T_Chapter* other = book->chapterList.first();
    QVERIFY(f.open(book));
    const T_Chapter* open = f.pane()->currentChapter();
    QVERIFY(open && open != other);
    f.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window()));
    f.editor()->setFocus();
    f.type(QStringLiteral("写好的一段。"));
    f.tick();
    f.pause();
    f.tick(2);
    QTRY_VERIFY(CreationFixture::storedText(open).endsWith(QStringLiteral("写好的一段。")));
    // The author writes in the editor of the active window.
    QTRY_VERIFY(f.window()->isActiveWindow() && QApplication::focusWidget() == f.editor());
    const QString rows = QStringLiteral(
        "select (select group_concat(localId || status || bookName) from tb_book) || (select group_concat(localId || "
        "status || orderNum || volumeName) from tb_volume) || (select group_concat(localId || status || "
        "localVolumeId || orderNum || name) from tb_chapter) || (select count(*) from tb_job);");
    const QString rowsBefore = BooksFixture::scalar(rows).toString();
    QSignalSpy messages(CUiManager::instance(), &CUiManager::sig_Message);
    QString text = f.editor()->toPlainText();
    // Where the author acted: the writing window, or the chapter bin.
    QWidget* where = f.window();
    {
        FullDisk disk;
        QVERIFY(disk.ok());
        if (change.endsWith(QLatin1String("typed over"))) {
            QVERIFY(clickInTree(change.contains(QLatin1String("volume")) ? book->volumeList.first()->volumeName
                                                                         : other->name,
                                Qt::LeftButton, true));
        } else if (change.startsWith(QLatin1String("another"))) {
            f.type(QStringLiteral("未存的字"));
            QVERIFY(clickInTree(other->name));
        } else if (change == QLatin1String("Recover") || change == QLatin1String("Delete")) {
            CBookVolumeController::instance()->openRecycleBin();
            where = f.window()->chapterPane()->recycleBin()->window();
            for (QAction* action : f.window()->chapterPane()->recycleBin()->menu()->actions())
                if (action->text() == QCoreApplication::translate("Widget_RecycleBin", qPrintable(change)))
                    action->trigger();
        } else if (change.startsWith(QLatin1String("shelf"))) {
            auto* list = CUiManager::instance()->bookshelf()->findChild<Widget_BookShelfList*>();
            QVERIFY(change.endsWith(QLatin1String("book")) ? !list->createBook(QStringLiteral("新书"), QString(), false)
                                                           : !list->deleteBook(book->localId));
        } else if (change.startsWith(QLatin1String("book bin"))) {
            Dialog_BookRecycle bin(CUiManager::instance()->bookshelf());
            if (change.endsWith(QLatin1String("restore")))
                bin.restoreBook(binned->localId, true);
            else
                bin.deleteBook(binned->localId, true);
        } else if (!clickInTree(change)) {
            // An entry of the menu of the first volume or its first chapter.
            bool chosen = false;
            whenShown<QMenu>([&](QMenu*) {
                chooseInMenu(QCoreApplication::translate("CBookVolumeController", qPrintable(change)));
                chosen = true;
            }, true);
            whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); }, false, nullptr, 300);
            const bool volume = change.endsWith(QLatin1String("Volume"));
            QVERIFY(clickInTree(volume ? book->volumeList.first()->volumeName : other->name, Qt::RightButton));
            // Typed once the menu is gone, its window active again as the
            // window manager makes it.
            QTRY_VERIFY(chosen && QApplication::activePopupWidget() == nullptr);
            QApplication::setActiveWindow(f.window());
            QVERIFY(QTest::qWaitForWindowActive(f.window()));
        }
        // The author goes on as if it had worked: a name, Enter, words. On
        // the shelf no chapter is open to type in.
        if (!change.contains(QLatin1Char(':'))) {
            text = f.editor()->toPlainText();
            for (const char key : QByteArray("xy"))
                QTest::keyClick(where->windowHandle(), key);
            QTest::keyClick(where->windowHandle(), Qt::Key_Return);
            f.type(QStringLiteral("正文"), where->focusWidget());
        }
        QTRY_VERIFY(std::any_of(messages.cbegin(), messages.cend(), [&told](const QList<QVariant>& message) {
            return message.first().toString().startsWith(told);
        }));
        QCOMPARE(f.editor()->toPlainText(), text);
    }
    QCOMPARE(BooksFixture::scalar(rows).toString(), rowsBefore);
    // The tree marks the chapter the editor holds.
    const CBookVolumeController* tree = CBookVolumeController::instance();
    QCOMPARE(tree->currentChapter(), f.pane()->currentChapter());
    const T_Chapter* held = f.pane()->currentChapter();
    const CBookChapterModel* chapters = tree->volumeModel()->getChapterModelByLocalId(held->localVolumeId);
    QVERIFY(chapters->getItem(chapters->rowOfLocalId(held->localId)).selected);
    if (QWidget* bin = f.window()->chapterPane()->recycleBin())
        bin->close();
    // With room again, a volume dropped back on its own place was refused
    // nothing: the refusal told above is not told again for it.
    messages.clear();
    CBookVolumeController::instance()->moveVolume(0, 0, 1);
    const QString placeRefused = QCoreApplication::translate(
        "CBookVolumeController", "The volume's new place could not be stored; it stays where it was.");
    QVERIFY(std::none_of(messages.cbegin(), messages.cend(), [&placeRefused](const QList<QVariant>& message) {
        return message.first().toString().startsWith(placeRefused);
    }));
}

void StoreFaultsTest::refusedJobUndoesTheChapterChange()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("原子"));
    QVERIFY(book);
    TC_Volume_Add second(book->localId, 0, 0, 2, 1700000000, QStringLiteral("第二卷"));
    second.header.synStep = 1;
    QVERIFY(CJobManager::instance()->volume_add(second));
    T_Chapter* chapter = book->chapterList.first();
    const int volumeBefore = chapter->localVolumeId;
    const QString before = CreationFixture::storedText(chapter);
    const int chapters = count(QStringLiteral("select count(*) from tb_chapter;"));
    for (const char* event : {"insert", "update"})
        QVERIFY(exec(QStringLiteral("create temp trigger refuse_job_%1 before %1 on tb_job "
                                    "begin select raise(abort, 'refused'); end;").arg(QLatin1String(event))));

    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = chapter->localId;
    save.content = QStringLiteral("不会单独留下的正文");
    save.updateTime = 1700000100;
    save.isSendToSrv = false;
    QVERIFY(!CJobManager::instance()->chapter_edit_content(save));
    QCOMPARE(CreationFixture::storedText(chapter), before);

    const T_Volume* volume = book->volumeList.first();
    TC_Chapter_Add add(book->localId, 0, volume->localId, 0, 1700000000, 9, QStringLiteral("不会单独留下的章"));
    QVERIFY(!CJobManager::instance()->chapter_add(add));
    QCOMPARE(count(QStringLiteral("select count(*) from tb_chapter;")), chapters);
    QCOMPARE(book->chapterList.size(), chapters);

    TC_Chapter_Move move;
    move.header.localBookId = book->localId;
    move.localFromVolumeId = volumeBefore;
    move.localToVolumeId = second.header.localVolumeId;
    move.localFromChapterId = chapter->localId;
    QVERIFY(!CJobManager::instance()->chapter_move(move));
    QCOMPARE(count(QStringLiteral("select localVolumeId from tb_chapter where localId = %1;").arg(chapter->localId)),
             volumeBefore);
    QCOMPARE(chapter->localVolumeId, volumeBefore);
    QVERIFY(exec(QStringLiteral("drop trigger refuse_job_insert;")) && exec(QStringLiteral("drop trigger refuse_job_update;")));
}

void StoreFaultsTest::refusedIdsKeepTheCreateQueued()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("编号"));
    QVERIFY(book);
    QVERIFY(exec(QStringLiteral("create temp trigger refuse_server_id before update of chapterId on tb_chapter "
                                "when new.chapterId > 0 begin select raise(abort, 'refused'); end;")));
    const T_Volume* volume = book->volumeList.first();
    TC_Chapter_Add add(book->localId, book->bookId, volume->localId, volume->volumeId, 1700000000, 2,
                       QStringLiteral("等编号的章"));
    QVERIFY(CJobManager::instance()->chapter_add(add));
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/addChapter")) >= 1; }));
    // Counted as out when it left: with no reply outstanding the platform's
    // answer has been handled.
    QVERIFY(BooksFixture::waitUntil([]() { return CTessaneHttp::instance()->outstandingReplies() == 0; }));
    // The platform made the chapter but its id could not be kept: the create
    // stays queued rather than leaving a chapter that nothing sends again.
    QCOMPARE(count(QStringLiteral("select chapterId from tb_chapter where localId = %1;").arg(add.header.localChapterId)), 0);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{add.header.jobType});
    QVERIFY(exec(QStringLiteral("drop trigger refuse_server_id;")));
}

void StoreFaultsTest::damagedTableStopsWritesAndSyncAndSaysWhere()
{
    delete CUiManager::instance()->dbFaultBox();
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("损坏"));
    QVERIFY(book);
    const int bookId = book->bookId;
    // The copy the last quit made, named as the quit names it.
    const QDir backups(CUiManager::backupFolder());
    const QString backup = backups.filePath(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss")) + QStringLiteral(".db"));
    CTessaneDb::instance()->settleCheckpoint();
    QVERIFY(exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);")));
    QVERIFY(QFile::copy(f.dbFile(), backup));

    const int books = count(QStringLiteral("select count(*) from tb_book;"));
    const int jobs = count(QStringLiteral("select count(*) from tb_job;"));
    damageTable(f.dbFile());
    CJobManager::instance()->close();
    // The platform reports the book: over a shelf that failed to load it
    // would come in a second time.
    const QByteArray extra = QJsonDocument(QJsonObject{{QStringLiteral("book_name"), QStringLiteral("损坏")}})
                                 .toJson(QJsonDocument::Compact);
    const QJsonObject item{{QStringLiteral("change_type"), 1}, {QStringLiteral("book_id"), bookId},
                           {QStringLiteral("chapter_id"), 0}, {QStringLiteral("extra"), QString::fromUtf8(extra)}};
    QCOMPARE(standin().pushFeed(StandinServer::demoUid(), {item}).size(), 1);
    const QString pull = QStringLiteral("/synchronization/synBookData");
    const int pulls = BooksFixture::sent(pull);

    QVERIFY(f.restart());
    CUiManager* ui = CUiManager::instance();
    const QString told = faultTold();
    QVERIFY2(told.contains(QStringLiteral("damaged")), qPrintable(told));
    QVERIFY2(told.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(told));
    QVERIFY2(told.contains(QDir::toNativeSeparators(backup)), qPrintable(told));
    // The whole text, the backup's name and folder with it, lies within the box.
    const QLabel* label = ui->dbFaultBox()->textLabel();
    const QRect room = label->contentsRect().marginsRemoved(
        QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
    const QRect needed = label->fontMetrics().boundingRect(room, Qt::TextWordWrap | Qt::AlignCenter, told);
    QVERIFY2(room.contains(needed), qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(needed.width()).arg(needed.height())
                                                   .arg(room.width()).arg(room.height())));

    // The author's synchronise button ends in a failure and pulls nothing.
    auto* toast = ui->bookshelf()->findChild<QLabel*>(QStringLiteral("BookshelfTips"));
    QVERIFY(toast);
    // The indicator of the run before the restart ends first.
    Widget_Bookshelf_Top* top = ui->bookshelf()->getTop();
    QTRY_VERIFY(!top->isSyncing());
    toast->hide();
    top->btnSync()->click();
    QTRY_COMPARE(toast->isVisible() ? toast->text() : QString(),
                 QCoreApplication::translate("Widget_Bookshelf_Top", "Synchronization failure"));
    QCOMPARE(BooksFixture::sent(pull), pulls);
    // A new book of the author's is refused, not written.
    TC_Books_AddBook add(QStringLiteral("不写入"), 1700000000, 1700000000, QString());
    QVERIFY(CBookJobManager::instance()->books_add(add, false) == nullptr);

    delete ui->dbFaultBox();
    QFile::remove(backup);
    // What is on disk, read afresh: no second copy, no job.
    CJobManager::instance()->close();
    QVERIFY(CTessaneDb::instance()->openExisting(f.dbFile()));
    QCOMPARE(count(QStringLiteral("select count(*) from tb_book;")), books);
    QCOMPARE(count(QStringLiteral("select count(*) from tb_job;")), jobs);
}

void StoreFaultsTest::damageFoundOnASaveStopsSyncAndSaysSo()
{
    delete CUiManager::instance()->dbFaultBox();
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("写时损坏"));
    QVERIFY(book);
    QVERIFY(f.open(book));
    f.editor()->setFocus();
    // The pass the new chapter started pulls the feed before the damage is
    // found; only what comes after it counts.
    QTRY_COMPARE(CUiManager::instance()->syncRunning(), 0);
    damageTable(f.dbFile());
    {
        // Another program's write makes the client read the file afresh.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(f.dbFile());
        QVERIFY(other.open());
        QSqlQuery query(other);
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version;")) && query.next());
        const int version = query.value(0).toInt();
        query.finish();
        QVERIFY2(query.exec(QStringLiteral("PRAGMA user_version = %1;").arg(version + 1)),
                 qPrintable(query.lastError().text()));
        query.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const QString pull = QStringLiteral("/synchronization/synBookData");
    const int pulls = BooksFixture::sent(pull);

    f.type(QStringLiteral("损坏后写的字。"));
    f.tick();
    f.pause();
    f.tick(2);
    const QString told = faultTold();
    QVERIFY2(told.contains(QStringLiteral("damaged")), qPrintable(told));
    QVERIFY2(told.contains(QDir::toNativeSeparators(f.dbFile())), qPrintable(told));
    QVERIFY(f.editor()->toPlainText().endsWith(QStringLiteral("损坏后写的字。")));
    // Synchronisation stops: no timer, and asking for it pulls nothing.
    QVERIFY(!CJobManager::instance()->isAutoSynRunning());
    CJobManager::instance()->synNow(true);
    QCOMPARE(BooksFixture::sent(pull), pulls);
    delete CUiManager::instance()->dbFaultBox();
}

void StoreFaultsTest::damageNoStartReadsIsNeitherCopiedNorNamed()
{
    delete CUiManager::instance()->dbFaultBox();
    // The copies go to a folder of this test's own while it runs.
    struct BackupFolder : QTemporaryDir {
        QSettings settings{ProgramPath::settingsFile(), QSettings::IniFormat};
        BackupFolder() { settings.setValue(QStringLiteral("system/backup"), path()); }
        ~BackupFolder() { settings.remove(QStringLiteral("system/backup")); }
    } folder;
    BooksFixture f;
    QVERIFY(f.up());
    // A sound copy from an earlier quit.
    QVERIFY(CUiManager::backupsDb());
    QDir backups(folder.path());
    const QString sound = backups.filePath(QStringLiteral("2020-01-01-00-00-00.db"));
    QVERIFY(QFile::rename(backups.filePath(backups.entryList(QDir::Files).value(0)), sound));

    // The versions table is damaged; the start reads nothing of it.
    damageTable(f.dbFile(), QStringLiteral("tb_contentblade"));
    const QString damaged = backups.filePath(QStringLiteral("2021-01-01-00-00-00.db"));
    QVERIFY(QFile::copy(f.dbFile(), damaged));
    QVERIFY(f.restart());

    // Found by the time machine's read: a write in the same turn is refused.
    const int books = count(QStringLiteral("select count(*) from tb_book;"));
    QList<T_Chapter_TimeMachineItem*> versions;
    QVERIFY(!CTessaneDb::instance()->getContentBlades(1, versions, false));
    TC_Books_AddBook add(QStringLiteral("不写入"), 1700000000, 1700000000, QString());
    QVERIFY(CBookJobManager::instance()->books_add(add, false) == nullptr);

    // The next start meets nothing of it either; the quit's copy checks
    // every page, and only the sound copy is named.
    QVERIFY(f.restart());
    QCOMPARE(count(QStringLiteral("select count(*) from tb_book;")), books);
    QVERIFY(CUiManager::backupsDb() == false);
    QCOMPARE(backups.entryList(QDir::Files).size(), 2);
    QCOMPARE(DbFaultText::newestBackup(folder.path()), sound);
    // Damage like any other: the database is marked so (the author is told
    // through it) and takes nothing more.
    QVERIFY(CTessaneDb::instance()->isDamaged());
    QVERIFY(CBookJobManager::instance()->books_add(add, false) == nullptr);
    delete CUiManager::instance()->dbFaultBox();
}

void StoreFaultsTest::fileInUseIsReadAsOneCommittedState()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.db"));
    {
        QSqlDatabase live = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("live"));
        live.setDatabaseName(path);
        QVERIFY(live.open());
        QSqlQuery query(live);
        for (const char* statement : {"PRAGMA journal_mode=WAL;", "PRAGMA wal_autocheckpoint=0;",
                                      "create table a(x);", "PRAGMA wal_checkpoint(TRUNCATE);", "begin;",
                                      "create table b(x);"})
            QVERIFY2(query.exec(QString::fromLatin1(statement)), statement);
        for (int i = 0; i < 50; ++i)
            QVERIFY(query.exec(QStringLiteral("insert into b values(randomblob(600));")));
        QVERIFY(query.exec(QStringLiteral("commit;")));
        // A checkpoint half-way through: the first page (naming the new
        // table's pages) is in the file, the pages it names are not yet.
        QFile wal(path + QStringLiteral("-wal"));
        QVERIFY(wal.open(QIODevice::ReadOnly));
        const QByteArray log = wal.readAll();
        const auto number = [&log](int at) { return qFromBigEndian<quint32>(log.constData() + at); };
        const int pageSize = int(number(8));
        QByteArray firstPage;
        for (int frame = 32; frame + 24 + pageSize <= log.size(); frame += 24 + pageSize) {
            if (number(frame) == 1)
                firstPage = log.mid(frame + 24, pageSize);
        }
        QFile file(path);
        QVERIFY(!firstPage.isEmpty() && file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(firstPage), qint64(pageSize));
        file.close();
        QVERIFY(CTessaneDb::fileIsSound(path));
        live.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("live"));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();
    StoreFaultsTest test;
    int result = QTest::qExec(&test, argc, argv);
    result |= runOperationCommits(argc, argv);
    server.stop();
    return result;
}

#include "tst_storefaults.moc"
